// Time inside the simulator: milliseconds since it started, from a monotonic clock that the
// caller reads and hands in, so every state machine can be driven by a test's own clock.
#pragma once

#include <cstdint>
#include <limits>

namespace kestrel::sim {

using Millis = std::int64_t;
inline constexpr Millis kNever = std::numeric_limits<Millis>::max();

}  // namespace kestrel::sim
