#include "link/link_recovery.h"

#include <chrono>
#include <thread>

#include "display/display.h"
#include "display/screen_map.h"
#include "link/link.h"
#include "link/port.h"
#include "link/receiver_commands.h"
#include "link/replies.h"
#include "runtime/text.h"
#include "speech/speech.h"
#include "state/link.h"
#include "state/reset.h"

namespace kestrel {
namespace {

constexpr int kReopenTicks = 10;  // one attempt a second at the poller's 100 ms tick
constexpr int kAnswerTicks = 10;  // a reopened port has a second to answer
constexpr auto kAnswerWait = std::chrono::milliseconds(500);
constexpr auto kAnswerLook = std::chrono::milliseconds(10);
constexpr const char* kLostText = "   *** RECEIVER LOST ***  ";

KESTREL_STATE(int, reopen_countdown, 0);  // ticks until the next reopening, or left for the answer

void PrintStatusLine(const std::string& text) {
  MoveTo(screen::kStatusLine.x, screen::kStatusLine.y);
  SetFont(screen::kFace, screen::kNormalPoints, screen::kBold);
  SetColour(screen::kRed);
  Print(text);
  SetColour(screen::kBlack);
}

void GiveUpPort() {
  ClosePort(PortNumber);
  LinkCondition = kLinkLost;
  reopen_countdown = kReopenTicks;
}

// With the receiver's line shape, as OpenReceiverLink; opened by OpenPort or ReopenPort.
int SetUpReceiverLink(int (*open)(int port, int baud)) {
  ClosePort(PortNumber);
  const int opened = open(PortNumber, BaudRate);
  SetReadTimeouts(PortNumber, -1);
  SetLineShape(PortNumber, 8, 0, 2);
  return opened;
}

// Only what was open before is opened again: never another device the port's name might
// lead to now that its own has gone.
void TryReopening() {
  if (--reopen_countdown > 0) return;
  reopen_countdown = kReopenTicks;
  if (SetUpReceiverLink(ReopenPort) == 0) return;
  LinkCondition = kLinkReopened;
  reopen_countdown = kAnswerTicks;
  CommandText = kCommandLevel;
  SendCommand();
}

bool AwaitLevelAnswer() {
  if (PortGone(PortNumber) != 0) {
    GiveUpPort();
    return false;
  }
  // A receiver that never answered before is greeted by the reply reader itself.
  const bool greeted = DisplayLine == "Connecting";
  ReadReply();
  if (IsLevelReply()) {
    LinkCondition = kLinkWorking;
    CommandsDropped = 0;
    if (!greeted) SayWord("connected");
    PrintStatusLine(Spaces(Length(kLostText)));
    return true;
  }
  if (--reopen_countdown <= 0) GiveUpPort();
  return false;
}

}  // namespace

int OpenReceiverLink() { return SetUpReceiverLink(OpenPort); }

bool NoticeLostLink() {
  if (LinkCondition != kLinkWorking || PortGone(PortNumber) == 0) return false;
  GiveUpPort();
  LogLine = "receiver lost";
  WriteTraceLine();
  SayWord("lost");
  return true;
}

void ShowLostLink() { PrintStatusLine(kLostText); }

bool TakeBackLink() {
  if (LinkCondition == kLinkLost)
    TryReopening();
  else if (LinkCondition == kLinkReopened)
    return AwaitLevelAnswer();
  return false;
}

bool ReceiverAnswersLevel() {
  CommandText = kCommandLevel;
  SendCommand();
  const auto deadline = std::chrono::steady_clock::now() + kAnswerWait;
  for (;;) {
    if (PortGone(PortNumber) != 0) return false;
    ReadReply();
    if (IsLevelReply()) return true;
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(kAnswerLook);
  }
}

}  // namespace kestrel
