// The program-wide variables of rigctl/ with their start values.
#include "state/rigctl.h"

#include "state/reset.h"

namespace kestrel {

KESTREL_STATE(std::vector<RemoteSet>, RemoteSets);

}  // namespace kestrel
