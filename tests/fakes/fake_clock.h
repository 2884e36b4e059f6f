// A clock that shows the time a test sets.
#pragma once

#include "runtime/platform/clock.h"

namespace kestrel::fakes {

class FakeClock final : public platform::Clock {
 public:
  platform::LocalTime Now() override { return now; }
  long long SteadyMilliseconds() override { return steady; }
  platform::LocalTime now{2026, 12, 6, 9, 41, 7};
  long long steady = 0;
};

}  // namespace kestrel::fakes
