// Working on the layout of a bank in ListLines (its lines, entries and channels are named in
// state/bank_layout.h): the end-marker search and removing an entry.
#pragma once

#include "state/bank_layout.h"
#include "state/banks.h"

namespace kestrel {

// The first entry line, from the first entry's up to `lastLine`, of ListLines that holds
// the end marker; 0 when none does.
int FindEndMarker(int lastLine = kListSize - 1);

// Moves every entry of ListLines after the one on `line`, the end marker included, one
// entry up, and blanks what the marker leaves behind.
void RemoveListEntry(int line);

}  // namespace kestrel
