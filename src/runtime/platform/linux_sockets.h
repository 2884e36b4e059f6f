// The control port's sockets on Linux: non-blocking TCP over IPv4 or IPv6.
#pragma once

#include "runtime/platform/net_sockets.h"

namespace kestrel::platform {

class PosixSockets final : public NetSockets {
 public:
  int Listen(const std::string& address, int port, int& boundPort, std::string& error) override;
  int Accept(int listener) override;
  int Receive(int handle, char* buffer, int max) override;
  int Send(int handle, const char* data, int count) override;
  void Close(int handle) override;
};

}  // namespace kestrel::platform
