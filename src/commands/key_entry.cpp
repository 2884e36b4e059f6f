// HandleKey takes one entry of the key queue per timer tick: it takes the test command, "Q",
// the digits and the point itself and hands every other key to the key table
// (command_keys.cpp); EnterDigit collects typed digits, and the bank letters of "write" and
// "radbank" are taken here too.
#include "banks/banks.h"
#include "banks/search.h"
#include "commands/commands.h"
#include "commands/commands_internal.h"
#include "display/display.h"
#include "display/screen_map.h"
#include "link/link.h"
#include "link/port.h"
#include "link/receiver_commands.h"
#include "operator/recordings.h"
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

constexpr int kRawReplyMax = 255;   // the raw test reads whatever came, up to this many bytes
constexpr int kRawLineBlanks = 22;  // cover the rest of a longer earlier test line

void TakeFirstQueueEntry() {
  KeyCode = KeyQueue[0];
  for (int i = 1; i < KeyQueueCount && i < kKeyQueueSize; ++i) KeyQueue[i - 1] = KeyQueue[i];
  --KeyQueueCount;
}

bool IsDigitOrPoint(int code) {
  return code == keys::kPoint || (code >= keys::kDigit0 && code <= keys::kDigit9);
}

// The trace line of the key. Space also lets a halted scan or search go on at once.
void TraceKey() {
  if (KeyCode == keys::kEnter) {
    LogLine = "**C/R";
  } else if (KeyCode == keys::kSpace) {
    LogLine = "**SPC";
    SendResumeByte();
  } else {
    LogLine = "**" + CharOf(KeyCode);
  }
  WriteTraceLine();
}

// Enter after "test": the typed text goes out as it is and whatever came back is shown.
void SendRawCommand() {
  PendingCommand = kNothingPending;
  if (ArgumentText.empty()) return;
  CommandText = ArgumentText;
  SendCommand();
  LogLine = "TX=" + ArgumentText + " RX=";
  command_parts::Pause();
  char buffer[kRawReplyMax];
  BytesWaiting = ReadPort(PortNumber, buffer, kRawReplyMax);
  ReplyText.AssignRaw(std::string_view(buffer, static_cast<std::size_t>(BytesWaiting)));
  LogLine = LogLine + ReplyText;
  MoveTo(screen::kRawTestLine.x, screen::kRawTestLine.y);
  SetFont(screen::kFaceSmall, screen::kSmallPoints, screen::kBold);
  SetColour(screen::kBlack);
  Print(LogLine, Spaces(kRawLineBlanks));
}

}  // namespace

// During "write" the key is the receiver's bank letter, once the bank's two digits are typed.
void command_parts::TakeWriteBankLetter() {
  if (Length(ArgumentText) != 2) {
    SayWord("inv");
    PendingCommand = kNothingPending;
    return;
  }
  // The receiver's bank is erased by the write itself, once its bank file has been read.
  ArgumentText = ArgumentText + CharOf(KeyCode);
  SayWord(CharOf(KeyCode));
}

// During "radbank" a letter A to J is the bank; any other key refuses the command.
void command_parts::TakeRadbankLetter() {
  if (KeyCode >= keys::kFirstBankLetter && KeyCode <= keys::kLastBankLetter) {
    SayWord(CharOf(KeyCode));
    ArgumentText = CharOf(KeyCode);
    return;
  }
  SayWord("inv");
  PendingCommand = kNothingPending;
}

namespace {

// A quit while a search runs first ends the search as Enter does (its finds are saved to
// the search list file and counted), so that the pending command runs as it would on Enter.
void QuitAfterPendingCommand() {
  QuitRequested = 1;
  RunFlag = 0;
  if (SearchActive > kNoSearch) EndSearch();
  ExecutePendingCommand();
}

}  // namespace

void HandleKey() {
  if (KeyQueueCount <= 0) return;
  TakeFirstQueueEntry();
  if (KeyCode == keys::kReplyMarker) {
    ReadReply();
    return;
  }
  StopRecordedHit();
  MoveTo(screen::kKeyLine.x, screen::kKeyLine.y);
  SetFont(screen::kFace, screen::kLargePoints, screen::kBold);
  if (KeyCode == keys::kFullStop) KeyCode = keys::kPoint;
  TraceKey();
  if (LinkState == kLinkConnecting) {
    SayWord("rnc");  // the receiver never answered: nothing can be done, the program ends
    LinkState = kLinkGivenUp;
    RunFlag = 0;
    return;
  }
  if (KeyCode == keys::Letter('X') && PendingCommand != kPendingTest && DebugFlag == 1) {
    SayWord("test");
    ArgumentText = "";
    PendingCommand = kPendingTest;
    return;
  }
  if (PendingCommand == kPendingTest) {
    if (KeyCode == keys::kEnter) {
      SendRawCommand();
    } else {
      ArgumentText = ArgumentText + CharOf(KeyCode);
    }
    return;
  }
  if (KeyCode == keys::Letter('Q')) {
    QuitAfterPendingCommand();
    return;
  }
  if (IsDigitOrPoint(KeyCode)) {
    EnterDigit();
    return;
  }
  command_parts::ActOnCommandKey();
}

void EnterDigit() {
  if (ListState > kListBrowsing) return;  // a list scan runs: digits mean nothing now
  const std::string typed = KeyCode == keys::kPoint ? "." : CharOf(KeyCode);
  SayWord(KeyCode == keys::kPoint ? "point" : typed);
  auto appendFresh = [&typed](Text& value, int& fresh) {
    if (fresh == 1) {
      value = "";
      fresh = 0;
    }
    value = value + typed;
  };
  switch (PendingCommand) {
    case kNothingPending: appendFresh(FrequencyText, FrequencyEntryFresh); break;
    case kPendingStart: appendFresh(SearchStartText, LimitEntryFresh); break;
    case kPendingEnd: appendFresh(SearchEndText, LimitEntryFresh); break;
    case kPendingIncr: appendFresh(StepText, LimitEntryFresh); break;
    case kPendingWrite:
      if (Length(ArgumentText) > 1) {
        SayWord("inv");
        PendingCommand = kNothingPending;
        break;
      }
      ArgumentText = ArgumentText + typed;
      if (Length(ArgumentText) == 2) SayWord("torb");
      break;
    case kPendingTransfer:
    case kPendingPut:
    case kPendingSort:
    case kPendingBank:
    case kPendingDelete:
    case kPendingKill: ArgumentText = ArgumentText + typed; break;
    case kPendingRadbank:
    case kPendingTest: break;  // the echo alone is heard
  }
}

}  // namespace kestrel
