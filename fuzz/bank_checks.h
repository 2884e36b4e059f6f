// What any bank the program leaves behind must look like, shared by the targets that run
// bank operations.
#pragma once

#include <algorithm>
#include <cstddef>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "banks/bank_names.h"
#include "fuzz_support.h"
#include "runtime/text.h"
#include "state/banks.h"

namespace kestrel::fuzz {

// A bank as the program writes it: a plain bank name, lines with CR LF, its end marker on a
// frequency line and the last line, no line longer than a text holds.
inline void CheckSavedBank(const std::string& name, const std::string& bytes) {
  FUZZ_CHECK(IsSafeBankFileName(name));
  const std::string tail = std::string(EndMarker) + "\r\n";
  FUZZ_CHECK(bytes.size() >= tail.size());
  FUZZ_CHECK(bytes.compare(bytes.size() - tail.size(), tail.size(), tail) == 0);
  const std::vector<std::string> lines = SplitLines(bytes, std::string::npos);
  FUZZ_CHECK(lines.size() <= static_cast<std::size_t>(kListSize));
  const std::size_t marker = lines.size() - 1;
  FUZZ_CHECK(marker >= 4 && marker % 2 == 0);
  for (std::size_t i = 0; i < marker; ++i) {
    FUZZ_CHECK(i < 4 || i % 2 == 1 || lines[i] != EndMarker);
    FUZZ_CHECK(lines[i].size() <= kTextLimit);
  }
}

// Nothing beside the working folder. In it: the files the harness wrote, as it wrote them
// or saved as banks, the files named in `others`, and banks the program saved whole; no
// temporary file left behind.
inline void CheckFolder(const ScratchFolder& folder,
                        const std::map<std::string, std::string>& given,
                        const std::vector<std::string>& others = {}) {
  FUZZ_CHECK(folder.NothingBesideWork());
  for (const auto& entry : std::filesystem::directory_iterator(".")) {
    const std::string name = entry.path().filename().string();
    if (std::find(others.begin(), others.end(), name) != others.end()) continue;
    const std::string bytes = ReadWholeFile(name);
    const auto found = given.find(name);
    if (found != given.end() && found->second == bytes) continue;
    CheckSavedBank(name, bytes);
  }
}

// The table ends at its end marker, on the frequency line after the last entry.
inline void CheckTable() {
  FUZZ_CHECK(ListLast >= 2 && ListLast % 2 == 0 && ListLast + 2 < kListSize);
  FUZZ_CHECK(ListLines[ListLast + 2] == EndMarker);
  for (const Text& line : ListLines) FUZZ_CHECK(line.size() <= kTextLimit);
}

}  // namespace kestrel::fuzz
