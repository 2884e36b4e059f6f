// The sound capture in use: none until main or a test installs one.
#include "runtime/platform/sound_capture.h"

namespace kestrel::platform {
namespace {

class NoCapture final : public SoundCapture {
 public:
  std::vector<std::string> DeviceNames() override { return {}; }
  std::string Open(const std::string&, int, CaptureSink) override { return "no sound input"; }
  void Close() override {}
};

NoCapture no_capture;
SoundCapture* capture_in_use = &no_capture;

}  // namespace

SoundCapture& GetSoundCapture() { return *capture_in_use; }
void InstallSoundCapture(SoundCapture* capture) {
  capture_in_use = capture ? capture : &no_capture;
}

}  // namespace kestrel::platform
