// Sound capture on Linux: an SDL2 capture device whose callback hands each buffer on.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "runtime/platform/sound_capture.h"

namespace kestrel::platform {

class SdlSoundCapture final : public SoundCapture {
 public:
  SdlSoundCapture() = default;
  ~SdlSoundCapture() override;
  SdlSoundCapture(const SdlSoundCapture&) = delete;
  SdlSoundCapture& operator=(const SdlSoundCapture&) = delete;

  // Starts SDL's audio subsystem (on the panel's thread: SDL is started there).
  void Prepare() override;
  std::vector<std::string> DeviceNames() override;
  std::string Open(const std::string& name, int rate, CaptureSink sink) override;
  void Close() override;

 private:
  static void Deliver(void* self, std::uint8_t* stream, int length);

  bool audio_started_ = false;
  std::uint32_t device_ = 0;  // SDL_AudioDeviceID; 0 when closed
  CaptureSink sink_;
};

}  // namespace kestrel::platform
