// A serial line served over TCP (ser2net in raw mode): the port's bytes go both ways
// unchanged, and the line's speed and shape are set on the server.
#pragma once

#include <memory>
#include <string>

#include "runtime/platform/serial_device.h"

namespace kestrel::platform {

// The text a COMn link holds to name such a line: "tcp:HOST:PORT" (HOST may be a name, an
// IPv4 address or an IPv6 address in brackets). True when target is one, with its parts.
bool ParseTcpTarget(const std::string& target, std::string& host, std::string& port);

// Connects to the server; nullptr when it cannot be reached within about a second, with
// problem (when given) saying why: unknown host, connection refused, no answer.
// The device behaves as a serial device: a connection that drops (server ended, network
// gone, peer unanswered for five seconds) reads as no bytes and writes as nothing written
// from then on, as an unplugged adapter does. Settings are kept, not sent.
std::unique_ptr<SerialDevice> OpenTcpDevice(const std::string& host, const std::string& port,
                                            std::string* problem = nullptr);

}  // namespace kestrel::platform
