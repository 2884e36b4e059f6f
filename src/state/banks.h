// Program-wide state of the memory banks and of search mode.
#pragma once

#include "runtime/files.h"
#include "runtime/text.h"

namespace kestrel {

inline constexpr int kListSize = 420;             // elements of ListLines and MergeLines
inline constexpr int kListFileLines = 400;        // elements read from or written to a file
inline constexpr const char* EndMarker = "9999";  // the line after a bank's last entry

extern Text ListLines[kListSize];   // the loaded bank, line i of the file in element i
extern int ListLast;                // line of the last entry's frequency (end marker - 2)
extern int ListIndex;               // line of the current entry's frequency
extern Text BankFileName;           // "bank" + key + ".dat"
extern Text MergeLines[kListSize];  // entries waiting to be merged into a bank
extern FileVariable BankFile;       // the bank file, open only within one operation

enum SearchStep : int {
  kNoSearch = 0,
  kSearchRunning = 1,
  kSearchHalted = 2,  // halted on a signal
};
extern SearchStep SearchActive;  // the search
extern int FoundCount;           // finds recorded since the search started, 0..91
extern Text SearchStartText;     // lower search limit, MHz
extern Text SearchEndText;       // upper search limit, MHz
extern int SearchListUnsaved;    // 1 when the last end of a search could not save its list

}  // namespace kestrel
