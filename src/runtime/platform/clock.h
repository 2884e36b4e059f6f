// The wall clock: today's local date and time of day.
#pragma once

namespace kestrel::platform {

struct LocalTime {
  int year = 1970, month = 1, day = 1;
  int hour = 0, minute = 0, second = 0;
  int millisecond = 0;
};

class Clock {
 public:
  virtual ~Clock() = default;
  virtual LocalTime Now() = 0;
  // Milliseconds of a clock that only ever counts on (never set back), for durations.
  virtual long long SteadyMilliseconds();
};

// The clock in use; the real one unless a test installed another.
Clock& GetClock();
void InstallClock(Clock* clock);  // nullptr puts the real clock back

}  // namespace kestrel::platform
