// The sound player on Linux: SDL2 audio, one device opened for the whole run.
#pragma once

#include <cstdint>
#include <set>
#include <string>

#include "runtime/platform/sound_player.h"

namespace kestrel::platform {

class SdlSoundPlayer final : public SoundPlayer {
 public:
  // Opens the audio device (22050 Hz, 16-bit, mono). With no usable device it falls back to
  // SDL's "dummy" driver, which consumes sound in real time, so a synchronous play still
  // lasts as long as its sound. Needs no window.
  SdlSoundPlayer();
  ~SdlSoundPlayer() override;
  SdlSoundPlayer(const SdlSoundPlayer&) = delete;
  SdlSoundPlayer& operator=(const SdlSoundPlayer&) = delete;

  std::string Play(const std::string& path, bool background) override;
  std::string TakeRefusal() override;

  // The audio driver in use ("pulseaudio", "alsa", "dummy", ...), "" without a device.
  std::string DriverName() const;
  // Sound still waiting in the queue, in milliseconds (what a background play has left).
  int QueuedMilliseconds() const;
  // Length of one device buffer in milliseconds.
  int BufferMilliseconds() const;

 private:
  bool OpenDevice();
  void WaitUntilHeard(int soundBytes) const;

  std::uint32_t device_ = 0;  // SDL_AudioDeviceID; 0 when no device could be opened
  int buffer_samples_ = 0;
  bool audio_initialised_ = false;
  std::set<std::string> refused_;  // files refused so far, each told once
  std::string refusal_;            // the refusal not yet taken
};

}  // namespace kestrel::platform
