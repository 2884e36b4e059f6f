#include "fakes/fake_window.h"

namespace kestrel::fakes {

bool FakeWindowSystem::Open(int left, int top, int w, int h, const std::string& title) {
  open = true;
  ++openCount;
  x = left;
  y = top;
  width = w;
  height = h;
  caption = title;
  return true;
}

int FakeWindowSystem::DrawText(int left, int top, const platform::FontSpec& font,
                               std::uint32_t colour, const std::string& text) {
  if (!open || text.empty()) return 0;
  drawn.push_back({left, top, font, colour, text});
  return static_cast<int>(text.size()) * kCharWidth;
}

void FakeWindowSystem::StartTimer(int periodMs, int number) {
  timerPeriodMs = periodMs;
  timerNumber = number;
  timerRunning = true;
}

void FakeWindowSystem::StopTimer(int) { timerRunning = false; }

void FakeWindowSystem::WatchReadable(int fd, bool watch) {
  std::erase(watched, fd);
  if (watch) watched.push_back(fd);
}

std::vector<platform::WindowEvent> FakeWindowSystem::WaitEvents() {
  if (batches.empty()) return {};
  auto batch = std::move(batches.front());
  batches.pop_front();
  return batch;
}

std::vector<platform::WindowEvent> FakeWindowSystem::WaitInput(int, const std::vector<int>& fds) {
  inputFds = fds;
  if (inputBatches.empty()) return {};
  auto batch = std::move(inputBatches.front());
  inputBatches.pop_front();
  return batch;
}

void FakeWindowSystem::Close() {
  if (!open) return;
  open = false;
  ++closeCount;
  timerRunning = false;
}

std::vector<std::string> FakeWindowSystem::Texts() const {
  std::vector<std::string> texts;
  for (const auto& d : drawn) texts.push_back(d.text);
  return texts;
}

}  // namespace kestrel::fakes
