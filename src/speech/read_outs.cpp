#include "speech/read_outs.h"

#include <string>
#include <vector>

#include "runtime/text.h"
#include "speech/announcements.h"
#include "speech/speech.h"
#include "state/app.h"
#include "state/bank_layout.h"
#include "state/banks.h"
#include "state/commands.h"
#include "state/controls.h"
#include "state/speech.h"

namespace kestrel {
namespace {

// Digits one by one, "point" for a point.
void SayDigits(const std::string& text) {
  BeginPhrase();
  for (const char c : text) SayWord(c == '.' ? "point" : std::string(1, c));
}

// The receiver is sweeping or scanning its memory: it has no single frequency to say.
bool ReceiverHasNoSingleFrequency() {
  return MemoryScanState == kMemoryScanStarted || MemoryScanState == kMemoryScanReported ||
         (ListState > kListBrowsing && ReceiverScanning == 1);
}

// Position (from 1) of the entry the list stands on; during a list scan the one tuned last.
int EntryPosition() {
  int line = ListIndex;
  if (ListState > kListScanStarted) {
    line = ListIndex > kFirstEntryLine ? ListIndex - kLinesPerEntry : ListLast;
  }
  return line >= kFirstEntryLine ? ChannelOfLine(line) + 1 : 1;
}

void SayWhatRuns() {
  if (SearchActive > kNoSearch) {
    SayWord("srch");
    SayWord("found");
    SayDigits(std::to_string(FoundCount));
  } else if (MemoryScanState > kNoMemoryScan) {
    SayWord("scan");
    SayWord("radbank");
    SayWord(LastScanBank.str());
  } else if (ListState > kNoList) {
    if (ListState > kListBrowsing) SayWord("scan");
    SayWord("bank");
    SayDigits(BankNumberOf(BankFileName.str()));
    SayWord("entry");
    SayDigits(std::to_string(EntryPosition()));
  }
}

}  // namespace

void SayStatus() {
  const bool lost = SaidLinkLost();
  SayTunedFrequency();
  SayWhatRuns();
  SayWord("incr");
  SayDigits(StepText.str());
  SayAttenuator();
  SayOnOff("noise", NoiseLimiterOn);
  SayOnOff("svoice", ScanVoice);
  if (!lost) SpeakSignalLevel();
}

void SayAgain() {
  const std::vector<AnnouncedWord> words = LastAnnouncement();
  for (const auto& spoken : words) {
    if (spoken.startsPhrase) BeginPhrase();
    if (spoken.background) {
      SayWordInBackground(spoken.word);
    } else {
      SayWord(spoken.word);
    }
  }
}

void SayTunedFrequency() {
  if (ReceiverHasNoSingleFrequency()) {
    SayWord("scan");
    return;
  }
  SpokenText = FrequencyText;
  SpeakFrequency();
  if (MemoryScanState == kNoMemoryScan) SpeakMode();
}

void SayOnOff(const char* word, int on) {
  SayWord(word);
  SayWord(on == 1 ? "on" : "off");
}

}  // namespace kestrel
