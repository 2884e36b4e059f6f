#include "panelset.h"

#include <unistd.h>

#include <cstddef>
#include <filesystem>
#include <functional>
#include <string_view>
#include <system_error>

#include "audio_inputs.h"
#include "link/speed_probe.h"
#include "port_list.h"
#include "runtime/files.h"
#include "runtime/platform/linux_adapters.h"
#include "runtime/platform/linux_folders.h"
#include "runtime/platform/linux_serial.h"
#include "runtime/platform/linux_tcp_serial.h"
#include "runtime/text.h"

namespace kestrel::panelset {
namespace {

namespace fs = std::filesystem;

constexpr int kLowestPort = 1;
constexpr int kHighestPort = 9;

constexpr const char* kUsageHead =
    "Usage: panelset [--folder DIR | --user-folder] [--port N] [--baud B] [--voice on|off|system]\n"
    "                [--debug on|off] [--device PATH] [--probe]\n"
    "                [--audio-in NAME|none] [--recordings-mb N]\n"
    "       panelset [--folder DIR | --user-folder] --list\n"
    "       panelset --list-audio\n"
    "\n"
    "Writes KESTREL.CFG, the front panel's configuration, in the working folder.\n"
    "\n";
constexpr const char* kUsageOptions =
    "  --port N        serial port COM1 to COM9 (N is 1 to 9)\n"
    "  --baud B        line speed: a standard speed from 50 to 460800 (4800, 9600, 19200, ...)\n"
    "  --voice on|off|system\n"
    "                  speak with the recorded words (on), stay silent (off), or speak\n"
    "                  through speech-dispatcher in the system's own voice (system)\n"
    "  --debug on|off  write the trace debug1.dat (on) or not (off)\n"
    "  --device PATH   link COMn in the working folder to this serial device (n is the port):\n"
    "                  a path, a /dev/serial/by-id name (it survives replugging), or\n"
    "                  tcp:HOST:PORT for a receiver served by ser2net in raw mode;\n"
    "                  an existing COMn link is replaced, any other COMn file is kept\n"
    "  --probe         find the receiver's speed (9600, 19200, 4800 baud, 8N2) by asking for\n"
    "                  the signal level, and write it; the console port is never probed\n"
    "  --audio-in NAME record every hit from this sound input (the receiver's audio\n"
    "                  output wired to it), 'default' for the system's default input,\n"
    "                  'none' to record nothing\n"
    "  --recordings-mb N\n"
    "                  keep the recordings folder within N MB (500 unless set); the\n"
    "                  oldest recordings are removed first\n"
    "  --list          list the serial ports of this machine (and the COMn links of the\n"
    "                  working folder that lead to them) and write nothing\n"
    "  --list-audio    list the sound inputs of this machine and write nothing\n"
    "  --help          show this text\n"
    "  --version       show the version\n"
    "\n"
    "Values not given are taken from an existing KESTREL.CFG, otherwise: port 1, 9600 baud,\n"
    "voice on, debug off. Exit code 0 when written, 2 when refused (nothing is written),\n"
    "1 when writing failed or the probe found no receiver.\n";

std::string OnOff(bool on) { return on ? "on" : "off"; }

std::string VoiceName(int voice) {
  return voice == config::kVoiceSystem ? "system" : OnOff(voice != config::kVoiceOff);
}
std::string PortName(int port) { return "COM" + std::to_string(port); }

// A whole number of at most nine digits and nothing else; -1 otherwise.
int ReadCount(std::string_view value) {
  if (value.empty() || value.size() > 9) return -1;
  int count = 0;
  for (const char c : value) {
    if (c < '0' || c > '9') return -1;
    count = count * 10 + (c - '0');
  }
  return count;
}

// Each option's reader stores its value, or returns what is wrong with it.
using OptionReader = std::function<std::string(const std::string& value, Settings& settings)>;

std::string ReadPort(const std::string& value, Settings& settings) {
  const int port = ReadCount(value);
  if (port < kLowestPort || port > kHighestPort) {
    return "port '" + value + "' refused: the panel reads the port as one digit, 1 to 9";
  }
  settings.port = port;
  return {};
}

std::string ReadBaud(const std::string& value, Settings& settings) {
  const int baud = ReadCount(value);
  if (baud < 0 || !platform::IsSettableSpeed(baud)) {
    return "line speed '" + value +
           "' refused: the serial line takes a standard speed from 50 to 460800 "
           "(such as 4800, 9600, 19200, 38400, 57600, 115200)";
  }
  settings.baud = baud;
  return {};
}

std::string ReadSwitch(const std::string& option, const std::string& value, bool& on) {
  if (value != "on" && value != "off") return option + " takes 'on' or 'off', not '" + value + "'";
  on = value == "on";
  return {};
}

struct Option {
  const char* name;
  OptionReader read;
};

std::string ReadVoice(const std::string& value, Settings& settings) {
  if (value == "system") {
    settings.voice = config::kVoiceSystem;
    return {};
  }
  bool on = false;
  std::string problem = ReadSwitch("--voice", value, on);
  if (!problem.empty()) return "--voice takes 'on', 'off' or 'system', not '" + value + "'";
  settings.voice = on ? config::kVoiceOn : config::kVoiceOff;
  return {};
}

const Option kOptions[] = {
    {"--port", ReadPort},
    {"--baud", ReadBaud},
    {"--voice", ReadVoice},
    {"--debug",
     [](const std::string& v, Settings& s) { return ReadSwitch("--debug", v, s.debug); }},
    {"--device",
     [](const std::string& v, Settings& s) {
       s.device = v;
       return v.empty() ? std::string("--device needs a path") : std::string();
     }},
    {"--audio-in", ReadAudioInput},
    {"--recordings-mb", ReadRecordingsMb},
};

const Option* FindOption(const std::string& name) {
  for (const Option& option : kOptions) {
    if (name == option.name) return &option;
  }
  return nullptr;
}

// Reads "--name value" and "--name=value" pairs into settings; returns what is wrong.
std::string ReadOptions(const std::vector<std::string>& args, Settings& settings) {
  for (std::size_t i = 0; i < args.size(); ++i) {
    std::string name = args[i];
    std::string value;
    const auto equals = name.find('=');
    const bool joined = name.rfind("--", 0) == 0 && equals != std::string::npos;
    if (joined) {
      value = name.substr(equals + 1);
      name = name.substr(0, equals);
    }
    const Option* option = FindOption(name);
    if (!option) return "unknown option '" + args[i] + "'";
    if (!joined) {
      if (i + 1 >= args.size()) return name + " needs a value";
      value = args[++i];
    }
    std::string problem = option->read(value, settings);
    if (!problem.empty()) return problem;
  }
  return {};
}

bool IsTcpTarget(const std::string& device) {
  std::string host, port;
  return platform::ParseTcpTarget(device, host, port);
}

// The device must be a character device (a serial line or a pseudo-terminal), given by
// path or by its bare /dev/serial/by-id name, or a tcp:HOST:PORT target; an existing COMn
// that is not a link is somebody's file: it is never replaced.
std::string CheckDeviceLink(Settings& settings) {
  if (settings.device.empty()) return {};
  std::error_code error;
  if (settings.device.rfind("tcp:", 0) == 0) {
    if (!IsTcpTarget(settings.device)) {
      return "device '" + settings.device +
             "' refused: a network receiver is named tcp:HOST:PORT (port 1 to 65535, an "
             "IPv6 address in brackets)";
    }
  } else {
    if (!fs::exists(settings.device, error) && !ByIdPath(settings.device).empty()) {
      settings.device = ByIdPath(settings.device);
    }
    if (!fs::exists(settings.device, error)) {
      return "device '" + settings.device +
             "' refused: no such device (panelset --list shows the serial ports)";
    }
    if (fs::status(settings.device, error).type() != fs::file_type::character) {
      return "device '" + settings.device + "' refused: it is not a serial device";
    }
  }
  const fs::file_status existing = fs::symlink_status(PortName(settings.port), error);
  if (fs::exists(existing) && !fs::is_symlink(existing)) {
    return PortName(settings.port) + " in the working folder is not a link; it is left alone";
  }
  return {};
}

std::string TemporaryName(const std::string& name) {
  return name + ".new-" + std::to_string(::getpid());
}

// Written beside the old file and renamed over it, so the panel never reads half a file.
std::string WriteConfigFile(const Settings& settings) {
  const std::string temporary = TemporaryName(kConfigFileName);
  FileVariable file;
  if (OpenFile(file, temporary, "W") != 0) return "cannot create " + temporary;
  bool written = true;
  for (const std::string& line : ConfigLines(settings)) {
    written = written && WriteLine(file, line) == Length(line) + 2;
  }
  written = written && FlushFile(file);
  CloseFile(file);
  if (!written || !RenameFile(temporary, kConfigFileName)) {
    DeleteFile(temporary);
    return std::string("cannot write ") + kConfigFileName;
  }
  return {};
}

// A new link renamed over the old one replaces it in one step.
std::string MakeDeviceLink(const Settings& settings) {
  const std::string name = PortName(settings.port);
  const std::string temporary = TemporaryName(name);
  std::error_code error;
  const fs::path target = IsTcpTarget(settings.device) ? fs::path(settings.device)
                                                       : fs::absolute(settings.device, error);
  fs::remove(temporary, error);
  fs::create_symlink(target, temporary, error);
  if (!error) fs::rename(temporary, name, error);
  if (error) {
    fs::remove(temporary, error);
    return "cannot link " + name + " to " + target.string();
  }
  return {};
}

int Refuse(std::ostream& err, const std::string& problem) {
  err << "panelset: " << problem << "\n"
      << "Try 'panelset --help'.\n";
  return kRefused;
}

}  // namespace

std::vector<std::string> ConfigLines(const Settings& settings) {
  using namespace config;
  std::vector<std::string> lines{
      LineText(kPortLine, PortName(settings.port)),
      LineText(kBaudLine, std::to_string(settings.baud)),
      LineText(kShapeLine, kLineShape),
      LineText(kVoiceLine, std::to_string(settings.voice)),
      LineText(kDebugLine, settings.debug ? "1" : "0"),
  };
  for (const std::string& line : RecordingLines(settings)) lines.push_back(line);
  return lines;
}

Settings ReadExistingSettings() {
  Settings settings;
  FileVariable file;
  if (OpenFile(file, kConfigFileName, "R") != 0) return settings;
  Text line;
  Text values[config::kLineCount];
  config::ReadValues(file, line, values);
  std::vector<std::string> recordingLines;
  while (recordingLines.size() < 2 && ReadLine(file, line) == 0) {
    recordingLines.push_back(line.str());
  }
  CloseFile(file);
  ReadRecordingLines(recordingLines, settings);
  const int port = StoreInteger(TextToNumber(Right(values[config::kPortLine].str(), 1)));
  if (port >= kLowestPort && port <= kHighestPort) settings.port = port;
  const int baud = StoreInteger(TextToNumber(values[config::kBaudLine].str()));
  if (platform::IsSettableSpeed(baud)) settings.baud = baud;
  const int voice = config::SwitchValue(values[config::kVoiceLine]);
  using namespace config;
  settings.voice = voice == kVoiceSystem ? kVoiceSystem : (voice != 0 ? kVoiceOn : kVoiceOff);
  settings.debug = config::SwitchValue(values[config::kDebugLine]) == 1;
  return settings;
}

namespace {

// Takes a flag (an option without value) out of args; true when it was there.
bool TakeFlag(std::vector<std::string>& args, const std::string& flag) {
  const auto before = args.size();
  std::erase(args, flag);
  return args.size() != before;
}

// A serial device that the panel could not use as it is: a clear word about why.
void WarnAboutDevice(const std::string& device, std::ostream& err) {
  if (device.empty() || IsTcpTarget(device)) return;
  if (platform::IsConsolePort(device)) {
    err << "panelset: warning: " << device
        << " is the machine's console port: the kernel writes its messages there\n";
  }
  const std::string access = AccessProblem(device);
  if (!access.empty()) err << "panelset: warning: " << device << ": " << access << "\n";
  for (const std::string& holder : Holders(device)) {
    err << "panelset: warning: " << device << " is held by " << holder
        << "; the panel cannot open it while it is\n";
  }
}

int ListSerialPorts(std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  std::string folder;
  std::string problem;
  if (!platform::TakeFolderOption(args, folder, problem)) return Refuse(err, problem);
  if (!args.empty())
    return Refuse(err, "--list takes no other option than --folder or --user-folder");
  if (!platform::EnterFolder(folder, problem)) return Refuse(err, problem);
  const std::vector<PortInfo> ports = ListPorts();
  if (ports.empty()) out << "no serial ports found\n";
  for (const PortInfo& port : ports) out << DescribePort(port) << "\n";
  return kDone;
}

// The device the port of the settings leads to, for messages.
std::string PortDevice(const Settings& settings) {
  const std::string name = PortName(settings.port);
  const std::string link = platform::LinkText(name);
  return link.empty() ? platform::SerialDevicePath(name) : link;
}

// Finds the speed and writes it; the exit code.
int Probe(Settings& settings, std::ostream& out, std::ostream& err) {
  platform::TermiosSerialPorts ports;
  const std::string name = PortName(settings.port);
  const std::string device = PortDevice(settings);
  if (!IsTcpTarget(device) && platform::IsConsolePort(device)) {
    err << "panelset: " << name << " (" << device
        << ") is the machine's console port; it is not probed\n";
    return kWriteFailed;
  }
  const ProbeResult result = ProbeSpeed(ports, name);
  if (!result.opened) {
    // The warnings about the device were given once already; this is the open's own reason.
    err << "panelset: " << name << " (" << device
        << ") cannot be opened: " << ports.LastOpenProblem() << "\n";
    return kWriteFailed;
  }
  if (result.baud == 0) {
    err << "panelset: no answer from the receiver on " << name << " (" << device << ") at "
        << kProbeSpeedsText << " baud; check that it is on and connected\n";
    return kWriteFailed;
  }
  if (IsTcpTarget(device)) {
    out << "The receiver answers over " << device
        << "; its line speed is set on the ser2net server\n";
    return kDone;
  }
  out << "The receiver answers at " << result.baud << " baud\n";
  settings.baud = result.baud;
  const std::string problem = WriteConfigFile(settings);
  if (!problem.empty()) {
    err << "panelset: " << problem << "\n";
    return kWriteFailed;
  }
  out << kConfigFileName << " written: " << settings.baud << " baud\n";
  return kDone;
}

}  // namespace

std::string WriteFoundReceiver(const std::string& device, int baud) {
  Settings settings = ReadExistingSettings();
  settings.port = kLowestPort;
  settings.baud = baud;
  settings.debug = true;
  settings.device = device;
  std::string problem = CheckDeviceLink(settings);
  // The link comes first: a KESTREL.CFG without it would end the next search before it began.
  if (problem.empty()) problem = MakeDeviceLink(settings);
  if (problem.empty()) problem = WriteConfigFile(settings);
  return problem;
}

int RunPanelset(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err) {
  std::vector<std::string> args = arguments;
  for (const std::string& arg : args) {
    if (arg == "--help" || arg == "-h") {
      out << kUsageHead << platform::kFolderOptionsHelp << kUsageOptions;
      return kDone;
    }
    if (arg == "--version") {
      out << "panelset " << KESTREL_VERSION << "\n";
      return kDone;
    }
  }
  if (TakeFlag(args, "--list")) return ListSerialPorts(args, out, err);
  if (TakeFlag(args, "--list-audio")) {
    if (!args.empty()) return Refuse(err, "--list-audio takes no other option");
    return ListAudioInputs(out);
  }
  const bool probe = TakeFlag(args, "--probe");
  std::string folder;
  std::string problem;
  if (!platform::TakeFolderOption(args, folder, problem)) return Refuse(err, problem);
  if (!platform::EnterFolder(folder, problem)) return Refuse(err, problem);

  Settings settings = ReadExistingSettings();
  problem = ReadOptions(args, settings);
  if (problem.empty()) problem = CheckDeviceLink(settings);
  if (!problem.empty()) return Refuse(err, problem);

  problem = WriteConfigFile(settings);
  if (problem.empty() && !settings.device.empty()) problem = MakeDeviceLink(settings);
  if (!problem.empty()) {
    err << "panelset: " << problem << "\n";
    return kWriteFailed;
  }
  out << kConfigFileName << " written: " << PortName(settings.port) << ", " << settings.baud
      << " baud, voice " << VoiceName(settings.voice) << ", debug " << OnOff(settings.debug)
      << "\n";
  if (!settings.device.empty()) out << PortName(settings.port) << " -> " << settings.device << "\n";
  if (!settings.audioIn.empty()) out << "Hits are recorded from " << settings.audioIn << "\n";
  WarnAboutDevice(settings.device, err);
  WarnAboutAudioInput(settings, err);
  return probe ? Probe(settings, out, err) : kDone;
}

}  // namespace kestrel::panelset
