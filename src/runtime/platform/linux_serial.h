// The serial device on Linux: termios on a tty, found by the port layer's name; or a line
// served over TCP when the port's link holds "tcp:HOST:PORT" (linux_tcp_serial.h).
#pragma once

#include <string>

#include "runtime/platform/serial_device.h"

namespace kestrel::platform {

// Maps a port-layer name to a Linux path: a file or link of the name (without any "\\.\"
// prefix) in the working folder, else /dev/ttyS(n - 1); a path ("/dev/...") stays as it is.
// "" for a name that is no port name.
std::string SerialDevicePath(const std::string& name);

// The target of a symbolic link as its text; "" when path is no link.
std::string LinkText(const std::string& path);

// True for a line speed in baud that the serial device can be set to.
bool IsSettableSpeed(int baud);

class TermiosSerialPorts final : public SerialPorts {
 public:
  std::unique_ptr<SerialDevice> Open(const std::string& name) override;
  std::string LastOpenProblem() const override { return problem_; }
  std::vector<std::string> FreeAdapters() override;

 private:
  std::string problem_;
};

}  // namespace kestrel::platform
