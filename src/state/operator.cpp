// The program-wide variables of operator/ with their start values.
#include "state/operator.h"

#include "state/reset.h"

namespace kestrel {

KESTREL_STATE(int, LevelTones, 0);

}  // namespace kestrel
