// The program-wide variables of the recordings with their start values.
#include "state/recordings.h"

#include "state/reset.h"

namespace kestrel {

KESTREL_STATE(Text, AudioInputText, "");
KESTREL_STATE(int, RecordingsLimitMb, kDefaultRecordingsMb);
KESTREL_STATE(int, HitsPlayedBack, 0);

}  // namespace kestrel
