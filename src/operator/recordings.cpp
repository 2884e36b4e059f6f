// The panel's side of the recordings: the settings, the marks handed to the recorder at a
// hit's begin and end, the one "failed", and the playing back with J.
#include "operator/recordings.h"

#include <unistd.h>

#include <ctime>
#include <iterator>
#include <memory>
#include <vector>

#include "operator/hit_log.h"
#include "recording/opus_file.h"
#include "recording/recorder.h"
#include "recording/recording_folder.h"
#include "runtime/config_format.h"
#include "runtime/files.h"
#include "runtime/journal.h"
#include "runtime/platform/sound_capture.h"
#include "runtime/platform/sound_player.h"
#include "speech/speech.h"
#include "state/app.h"
#include "state/banks.h"
#include "state/commands.h"
#include "state/key_codes.h"
#include "state/recordings.h"
#include "state/reset.h"

namespace kestrel {
namespace {

constexpr long long kBytesPerMb = 1000LL * 1000;

std::unique_ptr<recording::Recorder> recorder;
KESTREL_STATE(bool, input_wanted, false);
KESTREL_STATE(bool, failure_said, false);
KESTREL_STATE(int, held_hit, 0);  // the recorder's number of the held hit; 0: none
KESTREL_STATE(std::string, held_name, "");
KESTREL_STATE(long long, playing_until_ms, 0);  // a recording plays until then

const state::OnReset kStopAtReset{StopRecordings};

// "AudioIn:NAME" gives NAME; any other line gives nothing.
bool ValueAfter(const std::string& line, const std::string& key, std::string& value) {
  if (line.rfind(key, 0) != 0) return false;
  value = line.substr(key.size());
  while (!value.empty() && (value.back() == ' ' || value.back() == '\r')) value.pop_back();
  return true;
}

void SayNumber(long long number) {
  for (const char digit : std::to_string(number)) SayWord(std::string(1, digit));
}

struct AgeUnit {
  long long seconds;
  const char* one;
  const char* many;
};
// voice-words
constexpr AgeUnit kAgeUnits[] = {{86400, "day", "days"},
                                 {3600, "hour", "hours"},
                                 {60, "minute", "minutes"},
                                 {1, "second", "seconds"}};
constexpr std::size_t kUnitsWithSecondUnit = 2;  // days and hours are followed by the next unit

void SayCount(long long count, const AgeUnit& unit) {
  SayNumber(count);
  SayWord(count == 1 ? unit.one : unit.many);
}

// "3 hours 12 minutes": the largest unit that counts, followed by the next one for days and
// hours; "0 seconds" for no time at all.
void SayAge(long long seconds) {
  std::size_t unit = 0;
  while (unit + 1 < std::size(kAgeUnits) && seconds < kAgeUnits[unit].seconds) ++unit;
  SayCount(seconds / kAgeUnits[unit].seconds, kAgeUnits[unit]);
  if (unit >= kUnitsWithSecondUnit) return;
  const AgeUnit& next = kAgeUnits[unit + 1];
  SayCount(seconds % kAgeUnits[unit].seconds / next.seconds, next);
}

long long SecondsOf(const platform::LocalTime& t) {
  std::tm parts{};
  parts.tm_year = t.year - 1900;
  parts.tm_mon = t.month - 1;
  parts.tm_mday = t.day;
  parts.tm_hour = t.hour;
  parts.tm_min = t.minute;
  parts.tm_sec = t.second;
  parts.tm_isdst = -1;
  return static_cast<long long>(std::mktime(&parts));
}

void SayHit(const recording::RecordingEntry& entry) {
  for (const char c : hit_log::ShownFrequency(entry.frequency)) {
    SayWord(c == '.' ? "point" : std::string(1, c));
  }
  const long long age = SecondsOf(platform::GetClock().Now()) - SecondsOf(entry.start);
  SayAge(age < 0 ? 0 : age);
}

void PlayRecording(const std::string& name) {
  const std::string path = std::string(recording::kFolderName) + "/" + name;
  std::vector<std::int16_t> samples;
  int rate = 0;
  const bool played = recording::ReadRecording(path, samples, rate) &&
                      platform::GetSoundPlayer().PlaySamples(samples, rate);
  if (played) {
    playing_until_ms = platform::GetClock().SteadyMilliseconds() +
                       static_cast<long long>(samples.size()) * 1000 / rate;
  }
  WriteJournal(
      {"SOUND", "async", std::string(recording::kFolderName) + "\\" + name, played ? path : "-"});
}

}  // namespace

void ReadRecordingSettings() {
  for (int line = 0; line < 2; ++line) {
    if (ReadLine(ConfigFile, ConfigLine) < 0) return;
    std::string value;
    if (ValueAfter(ConfigLine.str(), config::kAudioInputKey, value)) AudioInputText = value;
    if (ValueAfter(ConfigLine.str(), config::kRecordingsLimitKey, value)) {
      const int mb = StoreInteger(TextToNumber(value));
      if (mb > 0 && mb <= kLargestRecordingsMb) RecordingsLimitMb = mb;
    }
  }
}

void StartRecordings() {
  if (AudioInputText.empty() || recorder) return;
  platform::GetSoundCapture().Prepare();
  recorder =
      std::make_unique<recording::Recorder>(AudioInputText.str(), RecordingsLimitMb * kBytesPerMb);
}

void StopRecordings() { recorder.reset(); }

bool RecordingsChosen() { return recorder != nullptr; }

void WaitForRecordings() {
  if (recorder) recorder->WaitUntilIdle();
}

void FollowRecordings() {
  if (!recorder) return;
  const bool wanted =
      SearchActive > kNoSearch || MemoryScanState > kNoMemoryScan || ListState > kListBrowsing;
  if (wanted != input_wanted) recorder->SetInputWanted(wanted);
  input_wanted = wanted;
  if (recorder->Failures() > 0 && !failure_said) {
    failure_said = true;
    SayWord("failed");
  }
}

void BeginHitRecording(const platform::LocalTime& start, long long steadyMs,
                       const std::string& frequency) {
  if (!recorder) return;
  FollowRecordings();  // the input opens with the operation, before its first halt
  held_name = recording::RecordingName(start, frequency);
  held_hit = recorder->BeginHit(held_name, platform::GetClock().SteadyMilliseconds() - steadyMs);
}

std::string EndHitRecording() {
  if (!recorder || held_hit == 0) return "";
  recorder->EndHit();
  const int hit = held_hit;
  held_hit = 0;
  return recorder->Failed(hit) ? "" : held_name;
}

void PlayRecordedHit() {
  const int folder = recording::OpenFolder(false);
  const std::vector<recording::RecordingEntry> entries =
      folder >= 0 ? recording::ListRecordings(folder) : std::vector<recording::RecordingEntry>{};
  if (folder >= 0) ::close(folder);
  if (HitsPlayedBack >= static_cast<int>(entries.size())) {
    HitsPlayedBack = 0;
    SayWord("none");
    return;
  }
  const recording::RecordingEntry& entry = entries[entries.size() - 1 - HitsPlayedBack];
  ++HitsPlayedBack;
  SayHit(entry);
  PlayRecording(entry.name);
}

void StopRecordedHit() {
  if (KeyCode != keys::Letter('J') || PendingCommand != kNothingPending) HitsPlayedBack = 0;
  if (playing_until_ms == 0) return;
  if (platform::GetClock().SteadyMilliseconds() < playing_until_ms) {
    platform::GetSoundPlayer().Play("", true);
    WriteJournal({"SOUND", "stop", "", "-"});
  }
  playing_until_ms = 0;
}

}  // namespace kestrel
