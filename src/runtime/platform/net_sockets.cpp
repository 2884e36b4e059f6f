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

NetSockets& GetNetSockets() { return *sockets_in_use; }
void InstallNetSockets(NetSockets* sockets) { sockets_in_use = sockets ? sockets : &no_sockets; }

}  // namespace kestrel::platform
