// The program-wide variables of rigctl/ with their start values.
#include "state/rigctl.h"

#include "state/reset.h"

namespace kestrel {

KESTREL_STATE(int, RigctlListener, -1);
KESTREL_STATE_ARRAY(RigctlClient, RigctlClients, kRigctlMaxClients);
KESTREL_STATE(std::vector<RemoteSet>, RemoteSets);
KESTREL_STATE(int, RemoteReplyOwed, 0);
KESTREL_STATE(int, LevelReading, 0);
KESTREL_STATE(int, SquelchReading, 0);

}  // namespace kestrel
