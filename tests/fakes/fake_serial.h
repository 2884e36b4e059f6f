// A recording serial device: bytes written are kept, bytes to be read are scripted.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "runtime/platform/serial_device.h"

namespace kestrel::fakes {

// What one fake device has seen; shared between the port table and the test.
struct FakeLine {
  std::string written;   // every byte written, in order
  std::string incoming;  // bytes waiting to be read
  platform::SerialSettings settings;
  platform::ReadTimeouts timeouts;
  int opens = 0;
  int closes = 0;
  bool open = false;
  bool failGetSettings = false;
  bool failSetSettings = false;
  bool vanished = false;  // the device is gone: nothing waits, nothing is written

  void Feed(const std::string& bytes) { incoming += bytes; }
  std::string TakeWritten();
};

class FakeSerialPorts final : public platform::SerialPorts {
 public:
  // Makes a device of that name present ("COM1", "\\.\COM12").
  FakeLine& Add(const std::string& name);
  FakeLine& Line(const std::string& name) { return *lines_.at(name); }
  const std::vector<std::string>& OpenAttempts() const { return attempts_; }
  std::unique_ptr<platform::SerialDevice> Open(const std::string& name) override;

 private:
  std::map<std::string, std::shared_ptr<FakeLine>> lines_;
  std::vector<std::string> attempts_;
};

}  // namespace kestrel::fakes
