#include "operator/operator_keys.h"

#include <algorithm>
#include <string>
#include <vector>

#include "banks/bank_names.h"
#include "banks/bank_table.h"
#include "commands/commands_internal.h"
#include "link/receiver_commands.h"
#include "link/replies.h"
#include "operator/recordings.h"
#include "runtime/sound.h"
#include "runtime/text.h"
#include "speech/announcements.h"
#include "speech/speech.h"
#include "state/app.h"
#include "state/banks.h"
#include "state/commands.h"
#include "state/controls.h"
#include "state/key_codes.h"
#include "state/link.h"
#include "state/operator.h"
#include "state/speech.h"

namespace kestrel {
namespace {

constexpr int kLowestToneHz = 300;
constexpr int kHighestToneHz = 1500;
constexpr int kToneMs = 40;

// Digits one by one, "point" for a point.
void SayDigits(const std::string& text) {
  BeginPhrase();
  for (const char c : text) SayWord(c == '.' ? "point" : std::string(1, c));
}

void SayOnOff(const char* word, int on) {
  SayWord(word);
  SayWord(on == 1 ? "on" : "off");
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

// The whole state, most important first. While the link is lost it begins with "lost"
// and leaves out the signal, which the receiver can no longer tell.
void SayStatus() {
  const bool lost = SaidLinkLost();
  command_parts::SayTunedFrequency();
  SayWhatRuns();
  SayWord("incr");
  SayDigits(StepText.str());
  SayWord(AttenuatorOn == 1 ? "atton" : "attoff");
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

void ToggleLevelTones() {
  LevelTones = 1 - LevelTones;
  SayOnOff("tone", LevelTones);
}

}  // namespace

bool ActOnOperatorKey() {
  if (KeyCode == keys::Letter('V')) {
    SpeakYieldingToKeys(SayStatus);
  } else if (KeyCode == keys::Letter('Y')) {
    SpeakYieldingToKeys(SayAgain);
  } else if (KeyCode == keys::Letter('U')) {
    ToggleLevelTones();
  } else if (KeyCode == keys::Letter('J') && RecordingsChosen()) {
    PlayRecordedHit();
  } else {
    return false;
  }
  return true;
}

void PlayLevelTone() {
  const int level = ReplyLevel();
  if (LevelTones != 1 || level < 0 || ReceiverScanning == 1) return;
  PlayTone(kLowestToneHz + level * (kHighestToneHz - kLowestToneHz) / kHighestLevel, kToneMs);
}

}  // namespace kestrel
