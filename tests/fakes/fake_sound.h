// A recording sound player: every play with its mode; nothing is heard.
#pragma once

#include <set>
#include <string>
#include <utility>
#include <vector>

#include "runtime/platform/sound_player.h"

namespace kestrel::fakes {

struct PlayedSound {
  std::string path;
  bool background = false;
};

class FakeSoundPlayer final : public platform::SoundPlayer {
 public:
  std::string Play(const std::string& path, bool background) override;
  bool PlayTone(int hertz, int milliseconds) override;
  bool PlaySamples(const std::vector<std::int16_t>& samples, int rate) override;

  std::vector<PlayedSound> played;
  // Every tone asked for, as (hertz, milliseconds); tones are not in `played`.
  std::vector<std::pair<int, int>> tones;
  // Every sound played from samples, as (sample count, rate).
  std::vector<std::pair<std::size_t, int>> sample_plays;
  // Paths that count as missing files: they are recorded but report nothing played.
  std::set<std::string> missing;

  // The paths played, in order (stops included as "").
  std::vector<std::string> Paths() const;
  // The paths of the voice folder with the folder cut off: "wave\scan" -> "scan";
  // pauses ("shdel") left out unless asked for.
  std::vector<std::string> Words(bool withPauses = false) const;
  void Clear() {
    played.clear();
    tones.clear();
  }
};

}  // namespace kestrel::fakes
