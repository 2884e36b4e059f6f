// The program-wide variables of controls/ with their start values.
#include "state/controls.h"

#include "state/reset.h"

namespace kestrel {

KESTREL_STATE(Text, FrequencyText);
KESTREL_STATE(Text, SpokenText);
std::int32_t FrequencyHz = 0;
KESTREL_STATE(Text, StepText);
std::int32_t StepHz = 0;
KESTREL_STATE(Text, ModeText);
KESTREL_STATE(int, AttenuatorOn, 0);
KESTREL_STATE(int, NoiseLimiterOn, 0);

}  // namespace kestrel
