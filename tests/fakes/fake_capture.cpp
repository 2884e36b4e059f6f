#include "fakes/fake_capture.h"

#include <algorithm>

namespace kestrel::fakes {

std::string FakeSoundCapture::Open(const std::string& name, int rate, platform::CaptureSink sink) {
  std::lock_guard<std::mutex> hold(lock_);
  const bool known = std::find(devices.begin(), devices.end(), name) != devices.end();
  opened.push_back(known ? name + "@" + std::to_string(rate) : "");
  if (!known) return name + ": no such input";
  sink_ = std::move(sink);
  return {};
}

void FakeSoundCapture::Close() {
  std::lock_guard<std::mutex> hold(lock_);
  sink_ = nullptr;
  ++closes;
}

bool FakeSoundCapture::Feed(std::size_t count) {
  std::lock_guard<std::mutex> hold(lock_);
  if (!sink_) return false;
  std::vector<std::int16_t> samples(count);
  for (auto& sample : samples) {
    noise_ = noise_ * 1664525u + 1013904223u;
    sample = static_cast<std::int16_t>(static_cast<std::int32_t>(noise_ >> 16) - 32768) / 4;
  }
  sink_(samples.data(), samples.size());
  return true;
}

bool FakeSoundCapture::IsOpen() {
  std::lock_guard<std::mutex> hold(lock_);
  return static_cast<bool>(sink_);
}

}  // namespace kestrel::fakes
