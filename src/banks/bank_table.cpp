#include "banks/bank_table.h"

namespace kestrel {

int FindEndMarker(int lastLine) {
  for (int i = kFirstEntryLine; i <= lastLine && i < kListSize; i += kLinesPerEntry) {
    if (ListLines[i] == EndMarker) return i;
  }
  return 0;
}

void RemoveListEntry(int line) {
  for (int j = line; j < kListSize - kLinesPerEntry; j += kLinesPerEntry) {
    ListLines[j] = ListLines[j + kLinesPerEntry];
    ListLines[j + 1] = ListLines[j + kLinesPerEntry + 1];
    if (ListLines[j] == EndMarker) {
      ListLines[j + kLinesPerEntry] = "";
      return;
    }
  }
  ListLines[kListSize - kLinesPerEntry] = "";
  ListLines[kListSize - 1] = "";
}

}  // namespace kestrel
