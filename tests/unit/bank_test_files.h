// Banks for every test: lines joined with CR LF, built from entries, loaded as the list.
#pragma once

#include <string>
#include <vector>

#include "fakes/kestrel_test.h"
#include "state/banks.h"

namespace kestrel::testing {

struct Entry {
  std::string frequency;
  std::string label = " ";
};

// The bytes of a file holding these lines, each followed by CR LF.
inline std::string BankBytes(const std::vector<std::string>& lines) {
  std::string bytes;
  for (const auto& line : lines) bytes += line + "\r\n";
  return bytes;
}

// The lines of a bank as the program writes it: name, mode, step, " ", entries, "9999".
inline std::vector<std::string> BankLines(const std::string& name, const std::string& mode,
                                          const std::vector<Entry>& entries,
                                          const std::string& step = "12.5") {
  std::vector<std::string> lines = {name, mode, step, " "};
  for (const auto& entry : entries) {
    lines.push_back(entry.frequency);
    lines.push_back(entry.label);
  }
  lines.push_back("9999");
  return lines;
}

// count entries 100.0, 100.1, ... (as "100.0", "100.1", ...) with labels "L0", "L1", ...
inline std::vector<Entry> NumberedEntries(int count, int first = 0) {
  std::vector<Entry> entries;
  for (int i = first; i < first + count; ++i) {
    entries.push_back(
        {std::to_string(100 + i / 10) + "." + std::to_string(i % 10), "L" + std::to_string(i)});
  }
  return entries;
}

// The lines as the loaded list, line i in ListLines[i].
inline void LoadListLines(const std::vector<std::string>& lines) {
  for (std::size_t i = 0; i < lines.size(); ++i) ListLines[i] = lines[i];
}

// The base of the bank tests: speech on, so words are heard from "wave\".
class BankTest : public fakes::KestrelTest {
 protected:
  void SetUp() override {
    KestrelTest::SetUp();
    SpeechOn();
  }
  void WriteBank(const std::string& name, const std::vector<std::string>& lines) {
    WriteFile(name, BankBytes(lines));
  }
};

}  // namespace kestrel::testing
