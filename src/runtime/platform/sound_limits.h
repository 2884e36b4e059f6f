// The limits a word file must keep before it is decoded: a hostile or broken file (a
// declared rate of 1 Hz, a hundred megabytes of sound) would otherwise cost gigabytes of
// memory and minutes of conversion.
#pragma once

#include <string>

namespace kestrel::platform {

inline constexpr long long kLargestSoundFileBytes = 5LL * 1024 * 1024;
inline constexpr int kLongestSoundMs = 10000;
inline constexpr int kLowestSoundRate = 4000;
inline constexpr int kHighestSoundRate = 192000;

// "" when the WAV file at `file` keeps the limits (or is no WAV file at all: the decoder
// then refuses it itself); otherwise why it is refused ("larger than 5 MB", "not PCM
// (format 17)", "24 bits a sample", "rate 1 Hz", "longer than 10 s"). Only PCM of 8 or 16
// bits is taken: the length of anything else is not what its bytes suggest.
std::string SoundFileRefusal(const std::string& file);

}  // namespace kestrel::platform
