// The layout of a bank in ListLines and in its file: four header lines, then one entry of
// two lines (frequency, then label) after another, then the end marker on the line where
// the next entry's frequency would stand.
#pragma once

#include "runtime/text.h"
#include "state/banks.h"

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

// The first entry line, from the first entry's up to `lastLine`, of ListLines that holds
// the end marker; 0 when none does.
int FindEndMarker(int lastLine = kListSize - 1);

// Moves every entry of ListLines after the one on `line`, the end marker included, one
// entry up, and blanks what the marker leaves behind.
void RemoveListEntry(int line);

}  // namespace kestrel
