#include "runtime/platform/linux_window.h"

#include <SDL.h>
#include <poll.h>
#include <signal.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>

#include "runtime/platform/drawn_texts.h"
#include "runtime/platform/linux_display_fd.h"
#include "runtime/platform/linux_fonts.h"
#include "runtime/platform/linux_keys.h"

namespace kestrel::platform {
namespace {

constexpr SDL_Color kBackground{255, 255, 255, 255};

// One periodic timer, kept by the main thread itself: WaitEvents hands out a tick when its
// time has come. No other thread ever queues an event, so nothing wakes SDL's event wait from
// outside; on X11 such a wake-up is an event sent to the window over a second connection,
// which can arrive after the window has been destroyed and end the program with an X error.
struct Ticker {
  Uint32 periodMs = 0;
  Uint64 dueMs = 0;  // SDL_GetTicks64() at which the next tick is due
};

// SDL falls back to drivers that show nothing when there is no display; such a window is
// no window to the operator, so it counts only when SDL_VIDEODRIVER asks for it (tests).
bool IsUsableVideoDriver(const char* driver) {
  if (!driver) return false;
  const std::string name = driver;
  if (name != "offscreen" && name != "dummy" && name != "evdev") return true;
  const char* wanted = SDL_getenv("SDL_VIDEODRIVER");
  return wanted && std::string(wanted).find(name) != std::string::npos;
}

// A busy X server may refuse a connection for a moment (SDL then falls back to a driver
// that shows nothing): the display is tried a few times before the window is given up.
bool StartVideo() {
  constexpr int kAttempts = 5;
  constexpr Uint32 kRetryMs = 200;
  for (int attempt = 1; attempt <= kAttempts; ++attempt) {
    if (SDL_InitSubSystem(SDL_INIT_VIDEO | SDL_INIT_TIMER) != 0) {
      std::fprintf(stderr, "kestrel: no window: %s\n", SDL_GetError());
      return false;
    }
    if (IsUsableVideoDriver(SDL_GetCurrentVideoDriver())) return true;
    SDL_QuitSubSystem(SDL_INIT_VIDEO | SDL_INIT_TIMER);
    if (attempt < kAttempts && std::getenv("DISPLAY"))
      SDL_Delay(kRetryMs);
    else
      break;
  }
  std::fprintf(stderr, "kestrel: no window: no display\n");
  return false;
}

// A hang-up (the terminal the panel was started from closed) is a close request, as SDL
// makes of SIGTERM and SIGINT: the panel ends in order.
volatile sig_atomic_t hung_up = 0;

void NoteHangUp(int) { hung_up = 1; }

void CatchHangUp() {
  struct sigaction action {};
  action.sa_handler = NoteHangUp;
  sigemptyset(&action.sa_mask);
  sigaction(SIGHUP, &action, nullptr);
}

SDL_Color ColourOf(std::uint32_t colour) {
  return SDL_Color{static_cast<Uint8>(colour & 0xff), static_cast<Uint8>((colour >> 8) & 0xff),
                   static_cast<Uint8>((colour >> 16) & 0xff), 255};
}

}  // namespace

struct SdlWindowSystem::State {
  bool started = false;  // SDL's video and timer parts are initialised for the window
  SDL_Window* window = nullptr;
  SDL_Surface* surface = nullptr;  // the persistent surface; the window shows a copy
  FontCache fonts;
  DrawnTexts drawn;               // the texts standing whole on the surface
  SDL_Rect unshown{0, 0, 0, 0};   // drawn since the last Present (empty: nothing)
  std::map<int, Ticker> tickers;  // by timer number
  int displayFd = -1;             // the display connection, -1 when SDL offers none
  std::vector<int> watched;       // descriptors whose input ends the wait

  void Present(SDL_Rect area);
  void PresentAll() {
    if (surface) Present(SDL_Rect{0, 0, surface->w, surface->h});
  }
  void PresentUnshown();
  bool Translate(const SDL_Event& event, WindowEvent& out);
  void TakeQueuedEvents(std::vector<WindowEvent>& events);
  bool TakeDueTick(WindowEvent& out);
  int MillisecondsToNextTick() const;
  bool WaitForInput(int timeoutMs, std::vector<WindowEvent>& readable);
  bool TranslateWindowEvent(const SDL_WindowEvent& event, WindowEvent& out);
};

void SdlWindowSystem::State::PresentUnshown() {
  if (SDL_RectEmpty(&unshown)) return;
  const SDL_Rect area = unshown;
  unshown = SDL_Rect{0, 0, 0, 0};
  Present(area);
}

void SdlWindowSystem::State::Present(SDL_Rect area) {
  if (!window || !surface) return;
  const SDL_Rect whole{0, 0, surface->w, surface->h};
  SDL_Rect visible;
  if (!SDL_IntersectRect(&area, &whole, &visible)) return;
  SDL_Surface* screen = SDL_GetWindowSurface(window);
  if (!screen) return;
  SDL_Rect target = visible;
  SDL_BlitSurface(surface, &visible, screen, &target);
  SDL_UpdateWindowSurfaceRects(window, &visible, 1);
}

bool SdlWindowSystem::State::TranslateWindowEvent(const SDL_WindowEvent& event, WindowEvent& out) {
  switch (event.event) {
    case SDL_WINDOWEVENT_CLOSE: out = {kEventClose, 0, 0}; return true;
    case SDL_WINDOWEVENT_EXPOSED:
    case SDL_WINDOWEVENT_SHOWN:
    case SDL_WINDOWEVENT_RESTORED:
    case SDL_WINDOWEVENT_SIZE_CHANGED:
      // Repainting is the window system's own business: the handler never sees it.
      PresentAll();
      return false;
    default: return false;
  }
}

bool SdlWindowSystem::State::Translate(const SDL_Event& event, WindowEvent& out) {
  switch (event.type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP: {
      const auto& key = event.key.keysym;
      const int code = VirtualKeyCode(key.scancode, key.sym, (key.mod & KMOD_NUM) != 0);
      if (code == 0) return false;
      const bool down = event.type == SDL_KEYDOWN;
      if (IsSystemKey(key.scancode, key.mod)) {
        out = {down ? kEventSystemKeyDown : kEventSystemKeyUp, code, 0};
      } else {
        out = {down ? kEventKeyDown : kEventKeyUp, code, 0};
      }
      return true;
    }
    case SDL_WINDOWEVENT: return TranslateWindowEvent(event.window, out);
    case SDL_QUIT:
      // SDL raises this for SIGTERM and SIGINT: the program is asked to close, in order.
      out = {kEventClose, 0, 0};
      return true;
    default: return false;
  }
}

SdlWindowSystem::SdlWindowSystem() : state_(std::make_unique<State>()) {}

SdlWindowSystem::~SdlWindowSystem() { Close(); }

bool SdlWindowSystem::Open(int x, int y, int width, int height, const std::string& caption) {
  Close();
  // Without this SDL backs the window surface with a software OpenGL stack: about 110 MB
  // resident instead of 17 MB, for nothing.
  SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  // The close box is a request to the program, not an end of SDL's event loop.
  SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
  if (!StartVideo()) return false;
  auto& s = *state_;
  s.started = true;
  s.window = SDL_CreateWindow(caption.c_str(), x, y, width, height, SDL_WINDOW_SHOWN);
  s.surface = SDL_CreateRGBSurfaceWithFormat(0, width, height, 32, SDL_PIXELFORMAT_RGB888);
  if (!s.window || !s.surface || !s.fonts.Start()) {
    std::fprintf(stderr, "kestrel: no window: %s\n", SDL_GetError());
    Close();
    return false;
  }
  SDL_FillRect(s.surface, nullptr,
               SDL_MapRGB(s.surface->format, kBackground.r, kBackground.g, kBackground.b));
  // Keys arrive as key events only; no text input method stands in between.
  SDL_StopTextInput();
  CatchHangUp();
  s.displayFd = DisplayConnectionFd(s.window);
  s.PresentAll();
  return true;
}

bool SdlWindowSystem::IsOpen() const { return state_->window != nullptr; }

int SdlWindowSystem::DrawText(int x, int y, const FontSpec& font, std::uint32_t colour,
                              const std::string& text) {
  auto& s = *state_;
  if (!s.window || text.empty()) return 0;
  // The same text in the same place, font and colour would give the very same pixels.
  const int standing = s.drawn.WidthIfStanding(x, y, font, colour, text);
  if (standing >= 0) return standing;
  TTF_Font* face = s.fonts.Get(font);
  if (!face) return 0;
  // Opaque: every cell of the text is filled with the background first.
  SDL_Surface* drawn = TTF_RenderText_Shaded(face, text.c_str(), ColourOf(colour), kBackground);
  if (!drawn) return 0;
  SDL_Rect place{x, y, drawn->w, drawn->h};
  const SDL_Rect area = place;
  SDL_BlitSurface(drawn, nullptr, s.surface, &place);
  const int width = drawn->w;
  SDL_FreeSurface(drawn);
  s.drawn.Record(TextBox{area.x, area.y, area.w, area.h}, font, colour, text);
  SDL_UnionRect(&s.unshown, &area, &s.unshown);
  return width;
}

void SdlWindowSystem::Present() { state_->PresentUnshown(); }

// A tick that is due is handed out once; ticks missed meanwhile are dropped, so at most one
// tick ever waits and the next comes a whole period later.
bool SdlWindowSystem::State::TakeDueTick(WindowEvent& out) {
  const Uint64 now = SDL_GetTicks64();
  for (auto& [number, ticker] : tickers) {
    if (ticker.dueMs > now) continue;
    ticker.dueMs += ticker.periodMs;
    if (ticker.dueMs <= now) ticker.dueMs = now + ticker.periodMs;
    out = {kEventTimer, number, 0};
    return true;
  }
  return false;
}

// -1 when no timer runs.
int SdlWindowSystem::State::MillisecondsToNextTick() const {
  if (tickers.empty()) return -1;
  const Uint64 now = SDL_GetTicks64();
  Uint64 next = tickers.begin()->second.dueMs;
  for (const auto& [number, ticker] : tickers) next = std::min(next, ticker.dueMs);
  return next <= now ? 0 : static_cast<int>(next - now);
}

void SdlWindowSystem::StartTimer(int periodMs, int timerNumber) {
  auto& s = *state_;
  if (!s.window || periodMs <= 0) return;
  const auto period = static_cast<Uint32>(periodMs);
  s.tickers[timerNumber] = Ticker{period, SDL_GetTicks64() + period};
}

void SdlWindowSystem::StopTimer(int timerNumber) { state_->tickers.erase(timerNumber); }

void SdlWindowSystem::TickNow(int timerNumber) {
  const auto found = state_->tickers.find(timerNumber);
  if (found != state_->tickers.end()) found->second.dueMs = SDL_GetTicks64();
}

void SdlWindowSystem::WatchReadable(int fd, bool watch) {
  auto& watched = state_->watched;
  std::erase(watched, fd);
  if (watch && fd >= 0) watched.push_back(fd);
}

void SdlWindowSystem::State::TakeQueuedEvents(std::vector<WindowEvent>& events) {
  if (hung_up != 0) {
    hung_up = 0;
    events.push_back({kEventClose, 0, 0});
  }
  SDL_Event event;
  while (window && SDL_PollEvent(&event)) {
    WindowEvent translated;
    if (Translate(event, translated)) events.push_back(translated);
  }
}

// Sleeps until the display has something to say, a watched descriptor has input, or the
// time is up (-1: no limit). SDL has just read everything the display sent, so nothing
// waits unseen in its buffers while the connection itself is polled. Returns false when
// the display has surely said nothing meanwhile.
bool SdlWindowSystem::State::WaitForInput(int timeoutMs, std::vector<WindowEvent>& readable) {
  if (displayFd < 0 && watched.empty()) {
    // An error of the event queue must not spin.
    if (!SDL_WaitEventTimeout(nullptr, timeoutMs) && timeoutMs < 0) SDL_Delay(10);
    return true;
  }
  if (displayFd < 0) {
    // No connection to poll: SDL's own wait in short slices, then a look at the descriptors.
    constexpr int kSliceMs = 10;
    SDL_WaitEventTimeout(nullptr, timeoutMs < 0 ? kSliceMs : std::min(timeoutMs, kSliceMs));
    timeoutMs = 0;
  }
  std::vector<pollfd> fds;
  for (const int fd : watched) fds.push_back(pollfd{fd, POLLIN, 0});
  if (displayFd >= 0) fds.push_back(pollfd{displayFd, POLLIN, 0});
  const int ready = ::poll(fds.data(), fds.size(), timeoutMs);
  // A signal (SDL turns SIGTERM into a close request) is picked up by SDL's next look.
  if (ready < 0) return true;
  bool displaySpoke = displayFd < 0;
  for (const auto& p : fds) {
    if (p.revents == 0) continue;
    if (p.fd == displayFd)
      displaySpoke = true;
    else
      readable.push_back({kEventReadable, p.fd, 0});
  }
  return displaySpoke;
}

std::vector<WindowEvent> SdlWindowSystem::WaitEvents() {
  std::vector<WindowEvent> events;
  std::vector<WindowEvent> readable;
  auto& s = *state_;
  // Nothing drawn stays hidden while the program sleeps.
  s.PresentUnshown();
  bool displayMaySpeak = true;
  while (s.window) {
    // What the operator did comes before the timer: a key pressed just before a tick is
    // served on that tick.
    if (displayMaySpeak) s.TakeQueuedEvents(events);
    WindowEvent tick;
    if (s.window && s.TakeDueTick(tick)) events.push_back(tick);
    events.insert(events.end(), readable.begin(), readable.end());
    if (!events.empty()) break;
    displayMaySpeak = s.WaitForInput(s.MillisecondsToNextTick(), readable);
  }
  return events;
}

std::vector<WindowEvent> SdlWindowSystem::WaitInput(int timeoutMs, const std::vector<int>& fds) {
  std::vector<WindowEvent> events;
  auto& s = *state_;
  if (!s.window) {
    if (timeoutMs > 0) SDL_Delay(static_cast<Uint32>(timeoutMs));
    return events;
  }
  s.TakeQueuedEvents(events);
  if (!events.empty()) return events;
  // Only the descriptors asked for are looked at: the others wait for the loop.
  std::vector<int> loopWatched = fds;
  s.watched.swap(loopWatched);
  std::vector<WindowEvent> readable;
  const bool displaySpoke = s.WaitForInput(std::max(timeoutMs, 0), readable);
  s.watched.swap(loopWatched);
  if (displaySpoke) s.TakeQueuedEvents(events);
  events.insert(events.end(), readable.begin(), readable.end());
  return events;
}

void SdlWindowSystem::Close() {
  auto& s = *state_;
  if (!s.started) return;
  s.tickers.clear();
  s.drawn.Clear();
  s.unshown = SDL_Rect{0, 0, 0, 0};
  s.displayFd = -1;
  s.fonts.Stop();
  if (s.surface) SDL_FreeSurface(s.surface);
  if (s.window) SDL_DestroyWindow(s.window);
  s.surface = nullptr;
  s.window = nullptr;
  SDL_QuitSubSystem(SDL_INIT_VIDEO | SDL_INIT_TIMER);
  s.started = false;
}

bool SdlWindowSystem::SaveScreenshot(const std::string& path) const {
  return state_->surface && SDL_SaveBMP(state_->surface, path.c_str()) == 0;
}

}  // namespace kestrel::platform
