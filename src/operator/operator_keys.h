// The operator's keys beside the command keys: V (status), Y (say again), U (level tones).
// They only speak: they send nothing that changes the receiver and end nothing.
#pragma once

namespace kestrel {

// Acts on KeyCode when it is one of these keys; true when it was.
bool ActOnOperatorKey();
// After a level poll with the tones on: a short tone whose pitch rises with the level, only
// while the squelch is open.
void PlayLevelTone();

}  // namespace kestrel
