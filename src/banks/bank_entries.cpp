// Finding the entries of the loaded bank that may be tuned: a frequency line that is no
// frequency (a hand-edited or damaged bank) is passed over, never sent.
#include "banks/bank_table.h"
#include "banks/banks.h"
#include "controls/controls.h"
#include "state/banks.h"

namespace kestrel {
namespace {

// The frequency line of the last entry before the first end marker; 0 for an empty list.
int LastEntryLine() {
  const int marker = FindEndMarker();
  if (marker == 0) return kListSize - kLinesPerEntry;  // no marker: every line pair counts
  return marker > kFirstEntryLine ? marker - kLinesPerEntry : 0;
}

}  // namespace

int FrequencyEntryFrom(int line, int direction) {
  const int last = LastEntryLine();
  if (last == 0) return 0;
  const int step = direction < 0 ? -kLinesPerEntry : kLinesPerEntry;
  if (line < kFirstEntryLine || line > last || line % kLinesPerEntry != 0) line = kFirstEntryLine;
  for (int tried = kFirstEntryLine; tried <= last; tried += kLinesPerEntry) {
    if (IsFrequencyText(ListLines[line])) return line;
    line += step;
    if (line > last) line = kFirstEntryLine;
    if (line < kFirstEntryLine) line = last;
  }
  return 0;
}

}  // namespace kestrel
