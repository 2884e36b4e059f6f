// Program-wide state of the network control port: the remote sets that wait for their turn
// on the serial line. The listener and its clients are rigctl_server.cpp's own.
#pragma once

#include <string>
#include <vector>

namespace kestrel {

enum RemoteSetKind : int { kRemoteFrequency = 0, kRemoteMode = 1 };

struct RemoteSet {
  RemoteSetKind kind = kRemoteFrequency;
  std::string value;    // MHz text ("145.5") or ModeText ("CW ")
  std::string request;  // the command as the client wrote it, for the trace
};

extern std::vector<RemoteSet> RemoteSets;  // waiting sets, oldest first, at most one per kind

}  // namespace kestrel
