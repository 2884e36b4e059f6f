// Finds the receiver's line speed by asking for the signal level, which changes nothing on
// the receiver. panelset --probe and the panel's first start both ask this way.
#pragma once

#include <string>

#include "runtime/platform/serial_device.h"

namespace kestrel {

// The speeds tried, in this order: the receiver's usual speed first.
inline constexpr int kProbeSpeeds[] = {9600, 19200, 4800};
// The speeds as a text for messages: "9600, 19200 or 4800".
inline constexpr const char* kProbeSpeedsText = "9600, 19200 or 4800";

struct ProbeResult {
  bool opened = false;  // the port could be opened
  int baud = 0;         // the speed at which the receiver answered; 0 for no answer
  std::string reply;    // its answer, without the line end
};

// Opens the port (a port-layer name, "COM1", or a device path) through ports and sends
// "LM" + CR at each of kProbeSpeeds, 8 data bits, no parity, two stop bits, until an answer
// starting with "LM" comes back within waitMs.
ProbeResult ProbeSpeed(platform::SerialPorts& ports, const std::string& portName, int waitMs = 600);

}  // namespace kestrel
