// The network control port: Hamlib's NET rigctl protocol, served from the panel's own event
// loop, so that loggers, digital-mode programs and trackers share the receiver through it.
#pragma once

#include <string>

namespace kestrel {

inline constexpr const char* kRigctlDefaultAddress = "127.0.0.1";
inline constexpr int kRigctlDefaultPort = 4532;

// "--rigctl" (the local default) or "--rigctl=ADDRESS:PORT" into address and port (an IPv6
// address in brackets: "--rigctl=[::1]:4532"); false for any other text or a port outside
// 0..65535 (0 takes any free port).
bool ParseRigctlOption(const std::string& option, std::string& address, int& port);

// Opens the port. False, with the reason on standard error, when it cannot listen; the
// panel then runs without it.
bool StartRigControl(const std::string& address, int port);
// One pass of the loop: new clients taken, every complete line of every client answered,
// answers sent as far as the clients take them. Never waits.
void ServeRigControl();
void StopRigControl();

// The answer to one line of a client (its line end already removed). close is set when the
// client asked to end the connection.
std::string AnswerRigctlLine(const std::string& line, bool& close);

// The line asks for a set that waits for its turn on the serial line.
bool RigctlLineQueuesSet(const std::string& line);

// Called where a queued key would be served (PollState kServeKeys, no key queued): applies
// one queued remote set, or reads the receiver's answer to the last one on the tick after
// it. False when there is nothing to do now, so the poll goes on.
bool ServeRemoteSet();

}  // namespace kestrel
