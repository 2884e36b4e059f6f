// The level tones that U switches on and off (LevelTones): the signal heard as a pitch.
#pragma once

namespace kestrel {

// After a level poll with the tones on: a short tone whose pitch rises with the level, only
// while the squelch is open.
void PlayLevelTone();

}  // namespace kestrel
