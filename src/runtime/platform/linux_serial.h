// The serial device on Linux: termios on a tty, found by the port layer's name; or a line
// served over TCP when the port's link holds "tcp:HOST:PORT" (linux_tcp_serial.h).
#pragma once

#include <map>
#include <memory>
#include <string>

#include "runtime/platform/serial_device.h"

namespace kestrel::platform {

// Maps a port-layer name to a Linux path: a file or link of the name (without any "\\.\"
// prefix) in the working folder, else /dev/ttyS(n - 1); a path ("/dev/...") stays as it is.
// "" for a name that is no port name.
std::string SerialDevicePath(const std::string& name);

// What a reopening of the port that `path` opened, reaching `device`, opens now: the path
// (the name's file or link in the folder, or /dev/ttyS(n - 1)) when it is there; else the
// device it reached, unless that was a pseudo-terminal; "" for nothing.
std::string ReopenedPath(const std::string& path, const std::string& device);

// The target of a symbolic link as its text; "" when path is no link.
std::string LinkText(const std::string& path);

// True for a line speed in baud that the serial device can be set to.
bool IsSettableSpeed(int baud);

class TermiosSerialPorts final : public SerialPorts {
 public:
  std::unique_ptr<SerialDevice> Open(const std::string& name) override;
  std::unique_ptr<SerialDevice> Reopen(const std::string& name) override;
  std::string LastOpenProblem() const override { return problem_; }
  std::vector<std::string> FreeAdapters() override;

 private:
  struct Reached {
    std::string path;    // the name's file or link in the folder, or /dev/ttyS(n - 1)
    std::string device;  // what that path held when it opened (a link's text), or the path
  };
  static std::string DeviceBehind(const std::string& path);
  std::unique_ptr<SerialDevice> OpenPath(const std::string& path);

  std::string problem_;
  std::map<std::string, Reached> reached_;  // by port-layer name, the last open that worked
};

}  // namespace kestrel::platform
