// A recording sound capture: the inputs it offers, every open and close, and sound that a
// test feeds in as if the input had taken it.
#pragma once

#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "runtime/platform/sound_capture.h"

namespace kestrel::fakes {

class FakeSoundCapture final : public platform::SoundCapture {
 public:
  std::vector<std::string> DeviceNames() override { return devices; }
  std::string Open(const std::string& name, int rate, platform::CaptureSink sink) override;
  void Close() override;

  // Hands `count` samples of noise (which no encoder squeezes to nothing) to the open
  // input's sink; false when none is open.
  bool Feed(std::size_t count);
  bool IsOpen();

  std::vector<std::string> devices{"Line In"};
  std::vector<std::string> opened;  // each open's name, as "name@rate"; "" for a refused one
  int closes = 0;

 private:
  std::mutex lock_;
  platform::CaptureSink sink_;
  std::uint32_t noise_ = 1;
};

}  // namespace kestrel::fakes
