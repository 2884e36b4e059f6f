#include "audio_inputs.h"

#include <algorithm>

#include "panelset.h"
#include "runtime/config_format.h"
#include "runtime/platform/linux_capture.h"
#include "state/recordings.h"

namespace kestrel::panelset {
namespace {

constexpr const char* kNoInput = "none";

std::vector<std::string> InputNames() {
  platform::SdlSoundCapture capture;
  return capture.DeviceNames();
}

}  // namespace

std::vector<std::string> RecordingLines(const Settings& settings) {
  if (settings.audioIn.empty() && settings.recordingsMb == 0) return {};
  const int mb = settings.recordingsMb == 0 ? kDefaultRecordingsMb : settings.recordingsMb;
  return {config::kAudioInputKey + settings.audioIn,
          config::kRecordingsLimitKey + std::to_string(mb)};
}

void ReadRecordingLines(const std::vector<std::string>& lines, Settings& settings) {
  for (const std::string& line : lines) {
    const std::string input(config::kAudioInputKey), limit(config::kRecordingsLimitKey);
    if (line.rfind(input, 0) == 0) settings.audioIn = line.substr(input.size());
    // A size the panel could not use is left out, as the panel leaves it.
    if (line.rfind(limit, 0) == 0) ReadRecordingsMb(line.substr(limit.size()), settings);
  }
}

std::string ReadAudioInput(const std::string& value, Settings& settings) {
  if (value.empty()) return "--audio-in needs an input's name ('none' for no recordings)";
  if (value.find_first_of("\r\n") != std::string::npos)
    return "--audio-in takes a name of one line";
  settings.audioIn = value == kNoInput ? "" : value;
  return {};
}

std::string ReadRecordingsMb(const std::string& value, Settings& settings) {
  const bool digits =
      !value.empty() && value.size() <= 7 &&
      std::all_of(value.begin(), value.end(), [](char c) { return c >= '0' && c <= '9'; });
  const int mb = digits ? std::stoi(value) : 0;
  if (mb < 1 || mb > kLargestRecordingsMb) {
    return "--recordings-mb '" + value + "' refused: the folder's size is 1 to " +
           std::to_string(kLargestRecordingsMb) + " MB";
  }
  settings.recordingsMb = mb;
  return {};
}

int ListAudioInputs(std::ostream& out) {
  const std::vector<std::string> names = InputNames();
  if (names.empty()) out << "no sound inputs found\n";
  for (const std::string& name : names) out << name << "\n";
  return kDone;
}

void WarnAboutAudioInput(const Settings& settings, std::ostream& err) {
  if (settings.audioIn.empty() || settings.audioIn == platform::kDefaultCaptureName) return;
  const std::vector<std::string> names = InputNames();
  if (std::find(names.begin(), names.end(), settings.audioIn) != names.end()) return;
  err << "panelset: warning: the sound input '" << settings.audioIn
      << "' is not there now (panelset --list-audio lists them)\n";
}

}  // namespace kestrel::panelset
