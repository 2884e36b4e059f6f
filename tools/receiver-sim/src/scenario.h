// The signals on the air: each has a frequency, a level 0-255 and a time window in which it
// is on. A file holds one signal per line:
//   145.5000 120 0 -        MHz with a point (or Hz as digits), level, on at ms, off at ms
//   446006250 90 5000 9000  ("-" for off: on to the end; on and off may both be left out)
// Blank lines and text after # are ignored.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "frequency.h"
#include "sim_time.h"

namespace kestrel::sim {

inline constexpr int kHighestLevel = 255;

struct Signal {
  Hz hz = 0;
  int level = 0;
  Millis onMs = 0;
  Millis offMs = kNever;  // on while onMs <= t < offMs
};

class Scenario {
 public:
  void Add(const Signal& signal) { signals_.push_back(signal); }
  // The strongest signal on at t whose frequency lies within widthHz / 2 of hz (exactly on
  // it for a width of 0); 0 when there is none.
  int LevelAt(Hz hz, Millis t, int widthHz) const;
  // The first time after t at which some signal comes on or goes off; kNever if none.
  Millis NextChangeAfter(Millis t) const;

 private:
  std::vector<Signal> signals_;
};

// One line of a scenario file; nullopt for a blank or comment line; false in `ok` when the
// line is malformed.
std::optional<Signal> ParseSignalLine(std::string_view line, bool& ok);
bool LoadScenarioFile(const std::string& path, Scenario& scenario, std::string& error);

}  // namespace kestrel::sim
