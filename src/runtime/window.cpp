#include "runtime/window.h"

#include <map>

#include "runtime/journal.h"
#include "runtime/platform/sound_player.h"

namespace kestrel {
namespace {

// The program's window: opened or named last. ProcessEvents hands out its events and
// drawing goes to it.
WindowRecord* named_window = nullptr;
// Work done once per pass of the event loop, beside the events (the network control port).
EventHandler loop_service = nullptr;
// The handlers of the descriptors the event loop also wakes for.
std::map<int, EventHandler> readable_handlers;

void HandleReadable(int fd) {
  const auto found = readable_handlers.find(fd);
  if (found == readable_handlers.end()) {
    platform::GetWindowSystem().WatchReadable(fd, false);
    return;
  }
  found->second();
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

void WatchReadable(int fd, EventHandler onReadable) {
  if (fd < 0 || !onReadable) return;
  readable_handlers[fd] = onReadable;
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
  for (const auto& event : platform::GetWindowSystem().WaitEvents()) {
    // A handler that closed the window leaves the rest of the batch undelivered.
    if (!window.open) break;
    if (event.code == platform::kEventReadable) {
      HandleReadable(event.param);
    } else {
      DispatchEvent(window, event.code, event.param, event.data);
    }
    PresentDrawing();
  }
  if (loop_service) loop_service();
}

void SetLoopService(EventHandler service) { loop_service = service; }

void DispatchEvent(WindowRecord& window, int message, int code, int data) {
  if (message == platform::kEventKeyDown || message == platform::kEventKeyUp) {
    WriteJournal({"KEY", message == platform::kEventKeyDown ? "down" : "up", std::to_string(code)});
  }
  // A handler may itself dispatch; each caller finds its own event again afterwards.
  const int savedMessage = EventMessage;
  const int savedCode = EventCode;
  const int savedData = EventData;
  EventMessage = message;
  EventCode = code;
  EventData = data;
  if (window.handler) window.handler();
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
}

void ForgetWatchedDescriptors() {
  for (const auto& [fd, handler] : readable_handlers) {
    platform::GetWindowSystem().WatchReadable(fd, false);
  }
  readable_handlers.clear();
}

}  // namespace kestrel
