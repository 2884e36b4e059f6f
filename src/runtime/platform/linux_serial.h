// The serial device on Linux: termios on a tty, found by the port layer's name.
#pragma once

#include <string>

#include "runtime/platform/serial_device.h"

namespace kestrel::platform {

// Maps a port-layer name to a Linux path: a file or link of the name (without any "\\.\"
// prefix) in the working folder, else /dev/ttyS(n - 1). "" for a name that is no port name.
std::string SerialDevicePath(const std::string& name);

// True for a line speed in baud that the serial device can be set to.
bool IsSettableSpeed(int baud);

class TermiosSerialPorts final : public SerialPorts {
 public:
  std::unique_ptr<SerialDevice> Open(const std::string& name) override;
};

}  // namespace kestrel::platform
