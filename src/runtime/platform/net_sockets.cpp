// Until main installs real sockets the control port cannot open.
#include "runtime/platform/net_sockets.h"

namespace kestrel::platform {
namespace {

class NoSockets final : public NetSockets {
 public:
  int Listen(const std::string&, int, int&, std::string& error) override {
    error = "no network here";
    return -1;
  }
  int Accept(int) override { return -1; }
  int Receive(int, char*, int) override { return -1; }
  int Send(int, const char*, int) override { return -1; }
  void Close(int) override {}
};

NoSockets no_sockets;
NetSockets* sockets_in_use = &no_sockets;

}  // namespace

bool SplitHostPort(const std::string& text, std::string& host, std::string& port) {
  const auto colon = text.rfind(':');
  if (colon == std::string::npos || colon == 0) return false;
  host = text.substr(0, colon);
  port = text.substr(colon + 1);
  if (host.size() > 2 && host.front() == '[' && host.back() == ']') {
    host = host.substr(1, host.size() - 2);
    if (host.find_first_of("[]") != std::string::npos) return false;
  } else if (host.find_first_of("[]:") != std::string::npos) {
    return false;
  }
  return !port.empty() && port.size() <= 5 &&
         port.find_first_not_of("0123456789") == std::string::npos;
}

NetSockets& GetNetSockets() { return *sockets_in_use; }
void InstallNetSockets(NetSockets* sockets) { sockets_in_use = sockets ? sockets : &no_sockets; }

}  // namespace kestrel::platform
