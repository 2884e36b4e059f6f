// The loaded list: selecting a bank file, browsing it entry by entry, starting the list
// scan that the poller runs, and removing the browsed entry.
#include <algorithm>
#include <iterator>
#include <vector>

#include "banks/bank_table.h"
#include "banks/banks.h"
#include "commands/commands.h"
#include "commands/commands_internal.h"
#include "controls/controls.h"
#include "display/display.h"
#include "display/screen_map.h"
#include "link/link.h"
#include "link/receiver_commands.h"
#include "runtime/text.h"
#include "speech/speech.h"
#include "state/app.h"
#include "state/banks.h"
#include "state/commands.h"
#include "state/controls.h"
#include "state/key_codes.h"
#include "state/link.h"

namespace kestrel {
namespace {

constexpr int kEntryLabelBlanks = 39;

bool ListIsEmpty() { return ListLines[kFirstEntryLine] == EndMarker; }
// No entry at all, or none whose frequency line is a frequency.
bool NothingToTune() { return FrequencyEntryFrom(kFirstEntryLine, kLinesPerEntry) == 0; }

// Tunes the entry at ListIndex, or the nearest one in `direction` whose frequency line is a
// frequency; false (nothing sent) when no entry has one.
bool TuneListEntry(int direction = kLinesPerEntry) {
  const int line = FrequencyEntryFrom(ListIndex, direction);
  if (line == 0) return false;
  ListIndex = line;
  FrequencyText = ListLines[ListIndex];
  SpokenText = FrequencyText;
  TuneVfoA();
  return true;
}

// A step line of anything but digits and points is not sent: the step stays as it was.
bool IsStepLine(const Text& line) {
  for (const char c : line.str()) {
    if ((c < '0' || c > '9') && c != '.') return false;
  }
  return true;
}

// Tunes the first entry that has a frequency and takes the list's mode and step; false
// (nothing sent) when no entry has a frequency.
bool TuneFirstEntryWithModeAndStep() {
  ListIndex = kFirstEntryLine;
  if (!TuneListEntry()) return false;
  command_parts::Pause();
  ModeText = ListLines[kModeLine];
  ApplyMode();
  command_parts::Pause();
  if (IsStepLine(ListLines[kStepLine])) {
    StepText = ListLines[kStepLine];
    SetStep();
  }
  return true;
}

// No entry to tune: "inv", and the list is let go.
void RefuseList() {
  SayWord("inv");
  ListState = kNoList;
}

void PrintEntryLabel(const std::string& text) {
  MoveTo(screen::kListLabelBrowse.x, screen::kListLabelBrowse.y);
  SetFont(screen::kFace, screen::kNormalPoints, screen::kBold);
  SetColour(screen::kGreen);
  Print(text);
}

}  // namespace

namespace command_parts {

void StartListScan() {
  // A list without entries (or without a frequency among them) has nothing to step
  // through: the scan is refused and the list let go.
  if (NothingToTune()) {
    RefuseList();
    return;
  }
  ListState = kListScanStarted;
  TuneFirstEntryWithModeAndStep();
}

void BrowseList() {
  if (NothingToTune()) {
    RefuseList();
    return;
  }
  PrintEntryLabel(Spaces(kEntryLabelBlanks));
  const int direction = KeyCode == keys::kUp ? kLinesPerEntry : -kLinesPerEntry;
  // Only lines before the end marker are entries, wherever ListIndex was left; without a
  // marker, every line of the table.
  const int marker = FindEndMarker();
  const int end = marker != 0 ? marker : kListSize;
  ListIndex += direction;
  // Down from the first: the last.
  if (ListIndex < kFirstEntryLine) ListIndex = end - kLinesPerEntry;
  if (ListIndex >= end) ListIndex = KeyCode == keys::kUp ? kFirstEntryLine : end - kLinesPerEntry;
  if (ListIndex < kFirstEntryLine || ListIndex + 1 >= kListSize) ListIndex = kFirstEntryLine;
  TuneListEntry(direction);
  PrintEntryLabel(ListLines[ListIndex + 1]);
  if (ListIndex == kFirstEntryLine) SayWord("beep");  // the first entry is marked by a beep
}

}  // namespace command_parts

// Browsing a bank file leaves the receiver's memory alone.
void SelectBank() {
  BankFileName = "bank" + ArgumentText + ".dat";
  command_parts::Pause();
  if (LoadBankFile() != 0) {  // "bnf" has been said
    ListState = kNoList;
    MemoryScanState = kNoMemoryScan;
    SearchActive = kNoSearch;
    return;
  }
  if (NothingToTune()) {
    // A bank without entries (or without a frequency among them) has nothing to tune or
    // browse.
    SayWord("inv");
    ListState = kNoList;
    MemoryScanState = kNoMemoryScan;
    SearchActive = kNoSearch;
    return;
  }
  PendingCommand = kNothingPending;
  ListState = kListBrowsing;
  command_parts::Pause();
  TuneFirstEntryWithModeAndStep();
  SayWord("sel");
}

// The entry goes from the file first: when the bank could not be written, the list in
// memory stays as it was, so browsing and the next save still have the entry.
int KillListEntry() {
  if (ListIndex < kFirstEntryLine || ListIndex + 1 >= kListSize) return 1;
  if (ListLines[ListIndex] == EndMarker) return 1;  // no entry stands there
  const std::vector<Text> kept(std::begin(ListLines), std::end(ListLines));
  // Every later entry moves up by one, the end marker with them, wherever it stands.
  RemoveListEntry(ListIndex);
  if (SaveBankFile() != 0) {
    std::copy(kept.begin(), kept.end(), std::begin(ListLines));
    return 1;
  }
  const int marker = FindEndMarker();
  if (marker != 0) ListLast = marker - kLinesPerEntry;
  if (ListIsEmpty()) {
    // The only entry went: the empty bank is kept, there is nothing left to browse.
    ListIndex = ListLast;
    ListState = kNoList;
    return 0;
  }
  if (ListLines[ListIndex] == EndMarker) ListIndex = ListLast;  // the last entry went
  TuneListEntry();
  return 0;
}

}  // namespace kestrel
