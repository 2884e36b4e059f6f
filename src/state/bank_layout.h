// The layout of a bank in ListLines and in its file: four header lines, then one entry of
// two lines (frequency, then label) after another, then the end marker on the line where
// the next entry's frequency would stand. And the bank number that BankFileName carries.
// The banks, the commands and the spoken read-outs share these facts.
#pragma once

#include <string>

#include "runtime/text.h"

namespace kestrel {

inline constexpr int kTitleLine = 0;     // "bank" + key, or the search list's title
inline constexpr int kModeLine = 1;      // the mode of every entry
inline constexpr int kStepLine = 2;      // the step, kHz
inline constexpr int kReservedLine = 3;  // kept as kReservedText
inline constexpr int kFirstEntryLine = 4;
inline constexpr int kLinesPerEntry = 2;  // frequency, label

inline constexpr const char* kReservedText = " ";
inline constexpr const char* kBlankLabel = " ";  // the label of an entry given none

// A bank holds at most 91 entries, as a bank of the receiver holds channels 00..90.
inline constexpr int kMostEntries = 91;
// So its end marker stands on line 186 at the latest.
inline constexpr int kLastMarkerLine = kFirstEntryLine + kMostEntries * kLinesPerEntry;

// The receiver's channel of the entry whose frequency stands on `line`: 00 for the first.
constexpr int ChannelOfLine(int line) { return (line - kFirstEntryLine) / kLinesPerEntry; }

// A bank file's name: "bank" + key + ".dat" in the working folder.
inline constexpr const char* kBankNamePrefix = "bank";
inline constexpr const char* kBankNameSuffix = ".dat";

// The bank number a file name carries: the two characters after "bank" ("bank07.dat": "07").
inline std::string BankNumberOf(const std::string& name) {
  return Mid(name, Length(kBankNamePrefix) + 1, 2);
}

}  // namespace kestrel
