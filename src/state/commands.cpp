// The program-wide variables of commands/ with their start values.
#include "state/commands.h"

#include "state/reset.h"

namespace kestrel {

KESTREL_STATE(int, KeyCode, 0);
KESTREL_STATE(PendingValue, PendingCommand, kNothingPending);
KESTREL_STATE(Text, ArgumentText);
KESTREL_STATE(int, LimitEntryFresh, 0);
KESTREL_STATE(int, FrequencyEntryFresh, 0);
KESTREL_STATE(int, QuitRequested, 0);
KESTREL_STATE_ARRAY(Text, PassList, kPassListSize);
KESTREL_STATE(int, PassCount, 0);
KESTREL_STATE(int, StopMode, 0);
KESTREL_STATE(Text, LastScanBank);

}  // namespace kestrel
