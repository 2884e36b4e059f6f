// A recording window system: every text drawn with its place, font and colour; events are
// scripted. Every character is 10 pixels wide, so print positions are easy to check.
#pragma once

#include <algorithm>
#include <deque>
#include <string>
#include <vector>

#include "runtime/platform/window_system.h"

namespace kestrel::fakes {

struct DrawnText {
  int x = 0;
  int y = 0;
  platform::FontSpec font;
  std::uint32_t colour = 0;
  std::string text;
};

class FakeWindowSystem final : public platform::WindowSystem {
 public:
  static constexpr int kCharWidth = 10;

  bool Open(int x, int y, int width, int height, const std::string& caption) override;
  int DrawText(int x, int y, const platform::FontSpec& font, std::uint32_t colour,
               const std::string& text) override;
  void Present() override { ++presents; }
  void StartTimer(int periodMs, int timerNumber) override;
  void StopTimer(int timerNumber) override;
  void TickNow(int) override { ++ticksBroughtForward; }
  void WatchReadable(int fd, bool watch) override;
  std::vector<platform::WindowEvent> WaitEvents() override;
  // Hands out one batch of inputBatches (nothing once they are used up) and notes the
  // descriptors asked for; never sleeps.
  std::vector<platform::WindowEvent> WaitInput(int timeoutMs, const std::vector<int>& fds) override;
  void Close() override;
  bool IsOpen() const override { return open; }

  // Queues events for the next WaitEvents (each call hands out one batch).
  void QueueBatch(std::vector<platform::WindowEvent> batch) { batches.push_back(std::move(batch)); }
  // The texts drawn, in order.
  std::vector<std::string> Texts() const;

  bool open = false;
  int openCount = 0;
  int closeCount = 0;
  int x = 0, y = 0, width = 0, height = 0;
  std::string caption;
  int timerPeriodMs = 0;
  int timerNumber = 0;
  bool timerRunning = false;
  int presents = 0;
  int ticksBroughtForward = 0;  // TickNow calls
  std::vector<int> watched;     // descriptors WatchReadable watches now
  std::vector<DrawnText> drawn;
  std::deque<std::vector<platform::WindowEvent>> batches;
  std::deque<std::vector<platform::WindowEvent>> inputBatches;  // for WaitInput
  std::vector<int> inputFds;                                    // what WaitInput was last asked
};

}  // namespace kestrel::fakes
