// Stream sockets for the network control port: a listening socket and its clients, every
// call returning at once. Handles are the platform's descriptors, the same numbers the
// window system can be asked to wake on.
#pragma once

#include <string>

namespace kestrel::platform {

class NetSockets {
 public:
  virtual ~NetSockets() = default;
  // Listens on address:port (port 0: any free port) and tells the port taken. Returns the
  // handle, or -1 with the reason in error.
  virtual int Listen(const std::string& address, int port, int& boundPort, std::string& error) = 0;
  // A waiting client's handle, or -1 when none waits.
  virtual int Accept(int listener) = 0;
  // Reads at most max bytes: the count read, 0 when nothing waits, -1 when the peer has
  // closed or the connection failed.
  virtual int Receive(int handle, char* buffer, int max) = 0;
  // Sends what fits now: the count taken (0 when the peer's window is full), -1 when the
  // connection is gone.
  virtual int Send(int handle, const char* data, int count) = 0;
  virtual void Close(int handle) = 0;
};

// "HOST:PORT" into its parts: HOST a name, an IPv4 address or an IPv6 address in brackets
// ("[::1]:4532", given back without them), PORT one to five digits. False for any other
// text, an IPv6 address without brackets among them.
bool SplitHostPort(const std::string& text, std::string& host, std::string& port);

NetSockets& GetNetSockets();
// nullptr installs sockets that never listen; main installs the Linux ones.
void InstallNetSockets(NetSockets* sockets);

}  // namespace kestrel::platform
