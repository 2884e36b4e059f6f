// The play primitive: a WAV file by path, synchronously (flags 0) or in the background
// (flags 1); an empty path stops playback. Every call is journalled.
#pragma once

#include <string>

namespace kestrel {

inline constexpr int kPlaySync = 0;
inline constexpr int kPlayBackground = 1;

void PlaySoundFile(const std::string& path, int flags);
// A short tone in the background (never over a word still sounding, whichever voice says
// it; the next word cuts it off); journalled as TONE.
void PlayTone(int hertz, int milliseconds);
// Why the last play refused the file it found (once per file), or "".
std::string TakeSoundRefusal();

}  // namespace kestrel
