// The command keys: each is one key that acts at once or leaves a pending command whose
// argument is typed next. The tables list them in the order in which they are tested.
#include "banks/search.h"
#include "commands/commands_internal.h"
#include "controls/controls.h"
#include "display/display.h"
#include "speech/speech.h"
#include "state/app.h"
#include "state/banks.h"
#include "state/commands.h"
#include "state/controls.h"
#include "state/key_codes.h"
#include "state/modes.h"
#include "state/speech.h"

namespace kestrel::command_parts {
namespace {

struct CommandKey {
  int firstCode;  // the key, or the first of a run of keys (F1 to F7)
  int lastCode;
  void (*act)();
  bool goesOn;    // after acting the key is tested further (it matches nothing more)
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

// The receiver is sweeping or scanning its memory: it has no single frequency to say.
bool ReceiverHasNoSingleFrequency() {
  return MemoryScanState == kMemoryScanStarted || MemoryScanState == kMemoryScanReported ||
         (ListState > kListBrowsing && ReceiverScanning == 1);
}

void SayFrequency() {
  if (ReceiverHasNoSingleFrequency()) {
    SayWord("scan");
    return;
  }
  SpokenText = FrequencyText;
  SpeakFrequency();
  if (MemoryScanState == kNoMemoryScan) SpeakMode();
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
  SayWord("svoice");
  SayWord(ScanVoice == 1 ? "on" : "off");
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

constexpr CommandKey Key(char letter, void (*act)(), bool goesOn = false) {
  return {keys::Letter(letter), keys::Letter(letter), act, goesOn};
}
constexpr CommandKey Key(int code, void (*act)()) { return {code, code, act, false}; }

constexpr CommandKey kKeysBeforeScanEnd[] = {
    Key('Z', CheckBankSettings),
    Key('S', +[] { StartLimitEntry("start", kPendingStart); }),
    Key('K', +[] {
      if (ListState != kListBrowsing) return;  // nothing browsed, nothing to kill: no word
      SayWord("kill");
      PendingCommand = kPendingKill;
    }),
    Key('F', SayFrequency),
    Key('H', +[] { SayWordInBackground("help"); }),
    Key(keys::kUp, BrowseOrTuneByKilohertz),
    Key(keys::kDown, BrowseOrTuneByKilohertz),
    Key('D', +[] {
      if (PendingCommand == kNothingPending) StartArgumentEntry("delete", kPendingDelete);
    }),
    Key('M', +[] { if (!SaidLinkLost()) SpeakSignalLevel(); }),
};

constexpr CommandKey kKeysAfterScanEnd[] = {
    Key('E', +[] { StartLimitEntry("end", kPendingEnd); }),
    Key('N', ToggleScanVoice),
    Key('I', +[] { StartLimitEntry("incr", kPendingIncr); }),
    Key('G', +[] {
      if (SaidLinkLost()) return;  // the scan could not start: nothing is left pending
      SayWord("radbank");
      PendingCommand = kPendingRadbank;  // the last bank letter stays: "G", Enter repeats it
    }),
    {modes::kFirstModeKey, modes::kLastModeKey, SelectModeOfKey, false},
    Key('C', ToggleStopMode, true),
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

template <std::size_t N>
bool ActOnKeyOf(const CommandKey (&table)[N]) {
  bool matched = false;
  for (const auto& key : table) {
    if (KeyCode < key.firstCode || KeyCode > key.lastCode) continue;
    key.act();
    matched = true;
    if (!key.goesOn) break;
  }
  return matched;
}

}  // namespace

bool ActOnEarlyKey() {
  if (KeyCode == keys::Letter('W')) {
    SayWord("write");
    SayWord("fromb");
    PendingCommand = kPendingWrite;
    ArgumentText = "";
    return true;
  }
  if (KeyCode == keys::Letter('R')) {
    PendingCommand = kNothingPending;
    if (SaidLinkLost()) return true;  // neither the search nor the list scan starts
    if (ListState == kNoList) {
      StartSearch();
      return true;
    }
    StartListScan();
    return false;  // only the scan-end rule can still act on it
  }
  return false;
}

void SayTunedFrequency() { SayFrequency(); }

bool ActOnKeyBeforeScanEnd() { return ActOnKeyOf(kKeysBeforeScanEnd); }

void ActOnKeyAfterScanEnd() { ActOnKeyOf(kKeysAfterScanEnd); }

}  // namespace kestrel::command_parts
