// panelset: writes the panel's configuration file KESTREL.CFG in the working folder and,
// on request, the COMn link that names the serial device the panel is to use.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "runtime/config_format.h"

namespace kestrel::panelset {

inline constexpr const char* kConfigFileName = config::kFileName;

// Exit codes.
inline constexpr int kDone = 0;
inline constexpr int kWriteFailed = 1;  // a file or link could not be written
inline constexpr int kRefused = 2;      // bad option or value; nothing was written

struct Settings {
  int port = 1;  // 1..9: the panel takes the port from one digit
  int baud = 9600;
  int voice = config::kVoiceOn;  // the voice character of KESTREL.CFG (config::kVoice...)
  bool debug = false;
  std::string device;    // serial device to link as COMn; "" for no link
  std::string audioIn;   // the sound input hits are recorded from; "" for none
  int recordingsMb = 0;  // the recordings folder's largest size; 0 for the panel's own
};

// The five lines of KESTREL.CFG for the settings, and the recording lines when a sound
// input or a size is set, without line ends.
std::vector<std::string> ConfigLines(const Settings& settings);

// The settings an existing KESTREL.CFG in the working folder holds, read at the positions
// the panel reads; a missing file, or a value the panel could not use, keeps the default.
Settings ReadExistingSettings();

// Writes what the panel's first start found in the working folder: the link COM1 to device
// and KESTREL.CFG for port 1 at baud, the trace on (so the search is in debug1.dat), the
// rest as panelset's defaults. "" when written, otherwise what failed.
std::string WriteFoundReceiver(const std::string& device, int baud);

// The whole program: options in `args` (without the program name). Messages go to `out`
// and `err`; returns the exit code.
int RunPanelset(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace kestrel::panelset
