// Program-wide state of the network control port: its clients and the remote sets that wait
// for their turn on the serial line.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kestrel {

inline constexpr int kRigctlMaxClients = 32;

struct RigctlClient {
  int handle = -1;           // the connection, -1 for a free entry
  std::string input;         // bytes received, not yet a complete line
  std::string output;        // answers not yet taken by the client
  long long lastHeardMs = 0;  // steady clock: connected, or last sent something
};

enum RemoteSetKind : int { kRemoteFrequency = 0, kRemoteMode = 1 };

struct RemoteSet {
  int kind = kRemoteFrequency;
  std::string value;    // MHz text ("145.5") or ModeText ("CW ")
  std::string request;  // the command as the client wrote it, for the trace
};

extern int RigctlListener;                              // listening handle, -1 while closed
extern RigctlClient RigctlClients[kRigctlMaxClients];   // connected clients
extern std::vector<RemoteSet> RemoteSets;  // waiting sets, oldest first, at most one per kind
extern int RemoteReplyOwed;  // 1: the next tick reads the receiver's answer to a remote set
extern int LevelReading;     // the receiver's last level reading, 0..255
extern int SquelchReading;   // the last level reply's squelch: 1 open, 0 closed

}  // namespace kestrel
