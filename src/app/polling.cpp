// The window's event handler: keys into KeyQueue, the close request, and on every timer
// tick one step of the polling machine that alternates between serving queued keys and
// asking the receiver for its signal level.
#include <algorithm>

#include "app/app.h"
#include "app/polling_steps.h"
#include "app/prompt_ticks.h"
#include "commands/commands.h"
#include "display/display.h"
#include "display/screen_map.h"
#include "link/link.h"
#include "link/receiver_commands.h"
#include "link/replies.h"
#include "operator/hit_log.h"
#include "operator/level_tones.h"
#include "rigctl/rigctl.h"
#include "runtime/text.h"
#include "runtime/window.h"
#include "speech/announcements.h"
#include "speech/speech.h"
#include "state/app.h"
#include "state/commands.h"
#include "state/key_codes.h"
#include "state/link.h"
#include "state/rigctl.h"

namespace kestrel {
namespace {

constexpr int kCellsPerLevel = 12;  // level units per bar cell

// Every press adds its code and a 0; the 0 makes the command entry read the receiver's
// answer one tick later. A press that finds no room for both waits in the window's events
// (and every key after it) until a tick has made room: no typed key is lost.
void QueueKey() {
  if (KeyHeld == 1) return;  // auto-repeat, or a second key while one is down
  if (KeyQueueCount < 0 || KeyQueueCount > kKeyQueueSize - 2) {
    HoldBackEvent();
    return;
  }
  KeyHeld = 1;
  KeyQueue[KeyQueueCount] = EventCode;
  KeyQueue[KeyQueueCount + 1] = keys::kReplyMarker;
  KeyQueueCount += 2;
}

void ReleaseKey() {
  KeyHeld = 0;
  KeyCode = keys::kNoKey;
}

bool ReplyStartsWith(const char* keyword) { return Left(ReplyText.str(), 2) == keyword; }

// The level bar at the top of the panel, from a level reply ("LM 087", "LM%012" while the
// squelch is closed, or the unasked "LC" report). A reply of another kind takes no new
// level, so the one before is divided again.
void ShowLevel() {
  using namespace screen;
  CommandText = "";
  SetColour(kGreen);
  MoveTo(kLevelBar.x, kLevelBar.y);
  ReceiverScanning = ReplyShowsScanning() ? 1 : 0;
  if (IsLevelReply()) {
    SignalLevel = StoreInteger(ReplyLevelField());
    LevelReading = SignalLevel;  // the receiver's own reading, for the network port
    SquelchReading = ReplyLevel() >= 0 ? 1 : 0;
  }
  if (ReplyStartsWith(kReplyLevelReport)) SignalLevel += kLevelReportOffset;
  SignalLevel /= kCellsPerLevel;
  SetFont(kFace, kNormalPoints, kBold);
  if (ReceiverScanning == 1) {
    SignalLevel = 0;
    Print(kLevelScanningText);
  } else {
    Print(Left(LevelBarText.str(), SignalLevel) + kLevelBarEnd);  // at most its 18 cells
  }
  SetColour(kBlack);
}

// Until the receiver has had one chance to answer a level request, a key waits: typed
// during the start-up announcement it would otherwise find the receiver not yet heard.
bool KeysWaitForFirstPoll() { return LinkState == kLinkConnecting && LevelPollsRead == 0; }

// Sets from the network port take their turn here too, after the operator's keys.
void ServeKeys() {
  if (KeyQueueCount != 0 && !KeysWaitForFirstPoll()) {
    HandleKey();
    FollowHeldHit();
  } else if (!ServeRemoteSet()) {
    PollState = kAskLevel;
  }
}

void AskLevel() {
  CommandText = kCommandLevel;
  SendCommand();
  PollState = kReadLevel;
}

// An empty read leaves the bar alone; the supervision then goes by the last scanning flag.
void ReadLevel() {
  ReadReply();
  LevelPollsRead = 1;
  if (!ReplyText.empty()) ShowLevel();
  NoteLevelReply();
  polling::SuperviseScans();
  FollowHeldHit();
  PlayLevelTone();
}

void StepPoll() {
  switch (PollState) {
    case kServeKeys: ServeKeys(); break;
    case kAskLevel: AskLevel(); break;
    case kReadLevel: ReadLevel(); break;
    case kAskFrequency: polling::AskHaltedSearchFrequency(); break;
    case kReadFrequency: polling::TakeHaltedSearchFrequency(); break;
    case kWaitForScanStop: PollState = kShowScanFrequency; break;
    case kShowScanFrequency: polling::TakeStoppedScanFrequency(); break;
  }
}

}  // namespace

void HandleWindowEvent() {
  // The close request only ends the main loop; the tests below match nothing else for it.
  if (EventMessage == platform::kEventClose) RunFlag = 0;
  if (EventMessage == platform::kEventKeyUp) {
    ReleaseKey();
    return;
  }
  if (EventMessage == platform::kEventKeyDown) {
    const bool queueWasEmpty = KeyQueueCount == 0;
    QueueKey();
    AnswerKeyAtOnce(queueWasEmpty);
    return;
  }
  if (EventMessage == platform::kEventTimer) {
    if (WatchReceiverLink()) StepPoll();
    FinishAnnouncement();
    HurryWaitingKey();
  }
}

}  // namespace kestrel
