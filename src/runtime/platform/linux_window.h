// The window system on Linux: one SDL window backed by a persistent surface, text through
// SDL_ttf with fonts found by fontconfig, an SDL timer, and SDL's events turned into the
// program's (code, parameter) events.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "runtime/platform/window_system.h"

namespace kestrel::platform {

class SdlWindowSystem final : public WindowSystem {
 public:
  SdlWindowSystem();
  ~SdlWindowSystem() override;

  // False (with the reason on standard error) when there is no display to open it on.
  bool Open(int x, int y, int width, int height, const std::string& caption) override;
  int DrawText(int x, int y, const FontSpec& font, std::uint32_t colour,
               const std::string& text) override;
  void Present() override;
  void StartTimer(int periodMs, int timerNumber) override;
  void StopTimer(int timerNumber) override;
  void TickNow(int timerNumber) override;
  void WatchReadable(int fd, bool watch) override;
  std::vector<WindowEvent> WaitEvents() override;
  std::vector<WindowEvent> WaitInput(int timeoutMs, const std::vector<int>& fds) override;
  void Close() override;
  bool IsOpen() const override;

  // Writes the persistent surface (what the window shows) to a BMP file.
  bool SaveScreenshot(const std::string& path) const;

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace kestrel::platform
