// The control port's sockets, served once per pass of the event loop: new clients taken,
// what each has sent cut into lines and answered, the answers sent as far as the client
// takes them. Nothing here waits: a client that sends too much, too long a line or nothing
// at all costs the panel and the other clients nothing.
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "rigctl/rigctl.h"
#include "runtime/journal.h"
#include "runtime/platform/clock.h"
#include "runtime/platform/net_sockets.h"
#include "runtime/window.h"
#include "state/reset.h"

namespace kestrel {
namespace {

constexpr std::size_t kLineMax = 1024;     // a longer line is not this protocol
constexpr int kReadPerPass = 4096;         // per client and pass, so none holds the loop
constexpr std::size_t kOutputMax = 65536;  // answers left unread before the client is dropped
constexpr int kAcceptsPerPass = 16;
constexpr int kMaxClients = 32;

struct Client {
  int handle = -1;            // the connection, -1 for a free entry
  std::string input;          // bytes received, not yet a complete line
  std::string output;         // answers not yet taken by the client
  long long lastHeardMs = 0;  // steady clock: connected, or last sent something
};

KESTREL_STATE(int, listener, -1);  // listening handle, -1 while closed
KESTREL_STATE_ARRAY(Client, clients, kMaxClients);

platform::NetSockets& Sockets() { return platform::GetNetSockets(); }

void DropClient(Client& client) {
  Sockets().Close(client.handle);
  client = Client{};
}

// The loop's wait ends when the listener or a client has something to read; the sockets
// are then served at once. Handles no longer in use are no longer watched.
std::vector<int> watched_handles;

void WakeOnClients() {
  std::vector<int> handles;
  if (listener >= 0) handles.push_back(listener);
  for (const auto& client : clients) {
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
Client& LongestIdleClient() {
  Client* idlest = &clients[0];
  for (auto& client : clients) {
    if (client.lastHeardMs < idlest->lastHeardMs) idlest = &client;
  }
  return *idlest;
}

// Every waiting connection is taken. When the table is full the client idle longest gives
// way to the newcomer, so idle connections never lock other programs out.
void AcceptClients() {
  for (int taken = 0; taken < kAcceptsPerPass; ++taken) {
    const int handle = Sockets().Accept(listener);
    if (handle < 0) return;
    Client* place = nullptr;
    for (auto& client : clients) {
      if (client.handle < 0) {
        place = &client;
        break;
      }
    }
    if (!place) {
      place = &LongestIdleClient();
      DropClient(*place);
    }
    *place = Client{};
    place->handle = handle;
    place->lastHeardMs = platform::GetClock().SteadyMilliseconds();
  }
}

// False when the client has gone or is dropped.
bool ReadClient(Client& client) {
  char buffer[kReadPerPass];
  const int count = Sockets().Receive(client.handle, buffer, kReadPerPass);
  if (count < 0) return false;
  if (count > 0) client.lastHeardMs = platform::GetClock().SteadyMilliseconds();
  client.input.append(buffer, static_cast<std::size_t>(count));
  return true;
}

bool AnswerLines(Client& client) {
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

bool SendAnswers(Client& client) {
  if (client.output.empty()) return true;
  const int sent =
      Sockets().Send(client.handle, client.output.data(), static_cast<int>(client.output.size()));
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
  listener = Sockets().Listen(address, port, boundPort, error);
  if (listener < 0) {
    std::fprintf(stderr, "kestrel: rig control port %s not opened: %s\n",
                 HostPortText(address, port).c_str(), error.c_str());
    return false;
  }
  WriteJournal({"RIGCTL", "listen", HostPortText(address, boundPort)});
  WakeOnClients();
  return true;
}

void ServeRigControl() {
  if (listener < 0) return;
  AcceptClients();
  for (auto& client : clients) {
    if (client.handle < 0) continue;
    // A client that has finished sending still gets the answers to what it sent.
    const bool open = ReadClient(client);
    const bool keep = AnswerLines(client) && SendAnswers(client);
    if (!open || !keep) DropClient(client);
  }
  WakeOnClients();
}

void StopRigControl() {
  for (auto& client : clients) {
    if (client.handle >= 0) DropClient(client);
  }
  if (listener >= 0) Sockets().Close(listener);
  listener = -1;
  WakeOnClients();
}

}  // namespace kestrel
