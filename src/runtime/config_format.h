// KESTREL.CFG, the panel's configuration: panelset writes it, the panel reads it at start
// (and panelset reads it back to keep what an option does not change). Five lines in the
// order of `Line`, each its name and then its value; the value is read from the character
// after the name, so a name keeps its length. A missing line reads as "". The recording
// lines may follow the five, each its key and its value.
#pragma once

#include <string>
#include <string_view>

#include "runtime/files.h"
#include "runtime/text.h"

namespace kestrel::config {

inline constexpr const char* kFileName = "KESTREL.CFG";

enum Line : int { kPortLine, kBaudLine, kShapeLine, kVoiceLine, kDebugLine, kLineCount };

// "Com=COM1": the port's digit is the value's last character. "Baud: 9600". "Bits:8N2":
// the line shape, written as it stands and ignored when read. "Voice:1" and "Debug:0": the
// value's first character counts.
inline constexpr const char* kNames[kLineCount] = {"Com=", "Baud: ", "Bits:", "Voice:", "Debug:"};
inline constexpr const char* kLineShape = "8N2";

// The voice character: off, the recorded words, or the speech server says the words. A
// panel that knows no speech server takes any digit but 0 as speech on.
inline constexpr int kVoiceOff = 0;
inline constexpr int kVoiceOn = 1;
inline constexpr int kVoiceSystem = 2;

// The recording lines after the five: the sound input, the recordings folder's size in MB.
inline constexpr const char* kAudioInputKey = "AudioIn:";
inline constexpr const char* kRecordingsLimitKey = "RecordingsMB:";

// The 1-based position of a line's value.
constexpr int ValueStart(Line line) {
  return static_cast<int>(std::string_view(kNames[line]).size()) + 1;
}

// A line as written: its name and value.
inline std::string LineText(Line line, const std::string& value) { return kNames[line] + value; }

// Reads the five lines from an open file and leaves each line's value (from its start
// position on) in `values`. The last line read stays in `lineRead`.
void ReadValues(FileVariable& file, Text& lineRead, Text (&values)[kLineCount]);

// The value of a switch line (voice, debug): its first character as a number.
int SwitchValue(const Text& value);

}  // namespace kestrel::config
