#include "runtime/platform/linux_window.h"

#include <SDL.h>
#include <SDL_syswm.h>
#include <poll.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>

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
    if (attempt < kAttempts && std::getenv("DISPLAY")) SDL_Delay(kRetryMs);
    else break;
  }
  std::fprintf(stderr, "kestrel: no window: no display\n");
  return false;
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
  std::map<int, Ticker> tickers;  // by timer number
  std::vector<int> wakeHandles;   // descriptors whose input also ends a wait

  void Present(SDL_Rect area);
  void PresentAll() {
    if (surface) Present(SDL_Rect{0, 0, surface->w, surface->h});
  }
  bool Translate(const SDL_Event& event, WindowEvent& out);
  bool TakeDueTick(WindowEvent& out);
  int MillisecondsToNextTick() const;
  bool WaitForEvent(SDL_Event& event, int waitMs, bool& handleReady);
  int DisplayConnection() const;
  bool TranslateWindowEvent(const SDL_WindowEvent& event, WindowEvent& out);
};

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
    case SDL_WINDOWEVENT_CLOSE:
      out = {kEventClose, 0, 0};
      return true;
    case SDL_WINDOWEVENT_EXPOSED:
    case SDL_WINDOWEVENT_SHOWN:
    case SDL_WINDOWEVENT_RESTORED:
    case SDL_WINDOWEVENT_SIZE_CHANGED:
      // Repainting is the window system's own business: the handler never sees it.
      PresentAll();
      return false;
    default:
      return false;
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
    case SDL_WINDOWEVENT:
      return TranslateWindowEvent(event.window, out);
    case SDL_QUIT:
      // SDL raises this for SIGTERM and SIGINT: the program is asked to close, in order.
      out = {kEventClose, 0, 0};
      return true;
    default:
      return false;
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
  SDL_FillRect(s.surface, nullptr, SDL_MapRGB(s.surface->format, kBackground.r, kBackground.g, kBackground.b));
  // Keys arrive as key events only; no text input method stands in between.
  SDL_StopTextInput();
  s.PresentAll();
  return true;
}

bool SdlWindowSystem::IsOpen() const { return state_->window != nullptr; }

int SdlWindowSystem::DrawText(int x, int y, const FontSpec& font, std::uint32_t colour,
                              const std::string& text) {
  auto& s = *state_;
  if (!s.window || text.empty()) return 0;
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
  s.Present(area);
  return width;
}

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

// The X connection's descriptor, or -1 on a driver without one.
int SdlWindowSystem::State::DisplayConnection() const {
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (!window || !SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) {
    return -1;
  }
  return ConnectionNumber(info.info.x11.display);
}

// Waits up to waitMs (-1: no limit) for one SDL event. With wake handles the wait is a
// poll() on the X connection and those handles together, so input on either ends it;
// handleReady then tells that a handle has something to read. SDL's own queue (and Xlib's,
// which pumping empties) is taken first, so nothing already read is left waiting.
bool SdlWindowSystem::State::WaitForEvent(SDL_Event& event, int waitMs, bool& handleReady) {
  if (wakeHandles.empty()) {
    return waitMs < 0 ? SDL_WaitEvent(&event) : SDL_WaitEventTimeout(&event, waitMs);
  }
  if (SDL_PollEvent(&event)) return true;
  // A signal that slips in before poll() is seen within this bound; without an X connection
  // to wake on, SDL's events are looked at as often.
  constexpr int kLongestPollMs = 100, kNoDisplayPollMs = 10;
  const int display = DisplayConnection();
  const int limit = display < 0 ? kNoDisplayPollMs : kLongestPollMs;
  std::vector<pollfd> watched;
  if (display >= 0) watched.push_back({display, POLLIN, 0});
  for (int handle : wakeHandles) watched.push_back({handle, POLLIN, 0});
  const int timeoutMs = waitMs < 0 ? limit : std::min(waitMs, limit);
  if (poll(watched.data(), watched.size(), timeoutMs) > 0) {
    for (std::size_t i = display >= 0 ? 1 : 0; i < watched.size(); ++i) {
      if (watched[i].revents != 0) handleReady = true;
    }
  }
  return SDL_PollEvent(&event);
}

std::vector<WindowEvent> SdlWindowSystem::WaitEvents() {
  std::vector<WindowEvent> events;
  auto& s = *state_;
  SDL_Event event;
  bool handleReady = false;
  while (s.window && events.empty() && !handleReady) {
    WindowEvent translated;
    if (s.TakeDueTick(translated)) {
      events.push_back(translated);
      break;
    }
    const int waitMs = s.MillisecondsToNextTick();
    if (!s.WaitForEvent(event, waitMs, handleReady)) {
      // A timeout brings the tick round; an error of the event queue must not spin.
      if (waitMs < 0 && !handleReady && s.wakeHandles.empty()) SDL_Delay(10);
      continue;
    }
    if (s.Translate(event, translated)) events.push_back(translated);
  }
  while (s.window && SDL_PollEvent(&event)) {
    WindowEvent translated;
    if (s.Translate(event, translated)) events.push_back(translated);
  }
  return events;
}

void SdlWindowSystem::WakeOnReadable(const std::vector<int>& handles) {
  state_->wakeHandles = handles;
}

void SdlWindowSystem::Close() {
  auto& s = *state_;
  if (!s.started) return;
  s.tickers.clear();
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
