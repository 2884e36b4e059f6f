// Bank files for the bank tests: lines joined with CR LF, and banks built from entries.
#pragma once

#include <string>
#include <vector>

#include "fakes/kestrel_test.h"
#include "state/speech.h"

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
    entries.push_back({std::to_string(100 + i / 10) + "." + std::to_string(i % 10),
                       "L" + std::to_string(i)});
  }
  return entries;
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
