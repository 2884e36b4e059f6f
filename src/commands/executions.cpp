// Enter (and "Q") executes the pending command: its argument is checked, the work done,
// the result said, and the pending command cleared.
#include "banks/bank_names.h"
#include "banks/bank_table.h"
#include "banks/banks.h"
#include "commands/commands.h"
#include "commands/commands_internal.h"
#include "controls/controls.h"
#include "display/display.h"
#include "runtime/files.h"
#include "runtime/text.h"
#include "speech/speech.h"
#include "state/app.h"
#include "state/banks.h"
#include "state/commands.h"
#include "state/controls.h"

namespace kestrel {
namespace {

void TuneTypedFrequencyOrEndScan() {
  ResumeCountdown = 0;
  FrequencyEntryFresh = 1;
  if (MemoryScanState > kNoMemoryScan || ListState > kListBrowsing) {
    command_parts::EndRunningScan();
    return;
  }
  ApplyTypedFrequency();
  command_parts::Pause();
  SetStep();
  // After a search whose list could not be saved, "failed" has been said instead.
  if (QuitRequested == 1) {
    SayWord("quit");
  } else if (SearchListUnsaved == 0) {
    SayWord("ok");
  }
}

// "start", "end" and "incr": with nothing typed the value is read out, otherwise the new
// value is shown.
void FinishLimitEntry(const Text& value) {
  if (LimitEntryFresh == 1) {
    SpokenText = value;
    SpeakFrequency();
  } else {
    ShowSearchSettings();
    SayWord("ok");
  }
  PendingCommand = kNothingPending;
  LimitEntryFresh = 0;
}

// The bank commands work on ListLines and BankFileName, which hold the search list while a
// search runs; they are refused then so that no find is lost.
bool RefusedDuringSearch() { return SearchActive > kNoSearch; }

// "transfer", "put", "sort" and "bank" take a two- or four-character argument.
void RunBankOperation(void (*operation)()) {
  const int length = Length(ArgumentText);
  if ((length != 2 && length != 4) || RefusedDuringSearch()) {
    SayWord("inv");
  } else {
    operation();
  }
  PendingCommand = kNothingPending;
  LimitEntryFresh = 0;
}

void RunWriteToReceiver() {
  if (Length(ArgumentText) != 3 || RefusedDuringSearch()) {
    SayWord("inv");
  } else {
    WriteBankToReceiver();
  }
  PendingCommand = kNothingPending;
}

void DeleteBankFile() {
  if (Length(ArgumentText) != 2) {
    SayWord("inv");
  } else {
    // Only a bank of the working folder is ever deleted, whatever the key typed.
    const std::string name = BankFileNameOf(ArgumentText);
    const bool gone = !IsSafeBankFileName(name) || DeleteFile(name);
    SayWord(gone ? "ok" : "failed");  // "ok" also when there was no such file
  }
  PendingCommand = kNothingPending;
}

// The entry under the browse position exists: a list is browsed and holds entries.
bool BrowsedEntryExists() {
  return ListState == kListBrowsing && ListIndex >= kFirstEntryLine && ListIndex + 1 < kListSize &&
         ListLines[kFirstEntryLine] != EndMarker && ListLines[ListIndex] != EndMarker;
}

void KillBrowsedEntry() {
  if (BrowsedEntryExists()) {
    SayWord(KillListEntry() == 0 ? "ok" : "failed");
  } else {
    SayWord("inv");
  }
  PendingCommand = kNothingPending;
}

}  // namespace

namespace command_parts {

void Pause() { PlayFixedWord("shdel"); }

}  // namespace command_parts

void ExecutePendingCommand() {
  switch (PendingCommand) {
    case kNothingPending: TuneTypedFrequencyOrEndScan(); break;
    case kPendingStart: FinishLimitEntry(SearchStartText); break;
    case kPendingEnd: FinishLimitEntry(SearchEndText); break;
    case kPendingIncr:
      SetStep();
      FinishLimitEntry(StepText);
      break;
    case kPendingTransfer: RunBankOperation(TransferBank); break;
    case kPendingPut: RunBankOperation(PutFrequency); break;
    case kPendingSort: RunBankOperation(SortBankFile); break;
    case kPendingBank: RunBankOperation(SelectBank); break;
    case kPendingRadbank: command_parts::StartMemoryScan(); break;
    case kPendingWrite: RunWriteToReceiver(); break;
    case kPendingDelete: DeleteBankFile(); break;
    case kPendingKill: KillBrowsedEntry(); break;
    case kPendingTest: PendingCommand = kNothingPending; break;  // sent by the entry itself
  }
}

void ApplyTypedFrequency() {
  if (PendingCommand != kNothingPending || FrequencyText.empty()) return;
  command_parts::Pause();
  SpokenText = FrequencyText;
  TuneVfoA();
  MemoryScanState = kNoMemoryScan;
  ListState = kNoList;
  SearchActive = kNoSearch;
}

}  // namespace kestrel
