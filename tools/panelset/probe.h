// panelset --probe: finds the receiver's line speed by asking for the signal level, which
// changes nothing on the receiver.
#pragma once

#include <string>

#include "runtime/platform/serial_device.h"

namespace kestrel::panelset {

struct ProbeResult {
  bool opened = false;  // the port could be opened
  int baud = 0;         // the speed at which the receiver answered; 0 for no answer
  std::string reply;    // its answer, without the line end
};

// Opens the port (a port-layer name, "COM1") through ports and sends "LM" + CR at 4800,
// 9600 and 19200 baud, 8 data bits, no parity, two stop bits, until an answer starting
// with "LM" comes back within waitMs.
ProbeResult ProbeSpeed(platform::SerialPorts& ports, const std::string& portName,
                       int waitMs = 600);

}  // namespace kestrel::panelset
