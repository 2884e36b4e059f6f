// A recording serial device: bytes written are kept, bytes to be read are scripted.
#pragma once

#include <deque>
#include <functional>
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
  bool removed = false;   // its name has gone too (a link removed with the device)
  int waitHandle = -1;    // the descriptor the device offers to wait on
  // The receiver's side, for tests that need answers in the middle of a sequence:
  // onWrite sees every block written (after it is recorded) and may Feed an answer;
  // each piece of `arrivals` reaches `incoming` when the program next asks how many bytes
  // wait and none do ("" stands for a look that finds the line still silent).
  std::function<void(FakeLine&, const std::string& block)> onWrite;
  std::deque<std::string> arrivals;

  void Feed(const std::string& bytes) { incoming += bytes; }
  // The receiver answers every write of `block` (CR included) with `reply`.
  void Answer(const std::string& block, const std::string& reply) {
    onWrite = [block, reply](FakeLine& self, const std::string& written) {
      if (written == block) self.Feed(reply);
    };
  }
  std::string TakeWritten();
};

class FakeSerialPorts final : public platform::SerialPorts {
 public:
  // Makes a device of that name present ("COM1", "\\.\COM12").
  FakeLine& Add(const std::string& name);
  FakeLine& Line(const std::string& name) { return *lines_.at(name); }
  const std::vector<std::string>& OpenAttempts() const { return attempts_; }
  const std::vector<std::string>& ReopenAttempts() const { return reopen_attempts_; }
  std::unique_ptr<platform::SerialDevice> Open(const std::string& name) override;
  // Opens only the line of that name, never the fallback.
  std::unique_ptr<platform::SerialDevice> Reopen(const std::string& name) override;
  // The line a plain Open of a removed name reaches instead, as a port name whose link has
  // gone means another device (/dev/ttyS0) to the termios ports; "" for none.
  std::string fallback;
  // The reason a failed open gives.
  std::string openProblem;
  std::string LastOpenProblem() const override { return failed_ ? openProblem : ""; }

 private:
  bool failed_ = false;
  std::map<std::string, std::shared_ptr<FakeLine>> lines_;
  std::vector<std::string> attempts_;
  std::vector<std::string> reopen_attempts_;
  std::unique_ptr<platform::SerialDevice> OpenLine(const std::string& name);
};

}  // namespace kestrel::fakes
