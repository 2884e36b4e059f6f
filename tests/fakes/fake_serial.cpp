#include "fakes/fake_serial.h"

#include <algorithm>

namespace kestrel::fakes {
namespace {

class FakeDevice final : public platform::SerialDevice {
 public:
  explicit FakeDevice(std::shared_ptr<FakeLine> line) : line_(std::move(line)) {}
  bool GetSettings(platform::SerialSettings& settings) override {
    if (line_->failGetSettings) return false;
    settings = line_->settings;
    return true;
  }
  bool SetSettings(const platform::SerialSettings& settings) override {
    if (line_->failSetSettings) return false;
    line_->settings = settings;
    return true;
  }
  bool SetReadTimeouts(const platform::ReadTimeouts& timeouts) override {
    line_->timeouts = timeouts;
    return true;
  }
  int BytesWaiting() override {
    if (line_->vanished) return 0;
    if (line_->incoming.empty() && !line_->arrivals.empty()) {
      line_->incoming = line_->arrivals.front();
      line_->arrivals.pop_front();
    }
    return static_cast<int>(line_->incoming.size());
  }
  int Read(char* buffer, int max) override {
    if (line_->vanished) return 0;
    const auto n = std::min<std::size_t>(static_cast<std::size_t>(max), line_->incoming.size());
    std::copy_n(line_->incoming.begin(), n, buffer);
    line_->incoming.erase(0, n);
    return static_cast<int>(n);
  }
  int Peek(char* buffer, int max) override {
    if (line_->vanished) return 0;
    const auto n = std::min<std::size_t>(static_cast<std::size_t>(max), line_->incoming.size());
    std::copy_n(line_->incoming.begin(), n, buffer);
    return static_cast<int>(n);
  }
  int WaitHandle() const override { return line_->waitHandle; }
  int Write(const char* buffer, int n) override {
    if (line_->vanished) return 0;
    line_->written.append(buffer, static_cast<std::size_t>(n));
    if (line_->onWrite) line_->onWrite(*line_, std::string(buffer, static_cast<std::size_t>(n)));
    return n;
  }
  void Close() override {
    if (!line_->open) return;
    line_->open = false;
    ++line_->closes;
  }
  bool Gone() const override { return line_->vanished; }

 private:
  std::shared_ptr<FakeLine> line_;
};

}  // namespace

std::string FakeLine::TakeWritten() {
  std::string taken;
  taken.swap(written);
  return taken;
}

FakeLine& FakeSerialPorts::Add(const std::string& name) {
  auto& line = lines_[name];
  if (!line) line = std::make_shared<FakeLine>();
  return *line;
}

std::unique_ptr<platform::SerialDevice> FakeSerialPorts::Open(const std::string& name) {
  attempts_.push_back(name);
  const auto found = lines_.find(name);
  if (found != lines_.end() && found->second->removed && !fallback.empty()) {
    return OpenLine(fallback);
  }
  return OpenLine(name);
}

std::unique_ptr<platform::SerialDevice> FakeSerialPorts::Reopen(const std::string& name) {
  reopen_attempts_.push_back(name);
  return OpenLine(name);
}

std::unique_ptr<platform::SerialDevice> FakeSerialPorts::OpenLine(const std::string& name) {
  const auto found = lines_.find(name);
  failed_ = found == lines_.end() || found->second->open || found->second->removed;
  if (failed_) return nullptr;
  found->second->open = true;
  ++found->second->opens;
  return std::make_unique<FakeDevice>(found->second);
}

}  // namespace kestrel::fakes
