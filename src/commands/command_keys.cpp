// What a key does, once it is neither a digit, the point, "Q" nor the test command (those
// HandleKey takes first): one table of rows in the order in which they are tested. The
// command keys act at once or leave a pending command whose argument is typed next.
#include <limits>

#include "banks/search.h"
#include "commands/commands.h"
#include "commands/commands_internal.h"
#include "controls/controls.h"
#include "display/display.h"
#include "operator/recordings.h"
#include "speech/read_outs.h"
#include "speech/speech.h"
#include "state/app.h"
#include "state/banks.h"
#include "state/commands.h"
#include "state/controls.h"
#include "state/key_codes.h"
#include "state/modes.h"
#include "state/operator.h"
#include "state/speech.h"

namespace kestrel::command_parts {
namespace {

struct CommandKey {
  int firstCode;  // the key, or the first of a run of keys (F1 to F7)
  int lastCode;
  void (*act)();
  bool goesOn;     // after acting the key is tested further
  bool (*when)();  // the row takes its keys only while this holds; nullptr: always
};

void StartLimitEntry(const char* word, PendingValue pending) {
  SayWord(word);
  PendingCommand = pending;
  LimitEntryFresh = 1;
}

void StartArgumentEntry(const char* word, PendingValue pending) {
  SayWord(word);
  PendingCommand = pending;
  ArgumentText = "";
}

void BrowseOrTuneByKilohertz() {
  if (SearchActive > kNoSearch || MemoryScanState > kNoMemoryScan) {
    SayWord("inv");
    return;
  }
  if (ListState == kListBrowsing) {
    BrowseList();
    return;
  }
  TuneByKilohertz();
}

// Fine tuning would fight the search, the memory scan or the loaded list.
bool FineTuningRefused() {
  if (SearchActive > kNoSearch || MemoryScanState > kNoMemoryScan || ListState > kNoList) {
    SayWord("inv");
    return true;
  }
  return false;
}

void ToggleScanVoice() {
  ScanVoice = 1 - ScanVoice;
  SayOnOff("svoice", ScanVoice);
}

void ToggleLevelTones() {
  LevelTones = 1 - LevelTones;
  SayOnOff("tone", LevelTones);
}

void ToggleStopMode() {
  StopMode = 1 - StopMode;
  SayWord(StopMode == 0 ? "cont" : "stmode");
  ShowSearchSettings();
}

void PassOrPut() {
  if (MemoryScanState > kNoMemoryScan && ReceiverScanning == 0) {
    PassMemoryChannel();
    return;
  }
  StartArgumentEntry("put", kPendingPut);
}

void StartWriteEntry() {
  SayWord("write");
  SayWord("fromb");
  PendingCommand = kPendingWrite;
  ArgumentText = "";
}

// A freshly started memory scan ends with the first key that is not taken before this rule.
void EndFreshMemoryScan() {
  SayWord("exitscan");
  MemoryScanState = kNoMemoryScan;
}

void StartSearchOrListScan() {
  PendingCommand = kNothingPending;
  if (SaidLinkLost()) return;  // neither the search nor the list scan starts
  if (ListState == kNoList) {
    StartSearch();
    return;
  }
  StartListScan();
  // The list scan's key is not taken before the scan-end rule: that rule acts on it too.
  if (MemoryScanState == kMemoryScanStarted) EndFreshMemoryScan();
}

void ExecuteOnEnter() {
  EndSearch();
  ExecutePendingCommand();
}

bool NothingPending() { return PendingCommand == kNothingPending; }

constexpr int kLowestCode = std::numeric_limits<int>::min();
constexpr int kHighestCode = std::numeric_limits<int>::max();

constexpr CommandKey Key(char letter, void (*act)(), bool goesOn = false) {
  return {keys::Letter(letter), keys::Letter(letter), act, goesOn, nullptr};
}
constexpr CommandKey Key(int code, void (*act)()) { return {code, code, act, false, nullptr}; }
constexpr CommandKey KeyWhen(char letter, bool (*when)(), void (*act)()) {
  return {keys::Letter(letter), keys::Letter(letter), act, false, when};
}
constexpr CommandKey AnyKeyWhen(bool (*when)(), void (*act)(), bool goesOn = false) {
  return {kLowestCode, kHighestCode, act, goesOn, when};
}

// The first row that takes the key acts on it; only a row that goes on lets the rows after
// it test the key too.
// One row a line, each row's routine beside its key: laid out by hand.
// clang-format off
constexpr CommandKey kCommandKeys[] = {
    // The operator's keys. With a command waiting for its argument they are keys like any
    // other, and J plays back only with recordings chosen.
    KeyWhen('V', NothingPending, +[] { SpeakYieldingToKeys(SayStatus); }),
    KeyWhen('Y', NothingPending, +[] { SpeakYieldingToKeys(SayAgain); }),
    KeyWhen('U', NothingPending, ToggleLevelTones),
    KeyWhen('J', +[] { return NothingPending() && RecordingsChosen(); }, PlayRecordedHit),
    // During "write" every key but Enter is the receiver's bank letter.
    AnyKeyWhen(+[] { return PendingCommand == kPendingWrite && KeyCode != keys::kEnter; },
               TakeWriteBankLetter),
    Key('W', StartWriteEntry),
    Key('R', StartSearchOrListScan),
    Key(keys::kEnter, ExecuteOnEnter),
    AnyKeyWhen(+[] { return PendingCommand == kPendingRadbank; }, TakeRadbankLetter),
    // Any other key cancels a limit or step entry silently, and is tested further.
    AnyKeyWhen(+[] {
      return PendingCommand == kPendingStart || PendingCommand == kPendingEnd ||
             PendingCommand == kPendingIncr;
    }, +[] { PendingCommand = kNothingPending; }, true),
    Key('Z', CheckBankSettings),
    Key('S', +[] { StartLimitEntry("start", kPendingStart); }),
    Key('K', +[] {
      if (ListState != kListBrowsing) return;  // nothing browsed, nothing to kill: no word
      SayWord("kill");
      PendingCommand = kPendingKill;
    }),
    Key('F', SayTunedFrequency),
    Key('H', +[] { SayWordInBackground("help"); }),
    Key(keys::kUp, BrowseOrTuneByKilohertz),
    Key(keys::kDown, BrowseOrTuneByKilohertz),
    Key('D', +[] {
      if (PendingCommand == kNothingPending) StartArgumentEntry("delete", kPendingDelete);
    }),
    Key('M', +[] { if (!SaidLinkLost()) SpeakSignalLevel(); }),
    // The scan-end rule. A Space never ends the scan: it is what lets a halted scan go on.
    AnyKeyWhen(+[] { return MemoryScanState == kMemoryScanStarted && KeyCode != keys::kSpace; },
               EndFreshMemoryScan, true),
    Key('E', +[] { StartLimitEntry("end", kPendingEnd); }),
    Key('N', ToggleScanVoice),
    Key('I', +[] { StartLimitEntry("incr", kPendingIncr); }),
    Key('G', +[] {
      if (SaidLinkLost()) return;  // the scan could not start: nothing is left pending
      SayWord("radbank");
      PendingCommand = kPendingRadbank;  // the last bank letter stays: "G", Enter repeats it
    }),
    {modes::kFirstModeKey, modes::kLastModeKey, SelectModeOfKey, false, nullptr},
    Key('C', ToggleStopMode, true),  // goes on, though no row after it takes "C"
    Key(keys::kLeft, +[] { if (!FineTuningRefused()) TuneByHundredHertz(); }),
    Key(keys::kRight, +[] { if (!FineTuningRefused()) TuneByHundredHertz(); }),
    Key(keys::kPageUp, +[] { if (!FineTuningRefused()) TuneByStep(); }),
    Key(keys::kPageDown, +[] { if (!FineTuningRefused()) TuneByStep(); }),
    Key('A', ToggleAttenuator),
    Key('L', ToggleNoiseLimiter),
    Key('B', +[] { StartArgumentEntry("bank", kPendingBank); }),
    Key('O', +[] { StartArgumentEntry("sort", kPendingSort); }),
    Key('P', PassOrPut),
    Key('T', +[] { StartArgumentEntry("transfer", kPendingTransfer); }),
};
// clang-format on

}  // namespace

void ActOnCommandKey() {
  for (const auto& key : kCommandKeys) {
    if (KeyCode < key.firstCode || KeyCode > key.lastCode) continue;
    if (key.when != nullptr && !key.when()) continue;
    key.act();
    if (!key.goesOn) return;
  }
}

}  // namespace kestrel::command_parts
