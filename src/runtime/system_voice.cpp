#include "runtime/system_voice.h"

#include <cctype>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <optional>
#include <string_view>

#include "runtime/journal.h"
#include "runtime/platform/listening_wait.h"
#include "runtime/platform/sound_player.h"
#include "runtime/platform/speech_service.h"
#include "runtime/vocabulary.h"

namespace kestrel {
namespace {

using platform::SpeechEvent;

// A word whose end the server never reports holds the panel no longer than this.
constexpr auto kEndLimit = std::chrono::seconds(5);
// A server that misses this many word ends in a row is given up.
constexpr int kUnfinishedLimit = 3;

bool voice_active = false;
int unfinished_in_a_row = 0;       // words just said whose end never came
bool background_sounding = false;  // a background word may still be heard
bool tone_sounding = false;        // a tone may still be heard from the recordings' player
void (*report_trouble)(const std::string&) = nullptr;

// "wave\FM" and "wave\fm.wav" are both the word "fm".
std::string WordOfPath(const std::string& path) {
  const auto cut = path.find_last_of("\\/");
  std::string word = cut == std::string::npos ? path : path.substr(cut + 1);
  for (char& c : word) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (word.size() > 4 && word.ends_with(".wav")) word.resize(word.size() - 4);
  return word;
}

// "<silence 150>" is 150 ms of silence.
std::optional<int> SilenceMs(std::string_view phrase) {
  constexpr std::string_view kOpening = "<silence ";
  if (!phrase.starts_with(kOpening) || !phrase.ends_with(">")) return std::nullopt;
  int ms = 0;
  const char* first = phrase.data() + kOpening.size();
  const char* last = phrase.data() + phrase.size() - 1;
  const auto [end, error] = std::from_chars(first, last, ms);
  if (error != std::errc() || end != last || ms < 0) return std::nullopt;
  return ms;
}

bool IsTone(std::string_view phrase) { return phrase.starts_with("<tone "); }

void Report(const std::string& why) {
  const std::string text = why + "; the recorded words play instead";
  std::fprintf(stderr, "kestrel: %s\n", text.c_str());
  WriteJournal({"SPEECH", "lost", text});
  if (report_trouble) report_trouble(text);
}

void GiveUp() {
  const std::string why = platform::GetSpeechService().Problem();
  StopSystemVoice();
  Report(why.empty() ? "speech-dispatcher failed" : why);
}

// A word still sounding in the background is cut off by the next one, as a recording is.
bool CutBackgroundWord() {
  if (!background_sounding) return true;
  background_sounding = false;
  if (platform::GetSpeechService().Cancel()) return true;
  GiveUp();
  return false;
}

// Waits for the end of the message just said; false when the server was lost meanwhile.
bool WaitForEnd(std::string_view phrase) {
  platform::SpeechService& service = platform::GetSpeechService();
  const auto deadline = std::chrono::steady_clock::now() + kEndLimit;
  for (;;) {
    switch (service.WaitEvent(deadline)) {
      case SpeechEvent::kBegan: WriteJournal({"SPEECH", "begin", phrase}); break;
      case SpeechEvent::kEnded: unfinished_in_a_row = 0; return true;
      case SpeechEvent::kTimedOut:
        WriteJournal({"SPEECH", "unfinished", phrase});
        if (++unfinished_in_a_row >= kUnfinishedLimit) {
          // The word was heard (or its time has passed): the recordings take the next one.
          StopSystemVoice();
          Report("speech-dispatcher reported no word's end " + std::to_string(kUnfinishedLimit) +
                 " times in a row");
          return true;
        }
        if (service.Cancel()) return true;
        GiveUp();
        return false;
      case SpeechEvent::kLost: GiveUp(); return false;
    }
  }
}

}  // namespace

std::string StartSystemVoice() {
  background_sounding = false;
  unfinished_in_a_row = 0;
  tone_sounding = false;
  const std::string problem = platform::GetSpeechService().Open();
  voice_active = problem.empty();
  if (!voice_active) Report(problem);
  return problem;
}

void StopSystemVoice() {
  if (voice_active) platform::GetSpeechService().Close();
  voice_active = false;
  background_sounding = false;
  tone_sounding = false;
}

bool SystemVoiceActive() { return voice_active; }

bool SystemWordSounding() {
  if (!voice_active || !background_sounding) return false;
  for (;;) {
    switch (platform::GetSpeechService().WaitEvent(std::chrono::steady_clock::now())) {
      case SpeechEvent::kBegan: continue;
      case SpeechEvent::kTimedOut: return true;
      case SpeechEvent::kEnded: background_sounding = false; return false;
      case SpeechEvent::kLost: GiveUp(); return false;
    }
  }
}

void NoteToneStarted() { tone_sounding = voice_active; }

void SetSystemVoiceReport(void (*report)(const std::string& why)) { report_trouble = report; }

std::string SpeakSoundPath(const std::string& path, bool background) {
  platform::SoundPlayer& recordings = platform::GetSoundPlayer();
  if (tone_sounding) recordings.Play("", true);  // a word cuts a tone off
  tone_sounding = false;
  if (!CutBackgroundWord()) return recordings.Play(path, background);
  if (path.empty()) return {};
  const std::optional<std::string_view> phrase = PhraseOfWord(WordOfPath(path));
  if (!phrase) return {};
  if (const auto ms = SilenceMs(*phrase)) {
    platform::WaitListeningMs(*ms);
    return "pause:" + std::to_string(*ms);
  }
  if (IsTone(*phrase)) return recordings.Play(path, background);
  const std::string text(*phrase);
  if (!platform::GetSpeechService().Say(text)) {
    GiveUp();
    return recordings.Play(path, background);
  }
  if (background) {
    background_sounding = true;
  } else if (!WaitForEnd(text)) {
    // The word was cut short with the server: it is heard again from its recording.
    return recordings.Play(path, background);
  }
  return "speech:" + text;
}

}  // namespace kestrel
