// What each level reply means for the three operations that run unattended: the receiver's
// own memory scan, the list scan that retunes the receiver through a loaded bank, and the
// receiver's search. Each start and stop is reported on the status line and by voice.
#include "app/polling_steps.h"
#include "banks/bank_table.h"
#include "banks/banks.h"
#include "controls/controls.h"
#include "display/display.h"
#include "display/screen_map.h"
#include "link/link.h"
#include "operator/hit_log.h"
#include "runtime/text.h"
#include "speech/speech.h"
#include "state/app.h"
#include "state/banks.h"
#include "state/commands.h"
#include "state/controls.h"
#include "state/speech.h"

namespace kestrel::polling {
namespace {

using namespace screen;

constexpr int kResumePolls = 5;  // level polls a halted search waits in continue mode

void SelectPanelFont() { SetFont(kFace, kNormalPoints, kBold); }

void PrintStatusLine(const char* text) {
  MoveTo(kStatusLine.x, kStatusLine.y);
  SelectPanelFont();
  SetColour(kRed);
  Print(text);
}

// A frequency line of ListLines that has its label line beside it.
bool IsListEntry(int line) { return line >= kFirstEntryLine && line + 1 < kListSize; }

// The frequency line of the list's last entry: the one before the end marker.
int LastListEntry() {
  const int marker = FindEndMarker();
  return marker > kFirstEntryLine ? marker - kLinesPerEntry : kFirstEntryLine;
}

// The entry the list scan tuned last. ListIndex names the next one, except before the
// first step, when it still names the entry that starting the scan tuned.
int LastTunedListEntry() {
  if (!IsListEntry(ListIndex)) return kFirstEntryLine;
  if (ListState == kListScanStarted) return ListIndex;
  if (ListIndex > kFirstEntryLine) return ListIndex - kLinesPerEntry;
  return LastListEntry();
}

// Tunes the entry at ListIndex and moves on to the next, back to the first after the last.
// The end marker itself (an empty list), and a line past it, are never tuned.
// An entry whose frequency line is no frequency is passed over.
void TuneNextListEntry() {
  if (!IsListEntry(ListIndex) || ListIndex > LastListEntry()) ListIndex = kFirstEntryLine;
  if (ListLines[ListIndex] == EndMarker) return;
  const int line = FrequencyEntryFrom(ListIndex, kLinesPerEntry);
  if (line == 0) return;
  ListIndex = line;
  FrequencyText = ListLines[ListIndex];
  SpokenText = FrequencyText;
  TuneVfoA();
  ListIndex += kLinesPerEntry;
  if (!IsListEntry(ListIndex) || ListLines[ListIndex] == EndMarker) ListIndex = kFirstEntryLine;
}

// Memory scan running. After a stop the report waits until the scan has been seen running
// on seven polls in a row, so a scan that only flickers on is not announced again.
bool ReportMemoryScanRunning() {
  if (MemoryScanState <= kNoMemoryScan || ReceiverScanning != 1) return false;
  PollState = kServeKeys;
  if (StopHoldoff > 0 && --StopHoldoff > 0) return true;
  if (MemoryScanState == kMemoryScanStopped) MemoryScanState = kMemoryScanStarted;
  PrintStatusLine(kScanningText);
  // The only announcement that does not wait for its end.
  if (MemoryScanState == kMemoryScanStarted && ScanVoice == 1) SayWordInBackground("scan");
  MemoryScanState = kMemoryScanReported;
  return true;
}

// List scan, channel quiet: on to the next entry.
bool StepListScan() {
  if (ListState <= kListBrowsing || ReceiverScanning != 1) return false;
  MoveTo(kListLabelScan.x, kListLabelScan.y);
  SelectPanelFont();
  SetColour(kGreen);
  Print(Spaces(kListLabelClearBlanks));
  TuneNextListEntry();
  if (ListState != kListScanning) {
    PrintStatusLine(kScanningText);
    if (ScanVoice == 1) SayWord("scan");
    ListState = kListScanning;
  }
  PollState = kServeKeys;
  return true;
}

// Memory scan halted on a signal: its frequency is shown two ticks later.
bool ReportMemoryScanStopped() {
  if (MemoryScanState <= kNoMemoryScan || ReceiverScanning != 0) return false;
  PrintStatusLine(kStoppedText);
  MemoryScanState = kMemoryScanStopped;
  PollState = kWaitForScanStop;
  return true;
}

// List scan, signal present: the scan stays on the channel while the signal lasts.
bool HoldListScan() {
  if (ListState <= kListBrowsing || ReceiverScanning != 0) return false;
  MoveTo(kStatusLine.x, kStatusLine.y);
  SelectPanelFont();
  SetColour(kRed);
  if (ListState < kListScanHeld) {
    Print(kStoppedText);
    if (ScanVoice == 1) SayWord("stop");
    MoveTo(kListLabelScan.x, kListLabelScan.y);
    SelectPanelFont();
    SetColour(kGreen);
    Print(ListLines[LastTunedListEntry() + 1]);
    OpenListScanHit(ListLines[LastTunedListEntry() + 1].str());
    ListState = kListScanHeld;
  }
  PollState = kServeKeys;
  return true;
}

// Halted search in continue mode: after five polls the receiver is told to go on. Until
// then the later rules still apply. The count survives a search that resumes by itself.
bool ResumeHaltedSearch() {
  if (SearchActive != kSearchHalted || StopMode == 1) return false;
  if (ResumeCountdown <= 0) ResumeCountdown = kResumePolls;
  if (--ResumeCountdown != 0) return false;
  PlayFixedWord("shdel");
  SendResumeByte();
  PlayFixedWord("shdel");
  SendResumeByte();
  PollState = kServeKeys;
  return true;
}

bool ReportSearchHalted() {
  if (SearchActive != kSearchRunning || ReceiverScanning != 0) return false;
  PrintStatusLine(kStoppedText);
  if (StopMode == 1) SayWord("stop");
  SearchActive = kSearchHalted;
  BeginHaltedSearchQuestion();
  return true;
}

// The search line is drawn in whatever font was selected last.
bool ReportSearchRunning() {
  if (SearchActive != kSearchHalted || ReceiverScanning != 1) return false;
  MoveTo(kStatusLine.x, kStatusLine.y);
  SetColour(kGreen);
  Print(kSearchModeText);
  SearchActive = kSearchRunning;
  PollState = kServeKeys;
  return true;
}

}  // namespace

// The first rule that applies acts and ends the step.
void SuperviseScans() {
  using Rule = bool (*)();
  static constexpr Rule kRules[] = {
      ReportMemoryScanRunning, StepListScan,       ReportMemoryScanStopped, HoldListScan,
      ResumeHaltedSearch,      ReportSearchHalted, ReportSearchRunning};
  for (const Rule rule : kRules) {
    if (rule()) return;
  }
  PollState = kServeKeys;
}

}  // namespace kestrel::polling
