#include "app/prompt_ticks.h"

#include <cstdlib>
#include <string_view>

#include "app/polling_steps.h"
#include "link/port.h"
#include "link/receiver_commands.h"
#include "runtime/window.h"
#include "state/app.h"
#include "state/key_codes.h"
#include "state/link.h"
#include "state/reset.h"

namespace kestrel {
namespace {

constexpr int kPollTimer = 1;       // the main window's only timer
constexpr int kLookAheadMax = 255;  // as much as one reply read takes

KESTREL_STATE(bool, key_hurried, false);  // a key that came to an empty queue waits for its tick
KESTREL_STATE(int, watched_fd, -1);       // the port's descriptor while the level reply is awaited
KESTREL_STATE(int, bytes_seen, 0);        // bytes waiting at the last look at the port

// KESTREL_TICKS=fixed keeps every tick on the timer's beat (for comparing the two).
bool TicksFixed() {
  const char* setting = std::getenv("KESTREL_TICKS");
  return setting && std::string_view(setting) == "fixed";
}

void StopWatching() {
  if (watched_fd < 0) return;
  StopWatchingReadable(watched_fd);
  watched_fd = -1;
}

void StopHurrying() {
  key_hurried = false;
  StopWatching();
}

// The level reply is whole once "LM" and a line end after it have come.
bool LevelReplyWhole() {
  char buffer[kLookAheadMax];
  bytes_seen = PeekPort(PortNumber, buffer, kLookAheadMax);
  const std::string_view bytes(buffer, static_cast<std::size_t>(bytes_seen));
  const auto at = bytes.find(kCommandLevel);
  return at != std::string_view::npos &&
         bytes.find_first_of("\r\n", at + std::string_view(kCommandLevel).size()) !=
             std::string_view::npos;
}

void TickNow() {
  StopWatching();
  TickAtOnce(MainWindow, kPollTimer);
}

void OnPortReadable() {
  if (!key_hurried || PollState != kReadLevel) {
    StopHurrying();
    return;
  }
  const int seenBefore = bytes_seen;
  if (LevelReplyWhole()) {
    TickNow();
  } else if (bytes_seen <= seenBefore) {
    // Woken with nothing new (the line is gone, or the look-ahead is full): the level
    // reply is read on its own tick.
    StopHurrying();
  }
}

// The level request is out: its reply is read on a tick that comes once the reply is whole.
void AwaitLevelReply() {
  if (LevelReplyWhole()) {
    TickNow();
    return;
  }
  const int fd = PortWaitHandle(PortNumber);
  if (fd < 0) {
    StopHurrying();
    return;
  }
  if (fd == watched_fd) return;
  StopWatching();
  WatchReadable(fd, OnPortReadable);
  watched_fd = fd;
}

}  // namespace

void HurryWaitingKey() {
  if (!key_hurried) return;
  // The entry after a served key reads its answer: that keeps its tick.
  if (KeyQueueCount <= 0 || KeyQueue[0] == keys::kReplyMarker) {
    StopHurrying();
    return;
  }
  switch (PollState) {
    case kServeKeys:
    case kAskLevel: TickNow(); break;
    case kReadLevel: AwaitLevelReply(); break;
    case kAskFrequency:  // a halt or a stop is being read: the timer's pace
    case kReadFrequency:
    case kWaitForScanStop:
    case kShowScanFrequency: StopHurrying(); break;
  }
}

void AnswerKeyAtOnce(bool queueWasEmpty) {
  if (!queueWasEmpty || KeyQueueCount == 0 || TicksFixed()) return;
  key_hurried = true;
  HurryWaitingKey();
}

}  // namespace kestrel
