#include "rigctl/rigctl_state.h"

namespace kestrel {

int RigctlListener = -1;
RigctlClient RigctlClients[kRigctlMaxClients];
std::vector<RemoteSet> RemoteSets;
int RemoteReplyOwed = 0;
int LevelReading = 0;

void ResetRigctlState() {
  RigctlListener = -1;
  for (auto& client : RigctlClients) client = RigctlClient{};
  RemoteSets.clear();
  RemoteReplyOwed = 0;
  LevelReading = 0;
}

}  // namespace kestrel
