// Reading the simulator's own text files (scenario, memory) line by line.
#pragma once

#include <fstream>
#include <string>

namespace kestrel::sim {

// Hands every line of the file (a CR before its LF removed) with its number to takeLine,
// which returns "" or what is wrong with the line. False, with "path:line: fault" or
// "path: cannot be read" in error, at the first fault.
template <class TakeLine>
bool ReadTextFile(const std::string& path, std::string& error, TakeLine takeLine) {
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    error = path + ": cannot be read";
    return false;
  }
  std::string line;
  for (int number = 1; std::getline(file, line); ++number) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const std::string fault = takeLine(line);
    if (!fault.empty()) {
      error = path + ":" + std::to_string(number) + ": " + fault;
      return false;
    }
  }
  return true;
}

}  // namespace kestrel::sim
