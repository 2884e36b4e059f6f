// Program-wide state of the operator's own keys: status, say again and the level tones.
#pragma once

namespace kestrel {

extern int LevelTones;  // 1: a short tone follows each level poll that found a signal

}  // namespace kestrel
