// The window system: one window with a persistent surface, text drawing, a periodic timer
// and the events of the window as (code, parameter) pairs.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kestrel::platform {

struct FontSpec {
  std::string face;
  int points = 0;  // 0: the platform's default font
  int weight = 400;
};

// Event codes as the program's handler knows them.
inline constexpr int kEventKeyDown = 256;
inline constexpr int kEventKeyUp = 257;
// Alt, F10 and keys pressed with Alt (without Ctrl) are system keys: they reach the handler
// under their own codes, which it does not act on, so switching windows with Alt+Tab leaves
// no key behind.
inline constexpr int kEventSystemKeyDown = 260;
inline constexpr int kEventSystemKeyUp = 261;
inline constexpr int kEventTimer = 275;
inline constexpr int kEventClose = 32770;
// Not a window message: a file descriptor named by WatchReadable has bytes to read
// (parameter: the descriptor). The window runtime hands it to that descriptor's own handler.
inline constexpr int kEventReadable = 0x10000;

struct WindowEvent {
  int code = 0;   // one of the codes above
  int param = 0;  // virtual-key code for keys, timer number for ticks, 0 otherwise
  int data = 0;
};

class WindowSystem {
 public:
  virtual ~WindowSystem() = default;
  // Opens and shows the window with the given client size; its surface starts white.
  virtual bool Open(int x, int y, int width, int height, const std::string& caption) = 0;
  // Draws text opaquely at (x, y) with its top-left corner there; colour is 0x00BBGGRR.
  // Returns the width drawn in pixels (0 for an empty text). The screen shows it at the next
  // Present. A text drawn again where it still stands whole (same place, font, colour) may
  // cost nothing.
  virtual int DrawText(int x, int y, const FontSpec& font, std::uint32_t colour,
                       const std::string& text) = 0;
  // Shows on the screen what was drawn since the last Present.
  virtual void Present() = 0;
  // Ticks every period; at most one tick waits, further ticks are dropped.
  virtual void StartTimer(int periodMs, int timerNumber) = 0;
  virtual void StopTimer(int timerNumber) = 0;
  // A running timer's next tick is due at once; the ticks after it follow a whole period
  // apart from then.
  virtual void TickNow(int timerNumber) = 0;
  // While watched, a descriptor that has bytes to read ends the wait of WaitEvents with a
  // kEventReadable event. The caller must read (or stop watching) what woke it.
  virtual void WatchReadable(int fd, bool watch) = 0;
  // Waits until at least one event is queued, then returns every queued event in order:
  // the window's own events first, then a due tick, then readable descriptors.
  virtual std::vector<WindowEvent> WaitEvents() = 0;
  // The wait of a synchronous word: returns the window's queued events (keys, the close
  // request) and which of fds have bytes to read, as soon as there are any, else after at
  // most timeoutMs. Never hands out a tick and looks at no other watched descriptor.
  virtual std::vector<WindowEvent> WaitInput(int timeoutMs, const std::vector<int>& fds);
  virtual void Close() = 0;
  virtual bool IsOpen() const = 0;
};

WindowSystem& GetWindowSystem();
// nullptr installs the headless window system (draws nothing, measures no width, never
// delivers events); main installs the SDL one.
void InstallWindowSystem(WindowSystem* system);

}  // namespace kestrel::platform
