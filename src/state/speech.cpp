// The program-wide variables of speech/ with their start values.
#include "state/speech.h"

#include "state/reset.h"

namespace kestrel {

KESTREL_STATE(Text, WaveFolder);
KESTREL_STATE(Text, SoundFolder);
KESTREL_STATE(int, ScanVoice, 0);

}  // namespace kestrel
