#include "scenario.h"
#include "text_file.h"

#include <algorithm>
#include <fstream>
#include <sstream>

namespace kestrel::sim {
namespace {

std::optional<Millis> ParseTime(const std::string& text, bool dashMeansNever) {
  if (dashMeansNever && text == "-") return kNever;
  const auto value = ParseDigits(text);
  if (!value) return std::nullopt;
  return *value;
}

}  // namespace

int Scenario::LevelAt(Hz hz, Millis t, int widthHz) const {
  int level = 0;
  for (const auto& signal : signals_) {
    const Hz distance = signal.hz > hz ? signal.hz - hz : hz - signal.hz;
    if (2 * distance > widthHz || t < signal.onMs || t >= signal.offMs) continue;
    level = std::max(level, signal.level);
  }
  return level;
}

Millis Scenario::NextChangeAfter(Millis t) const {
  Millis next = kNever;
  for (const auto& signal : signals_) {
    if (signal.onMs > t) next = std::min(next, signal.onMs);
    if (signal.offMs > t) next = std::min(next, signal.offMs);
  }
  return next;
}

std::optional<Signal> ParseSignalLine(std::string_view line, bool& ok) {
  ok = true;
  std::istringstream words(std::string(line.substr(0, line.find('#'))));
  std::vector<std::string> fields;
  for (std::string word; words >> word;) fields.push_back(word);
  if (fields.empty()) return std::nullopt;
  ok = false;
  if (fields.size() != 2 && fields.size() != 4) return std::nullopt;
  const auto hz = ParseAnyFrequency(fields[0]);
  const auto level = ParseDigits(fields[1]);
  if (!hz || !level || *level > kHighestLevel) return std::nullopt;
  Signal signal{*hz, static_cast<int>(*level)};
  if (fields.size() == 4) {
    const auto on = ParseTime(fields[2], false);
    const auto off = ParseTime(fields[3], true);
    if (!on || !off || *off <= *on) return std::nullopt;
    signal.onMs = *on;
    signal.offMs = *off;
  }
  ok = true;
  return signal;
}

bool LoadScenarioFile(const std::string& path, Scenario& scenario, std::string& error) {
  return ReadTextFile(path, error, [&scenario](const std::string& line) -> std::string {
    bool ok = true;
    const auto signal = ParseSignalLine(line, ok);
    if (!ok) return "expected FREQUENCY LEVEL [ON-MS OFF-MS|-], e.g. 145.5000 120 0 -";
    if (signal) scenario.Add(*signal);
    return "";
  });
}

}  // namespace kestrel::sim
