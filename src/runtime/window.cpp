#include "runtime/window.h"

#include <algorithm>
#include <deque>
#include <map>
#include <thread>

#include "runtime/journal.h"
#include "runtime/platform/listening_wait.h"
#include "runtime/platform/sound_player.h"

namespace kestrel {
namespace {

// The program's window: opened or named last. ProcessEvents hands out its events and
// drawing goes to it.
WindowRecord* named_window = nullptr;
// Work done once per pass of the event loop, beside the events (the network control port).
EventHandler loop_service = nullptr;
struct ReadableHandler {
  EventHandler handler = nullptr;
  bool duringWords = false;  // also served while a word is heard
};
// The handlers of the descriptors the event loop also wakes for.
std::map<int, ReadableHandler> readable_handlers;
// Window events not handed out yet, oldest first: those that came while a word was heard,
// and keys the handler could not take yet (with every key event after them).
std::deque<platform::WindowEvent> held_events;
bool listening = false;        // a synchronous word is being heard
bool event_held_back = false;  // the handler could not take the event it was given
int keys_heard = 0;            // key presses that came while words were heard
int key_down = -1;             // the key last pressed and not released yet

void HandleReadable(int fd) {
  const auto found = readable_handlers.find(fd);
  if (found == readable_handlers.end()) {
    platform::GetWindowSystem().WatchReadable(fd, false);
    return;
  }
  found->second.handler();
}

bool IsKeyEvent(const platform::WindowEvent& event) {
  return event.code == platform::kEventKeyDown || event.code == platform::kEventKeyUp ||
         event.code == platform::kEventSystemKeyDown || event.code == platform::kEventSystemKeyUp;
}

// Follows the keys as their events arrive: false for an auto-repeat and for releases.
bool IsNewPress(const platform::WindowEvent& event) {
  if (event.code == platform::kEventKeyUp || event.code == platform::kEventSystemKeyUp) {
    if (event.param == key_down) key_down = -1;
    return false;
  }
  if (event.code != platform::kEventKeyDown && event.code != platform::kEventSystemKeyDown) {
    return false;
  }
  const bool repeat = event.param == key_down;
  key_down = event.param;
  return !repeat;
}

bool KeyEventHeld() { return std::any_of(held_events.begin(), held_events.end(), IsKeyEvent); }

// False when the handler held the event back.
bool Dispatch(WindowRecord& window, const platform::WindowEvent& event) {
  event_held_back = false;
  DispatchEvent(window, event.code, event.param, event.data);
  const bool taken = !event_held_back;
  event_held_back = false;
  return taken;
}

// A key waits behind keys held before it, so the keys keep the order they were typed in.
void Deliver(WindowRecord& window, const platform::WindowEvent& event) {
  if (event.code == platform::kEventReadable) {
    HandleReadable(event.param);
  } else if (IsKeyEvent(event) && KeyEventHeld()) {
    held_events.push_back(event);
  } else if (!Dispatch(window, event)) {
    held_events.push_back(event);
  }
  PresentDrawing();
}

// Held events are handed out again as far as the handler takes them; a close request is
// not kept waiting behind keys.
void DeliverHeldEvents(WindowRecord& window) {
  std::deque<platform::WindowEvent> waiting;
  waiting.swap(held_events);
  bool keysStopped = false;
  for (const auto& event : waiting) {
    if (!window.open || (keysStopped && IsKeyEvent(event))) {
      held_events.push_back(event);
    } else if (!Dispatch(window, event)) {
      held_events.push_back(event);
      keysStopped = true;
    }
  }
  PresentDrawing();
}

std::vector<int> DescriptorsServedDuringWords() {
  std::vector<int> fds;
  for (const auto& [fd, entry] : readable_handlers) {
    if (entry.duringWords) fds.push_back(fd);
  }
  return fds;
}

// While a word is heard nothing is acted on: window events wait for the loop, only the
// descriptors marked for it are served.
void ListenUntil(std::chrono::steady_clock::time_point until) {
  if (listening) {
    std::this_thread::sleep_until(until);
    return;
  }
  listening = true;
  for (;;) {
    const auto left =
        std::chrono::ceil<std::chrono::milliseconds>(until - std::chrono::steady_clock::now())
            .count();
    if (left <= 0) break;
    const auto events = platform::GetWindowSystem().WaitInput(static_cast<int>(left),
                                                              DescriptorsServedDuringWords());
    for (const auto& event : events) {
      if (event.code == platform::kEventReadable) {
        HandleReadable(event.param);
        continue;
      }
      if (IsNewPress(event) && event.code == platform::kEventKeyDown) ++keys_heard;
      held_events.push_back(event);
    }
  }
  listening = false;
}

}  // namespace

int OpenWindow(WindowRecord& window, int x, int y, int width, int height, int /*style*/,
               WindowRecord* /*parent*/, const std::string& caption, EventHandler handler) {
  // A new window starts with its print position top left, the platform's default font and
  // black text.
  window = WindowRecord{};
  window.handler = handler;
  window.open = platform::GetWindowSystem().Open(x, y, width, height, caption);
  named_window = &window;
  if (window.open) platform::InstallWaitListener(ListenUntil);
  return window.open ? 1 : 0;
}

void NameWindow(WindowRecord& window) { named_window = &window; }

WindowRecord* NamedWindow() { return named_window; }

void ForgetNamedWindow() { named_window = nullptr; }

void StartTimer(WindowRecord& window, int periodMs, int timerNumber) {
  if (!window.open) return;
  platform::GetWindowSystem().StartTimer(periodMs, timerNumber);
}

void StopTimer(WindowRecord& window, int timerNumber) {
  if (!window.open) return;
  platform::GetWindowSystem().StopTimer(timerNumber);
}

void TickAtOnce(WindowRecord& window, int timerNumber) {
  if (!window.open) return;
  platform::GetWindowSystem().TickNow(timerNumber);
}

void WatchReadable(int fd, EventHandler onReadable, bool duringWords) {
  if (fd < 0 || !onReadable) return;
  readable_handlers[fd] = ReadableHandler{onReadable, duringWords};
  platform::GetWindowSystem().WatchReadable(fd, true);
}

void StopWatchingReadable(int fd) {
  if (readable_handlers.erase(fd) == 0) return;
  platform::GetWindowSystem().WatchReadable(fd, false);
}

void PresentDrawing() { platform::GetWindowSystem().Present(); }

void ProcessEvents(int /*wait*/) {
  if (!named_window) return;
  WindowRecord& window = *named_window;
  if (!window.open) {
    // Without a window no event will ever come: rather than wait forever, the program is
    // asked to close, as if the close box had been used.
    DispatchEvent(window, platform::kEventClose, 0, 0);
    return;
  }
  platform::GetSoundPlayer().Rest();
  DeliverHeldEvents(window);
  if (!window.open) return;
  for (const auto& event : platform::GetWindowSystem().WaitEvents()) {
    // A handler that closed the window leaves the rest of the batch undelivered.
    if (!window.open) break;
    IsNewPress(event);
    Deliver(window, event);
  }
  if (loop_service) loop_service();
}

void SetLoopService(EventHandler service) { loop_service = service; }

void HoldBackEvent() { event_held_back = true; }

bool ListeningDuringWord() { return listening; }

int KeyPressesHeardDuringWords() { return keys_heard; }

void DispatchEvent(WindowRecord& window, int message, int code, int data) {
  // A handler may itself dispatch; each caller finds its own event again afterwards.
  const int savedMessage = EventMessage;
  const int savedCode = EventCode;
  const int savedData = EventData;
  EventMessage = message;
  EventCode = code;
  EventData = data;
  if (window.handler) window.handler();
  // A key is journalled once, when it is taken.
  if ((message == platform::kEventKeyDown || message == platform::kEventKeyUp) &&
      !event_held_back) {
    WriteJournal({"KEY", message == platform::kEventKeyDown ? "down" : "up", std::to_string(code)});
  }
  EventMessage = savedMessage;
  EventCode = savedCode;
  EventData = savedData;
}

void CloseWindow(WindowRecord& window) {
  if (!window.open) return;
  platform::GetWindowSystem().Close();
  window.open = false;
  WriteJournal({"CLOSE"});
}

void ForgetOpenedWindow() {
  ForgetNamedWindow();
  loop_service = nullptr;
  held_events.clear();
  listening = event_held_back = false;
  keys_heard = 0;
  key_down = -1;
  platform::InstallWaitListener(nullptr);
}

void ForgetWatchedDescriptors() {
  for (const auto& [fd, entry] : readable_handlers) {
    platform::GetWindowSystem().WatchReadable(fd, false);
  }
  readable_handlers.clear();
}

}  // namespace kestrel
