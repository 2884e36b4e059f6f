// The window, its events and its timer, as the program's logic sees them. The one window's
// drawing state (print position, font, colour) lives in its record.
#pragma once

#include <cstdint>
#include <string>

#include "runtime/platform/window_system.h"

namespace kestrel {

using EventHandler = void (*)();

struct WindowRecord {
  bool open = false;               // the platform window exists
  EventHandler handler = nullptr;  // called for every event with the event variables set
  int printX = 0;                  // print position, client pixels
  int printY = 0;
  platform::FontSpec font;   // current font; points 0 is the platform's default
  std::uint32_t colour = 0;  // current text colour, 0x00BBGGRR
};

extern int EventMessage;  // code of the event being handled (256, 257, 275, 32770, ...)
extern int EventCode;     // its first parameter: virtual-key code, timer number
extern int EventData;     // its second parameter

// The program's window, whose events ProcessEvents hands out and to which drawing goes: the
// one opened or named last.
void NameWindow(WindowRecord& window);
WindowRecord* NamedWindow();
void ForgetNamedWindow();  // no window named: drawing goes to standard output
// Opens and shows the window, names it and remembers the handler. Returns 1 when it opened,
// else 0.
int OpenWindow(WindowRecord& window, int x, int y, int width, int height, int style,
               WindowRecord* parent, const std::string& caption, EventHandler handler);
void StartTimer(WindowRecord& window, int periodMs, int timerNumber);
void StopTimer(WindowRecord& window, int timerNumber);
// The timer's next tick comes at once (after the events already waiting); the ticks after
// it follow a whole period apart from then.
void TickAtOnce(WindowRecord& window, int timerNumber);
// From now on the event loop also wakes when fd has bytes to read and calls onReadable,
// which must read them or stop watching. One handler per descriptor. duringWords: it is
// also called while a synchronous word is heard (and must then act on nothing but reads).
void WatchReadable(int fd, EventHandler onReadable, bool duringWords = false);
void StopWatchingReadable(int fd);
// Shows on the screen what was drawn and is not shown yet. The event loop does it after
// every event, and before it sleeps.
void PresentDrawing();
// Hands out first the events kept while words were heard or held back, then waits for at
// least one event and dispatches every queued one; wait is always 0. The loop service,
// when there is one, runs after every wait. While a synchronous word is heard (the window
// being open) nothing is dispatched: window events are kept for the loop, and only the
// descriptors watched during words are served.
void ProcessEvents(int wait);
// Called by the handler for an event it cannot take yet (a key while the key queue is
// full): that event and every key event after it are handed out again on the next pass.
void HoldBackEvent();
// A synchronous word is being heard.
bool ListeningDuringWord();
// How many key presses came while words were heard, since the start.
int KeyPressesHeardDuringWords();
void SetLoopService(EventHandler service);
// Dispatches one event to the window's handler, saving and restoring the event variables.
void DispatchEvent(WindowRecord& window, int message, int code, int data);
void CloseWindow(WindowRecord& window);

// Program start: no window has been opened, and the event variables are 0.
void ResetWindowState();
void ForgetOpenedWindow();
void ForgetWatchedDescriptors();

}  // namespace kestrel
