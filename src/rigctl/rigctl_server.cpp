// The control port's sockets, served once per pass of the event loop: new clients taken,
// what each has sent cut into lines and answered, the answers sent as far as the client
// takes them. Nothing here waits: a client that sends too much, too long a line or nothing
// at all costs the panel and the other clients nothing.
#include <algorithm>
#include <cstdio>
#include <vector>

#include "rigctl/rigctl.h"
#include "runtime/journal.h"
#include "runtime/platform/clock.h"
#include "runtime/platform/net_sockets.h"
#include "runtime/window.h"
#include "state/rigctl.h"

namespace kestrel {
namespace {

constexpr std::size_t kLineMax = 1024;      // a longer line is not this protocol
constexpr int kReadPerPass = 4096;          // per client and pass, so none holds the loop
constexpr std::size_t kOutputMax = 65536;   // answers left unread before the client is dropped
constexpr int kAcceptsPerPass = 16;

platform::NetSockets& Sockets() { return platform::GetNetSockets(); }

void DropClient(RigctlClient& client) {
  Sockets().Close(client.handle);
  client = RigctlClient{};
}

// The loop's wait ends when the listener or a client has something to read; the sockets
// are then served at once. Handles no longer in use are no longer watched.
std::vector<int> watched_handles;

void WakeOnClients() {
  std::vector<int> handles;
  if (RigctlListener >= 0) handles.push_back(RigctlListener);
  for (const auto& client : RigctlClients) {
    if (client.handle >= 0) handles.push_back(client.handle);
  }
  for (const int handle : watched_handles) {
    if (std::find(handles.begin(), handles.end(), handle) == handles.end()) {
      StopWatchingReadable(handle);
    }
  }
  // Reads are answered while the panel speaks too.
  for (const int handle : handles) WatchReadable(handle, ServeRigControl, true);
  watched_handles = handles;
}

// The client that has sent nothing for the longest time.
RigctlClient& LongestIdleClient() {
  RigctlClient* idlest = &RigctlClients[0];
  for (auto& client : RigctlClients) {
    if (client.lastHeardMs < idlest->lastHeardMs) idlest = &client;
  }
  return *idlest;
}

// Every waiting connection is taken. When the table is full the client idle longest gives
// way to the newcomer, so idle connections never lock other programs out.
void AcceptClients() {
  for (int taken = 0; taken < kAcceptsPerPass; ++taken) {
    const int handle = Sockets().Accept(RigctlListener);
    if (handle < 0) return;
    RigctlClient* place = nullptr;
    for (auto& client : RigctlClients) {
      if (client.handle < 0) {
        place = &client;
        break;
      }
    }
    if (!place) {
      place = &LongestIdleClient();
      DropClient(*place);
    }
    *place = RigctlClient{};
    place->handle = handle;
    place->lastHeardMs = platform::GetClock().SteadyMilliseconds();
  }
}

// False when the client has gone or is dropped.
bool ReadClient(RigctlClient& client) {
  char buffer[kReadPerPass];
  const int count = Sockets().Receive(client.handle, buffer, kReadPerPass);
  if (count < 0) return false;
  if (count > 0) client.lastHeardMs = platform::GetClock().SteadyMilliseconds();
  client.input.append(buffer, static_cast<std::size_t>(count));
  return true;
}

bool AnswerLines(RigctlClient& client) {
  std::size_t end;
  while ((end = client.input.find('\n')) != std::string::npos) {
    if (end > kLineMax) return false;
    const std::string line = client.input.substr(0, end);
    // While a word is heard only reads are answered; a set and what follows it wait.
    if (ListeningDuringWord() && RigctlLineQueuesSet(line)) {
      return client.input.size() <= kOutputMax;
    }
    client.input.erase(0, end + 1);
    bool close = false;
    client.output += AnswerRigctlLine(line, close);
    if (close) {
      Sockets().Send(client.handle, client.output.data(), static_cast<int>(client.output.size()));
      return false;
    }
  }
  return client.input.size() <= kLineMax;
}

bool SendAnswers(RigctlClient& client) {
  if (client.output.empty()) return true;
  const int sent = Sockets().Send(client.handle, client.output.data(),
                                  static_cast<int>(client.output.size()));
  if (sent < 0) return false;
  client.output.erase(0, static_cast<std::size_t>(sent));
  return client.output.size() <= kOutputMax;
}

// "127.0.0.1:4532", "[::1]:4532".
std::string HostPortText(const std::string& address, int port) {
  const bool v6 = address.find(':') != std::string::npos;
  return (v6 ? "[" + address + "]" : address) + ":" + std::to_string(port);
}

}  // namespace

bool ParseRigctlOption(const std::string& option, std::string& address, int& port) {
  const std::string name = "--rigctl";
  if (option == name) {
    address = kRigctlDefaultAddress;
    port = kRigctlDefaultPort;
    return true;
  }
  std::string host, digits;
  if (option.rfind(name + "=", 0) != 0 ||
      !platform::SplitHostPort(option.substr(name.size() + 1), host, digits)) {
    return false;
  }
  port = std::stoi(digits);
  address = host;
  return port <= 65535;
}

bool StartRigControl(const std::string& address, int port) {
  StopRigControl();
  int boundPort = 0;
  std::string error;
  RigctlListener = Sockets().Listen(address, port, boundPort, error);
  if (RigctlListener < 0) {
    std::fprintf(stderr, "kestrel: rig control port %s not opened: %s\n",
                 HostPortText(address, port).c_str(), error.c_str());
    return false;
  }
  WriteJournal({"RIGCTL", "listen", HostPortText(address, boundPort)});
  WakeOnClients();
  return true;
}

void ServeRigControl() {
  if (RigctlListener < 0) return;
  AcceptClients();
  for (auto& client : RigctlClients) {
    if (client.handle < 0) continue;
    // A client that has finished sending still gets the answers to what it sent.
    const bool open = ReadClient(client);
    const bool keep = AnswerLines(client) && SendAnswers(client);
    if (!open || !keep) DropClient(client);
  }
  WakeOnClients();
}

void StopRigControl() {
  for (auto& client : RigctlClients) {
    if (client.handle >= 0) DropClient(client);
  }
  if (RigctlListener >= 0) Sockets().Close(RigctlListener);
  RigctlListener = -1;
  WakeOnClients();
}

}  // namespace kestrel
