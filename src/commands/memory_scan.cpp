// The receiver's own memory scan of one bank: starting it ("radbank"), passing over the
// channel it stopped on ("pass") and ending it with the passed channels given back.
#include "commands/commands.h"
#include "commands/commands_internal.h"
#include "controls/controls.h"
#include "display/display.h"
#include "display/screen_map.h"
#include "link/link.h"
#include "link/receiver_commands.h"
#include "link/replies.h"
#include "runtime/text.h"
#include "speech/speech.h"
#include "state/app.h"
#include "state/commands.h"
#include "state/controls.h"
#include "state/link.h"
#include "state/modes.h"
#include "state/speech.h"

namespace kestrel::command_parts {
namespace {

constexpr int kMemoryListReadings = 3;  // the bank's listing comes in pieces
constexpr int kFrequencyReading = 2;    // the piece whose "RF" is the scan's first channel
constexpr int kModeFieldBlanks = 6;
constexpr const char* kChannelReplyKeyword = "MX";  // the answer to "MR": "MX" + channel

// The frequency after "RF" in Hz, ten digits, shown in MHz: 0145500000 gives 145.500000.
// It ends at the first character that is not a digit (a CR or blank may follow early).
void TakeReplyFrequency() {
  const std::string digits = ReplyFrequencyDigits();
  if (digits.empty()) return;  // no frequency came: the shown one stays
  std::string mhz = WithMegahertzPoint(digits);
  while (Left(mhz, 1) == "0") mhz = Mid(mhz, 2);
  FrequencyText = mhz;
  ShowFrequency();
}

void TakeReplyMode(int mdAt, bool& modeSpoken) {
  const std::string digit = Mid(ReplyText, mdAt + 2, 1);
  // The mode digit of the reply is shown by the receiver's name for it.
  for (const auto& mode : modes::kModes) {
    if (digit.size() == 1 && modes::DigitOf(mode) != 0 && digit[0] == modes::DigitOf(mode)) {
      ModeText = mode.digitText;
    }
  }
  MoveTo(screen::kModeField.x, screen::kModeField.y);
  SetFont(screen::kFace, screen::kLargePoints, screen::kBold);
  Print(ModeText, Spaces(kModeFieldBlanks));
  if (!modeSpoken) SayWord(ModeText);
  modeSpoken = true;
}

void ReadMemoryListing() {
  bool modeSpoken = false;
  for (int reading = 1; reading <= kMemoryListReadings; ++reading) {
    Pause();
    ReadReply();
    if (reading == kFrequencyReading) TakeReplyFrequency();
    const int mdAt = Find(ReplyText, "MD");
    if (mdAt > 0) TakeReplyMode(mdAt, modeSpoken);
  }
}

void SendScanOfBank() {
  Pause();
  CommandText = kCommandMemoryScan + ArgumentText;
  LastScanBank = ArgumentText;
  SendCommand();
  // The second "MS" follows a pause from the voice folder: none at all with speech off.
  SayWord("shdel");
  CommandText = Left(CommandText, Length(CommandText) - 1);  // the same line again
  SendCommand();
}

}  // namespace

void StartMemoryScan() {
  StopHoldoff = 0;
  if (SaidLinkLost()) {
    PendingCommand = kNothingPending;
    return;
  }
  if (Length(ArgumentText) > 1) {
    SayWord("inv");  // "radbank" stays pending: a bank letter typed next replaces this
    return;
  }
  CommandText = kCommandLevelReportsOn;
  SendCommand();
  Pause();
  CommandText = kCommandMemoryList + ArgumentText;
  SendCommand();
  ReadMemoryListing();
  SendScanOfBank();
  PendingCommand = kNothingPending;
  MemoryScanState = kMemoryScanStarted;  // the poller follows the scan from here
  if (ScanVoice == 0) SayWord("scan");
}

void PassMemoryChannel() {
  SayWord("pass");
  if (PassCount >= kPassListSize) {
    SayWord("inv");  // no slot left to remember the channel by: nothing is sent
    return;
  }
  CommandText = kCommandMemoryRead;
  SendCommand();
  Pause();
  ReadReply();
  const int mxAt = Find(ReplyText, kChannelReplyKeyword);
  if (mxAt == 0) {
    SayWord("inv");
    return;
  }
  PassList[PassCount] = Mid(ReplyText, mxAt + 2, 3);
  ++PassCount;
  Pause();
  CommandText = kCommandPassOn;
  SendCommand();
  Pause();
  CommandText = kCommandMemoryScan;  // lets the scan go on
  SendCommand();
}

void EndRunningScan() {
  SayWord("exitscan");
  MemoryScanState = kNoMemoryScan;
  ListState = kNoList;
  // The channels passed during the scan are given back to the receiver's scan.
  for (int slot = 1; slot < PassCount && slot < kPassListSize; ++slot) {
    CommandText = kCommandMemoryRead + PassList[slot];
    SendCommand();
    Pause();
    CommandText = kCommandPassOff;
    SendCommand();
    Pause();
  }
  if (PassCount > 1) PassCount = 1;
  PendingCommand = kNothingPending;
  ApplyTypedFrequency();
  Pause();
  ApplyMode();
  if (QuitRequested == 1) SayWord("quit");
}

}  // namespace kestrel::command_parts
