// Program-wide state of the speech output.
#pragma once

#include "runtime/text.h"

namespace kestrel {

extern Text WaveFolder;   // prefix of every spoken word: "wave\", or "" with speech off
extern Text SoundFolder;  // prefix of the pause "shdel" and the waiting "beep"s: always "wave\"
extern int ScanVoice;     // 1: scan and stop reports of scans are spoken

}  // namespace kestrel
