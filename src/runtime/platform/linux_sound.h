// The sound player on Linux: SDL2 audio, one device, let go after a few seconds of silence
// (its thread would otherwise wake for every buffer of silence) and opened again by the
// next play.
#pragma once

#include <chrono>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "runtime/platform/sound_player.h"

namespace kestrel::platform {

class SdlSoundPlayer final : public SoundPlayer {
 public:
  // Opens the audio device (22050 Hz, 16-bit, mono) when it is first needed. With no usable
  // device it falls back to SDL's "dummy" driver, which consumes sound in real time, so a
  // synchronous play still lasts as long as its sound. Needs no window. Words are looked
  // for in wave/ of the working folder, then in the voice folders of the environment and
  // the installation.
  SdlSoundPlayer();
  ~SdlSoundPlayer() override;
  SdlSoundPlayer(const SdlSoundPlayer&) = delete;
  SdlSoundPlayer& operator=(const SdlSoundPlayer&) = delete;

  std::string Play(const std::string& path, bool background) override;
  bool PlayTone(int hertz, int milliseconds) override;
  bool PlaySamples(const std::vector<std::int16_t>& samples, int rate) override;
  void Rest() override;
  std::string TakeRefusal() override;

  // The audio driver in use ("pulseaudio", "alsa", "dummy", ...), "" without a device.
  std::string DriverName();
  // Whether the device is open now.
  bool DeviceOpen() const { return device_ != 0; }
  // Sound still waiting in the queue, in milliseconds (what a background play has left).
  int QueuedMilliseconds() const;
  // Length of one device buffer in milliseconds.
  int BufferMilliseconds() const;

 private:
  void StartOnce();
  bool StartAudio();
  bool OpenDevice();
  void WaitUntilHeard(int soundBytes) const;

  // Where a word missing from the working folder's wave/ is looked for, in order.
  std::vector<std::string> voice_folders_;
  std::uint32_t device_ = 0;  // SDL_AudioDeviceID; 0 when none is open
  int buffer_samples_ = 0;
  bool audio_initialised_ = false;
  bool start_tried_ = false;
  std::chrono::steady_clock::time_point quiet_from_;  // when the last sound played ends
  std::set<std::string> refused_;                     // files refused so far, each told once
  std::string refusal_;                               // the refusal not yet taken
};

}  // namespace kestrel::platform
