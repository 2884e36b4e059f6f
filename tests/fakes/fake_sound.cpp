#include "fakes/fake_sound.h"

namespace kestrel::fakes {

std::string FakeSoundPlayer::Play(const std::string& path, bool background) {
  played.push_back({path, background});
  if (path.empty() || missing.count(path)) return {};
  return path;
}

bool FakeSoundPlayer::PlayTone(int hertz, int milliseconds) {
  tones.emplace_back(hertz, milliseconds);
  return true;
}

bool FakeSoundPlayer::PlaySamples(const std::vector<std::int16_t>& samples, int rate) {
  sample_plays.emplace_back(samples.size(), rate);
  return !samples.empty();
}

std::vector<std::string> FakeSoundPlayer::Paths() const {
  std::vector<std::string> paths;
  for (const auto& sound : played) paths.push_back(sound.path);
  return paths;
}

std::vector<std::string> FakeSoundPlayer::Words(bool withPauses) const {
  std::vector<std::string> words;
  for (const auto& sound : played) {
    std::string word = sound.path;
    const auto slash = word.rfind('\\');
    if (slash != std::string::npos) word = word.substr(slash + 1);
    if (!withPauses && word == "shdel") continue;
    words.push_back(word);
  }
  return words;
}

}  // namespace kestrel::fakes
