#include "runtime/platform/linux_capture.h"

#include <SDL.h>

#include <mutex>

#include "runtime/platform/linux_audio_lock.h"

namespace kestrel::platform {
namespace {

constexpr int kBufferSamples = 1024;  // 64 ms at 16 kHz

}  // namespace

void SdlSoundCapture::Prepare() {
  if (!audio_started_) audio_started_ = SDL_InitSubSystem(SDL_INIT_AUDIO) == 0;
}

SdlSoundCapture::~SdlSoundCapture() {
  Close();
  if (audio_started_) SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

std::vector<std::string> SdlSoundCapture::DeviceNames() {
  std::vector<std::string> names;
  Prepare();
  if (!audio_started_) return names;
  const int count = SDL_GetNumAudioDevices(1);
  for (int i = 0; i < count; ++i) {
    const char* name = SDL_GetAudioDeviceName(i, 1);
    if (name) names.emplace_back(name);
  }
  return names;
}

std::string SdlSoundCapture::Open(const std::string& name, int rate, CaptureSink sink) {
  Close();
  if (!audio_started_) return std::string("no audio: ") + SDL_GetError();
  sink_ = std::move(sink);
  SDL_AudioSpec wanted{};
  wanted.freq = rate;
  wanted.format = AUDIO_S16SYS;
  wanted.channels = 1;
  wanted.samples = kBufferSamples;
  wanted.callback = Deliver;
  wanted.userdata = this;
  SDL_AudioSpec obtained{};
  const char* device = name == kDefaultCaptureName ? nullptr : name.c_str();
  {
    std::lock_guard<std::mutex> lock(SdlAudioDeviceLock());
    // No changes allowed: SDL converts whatever the input gives to this format.
    device_ = SDL_OpenAudioDevice(device, 1, &wanted, &obtained, 0);
  }
  if (device_ == 0) return name + ": " + SDL_GetError();
  SDL_PauseAudioDevice(device_, 0);
  return {};
}

void SdlSoundCapture::Close() {
  if (device_ == 0) return;
  std::lock_guard<std::mutex> lock(SdlAudioDeviceLock());
  SDL_CloseAudioDevice(device_);  // waits for the callback to end
  device_ = 0;
}

void SdlSoundCapture::Deliver(void* self, std::uint8_t* stream, int length) {
  auto* capture = static_cast<SdlSoundCapture*>(self);
  capture->sink_(reinterpret_cast<const std::int16_t*>(stream),
                 static_cast<std::size_t>(length) / sizeof(std::int16_t));
}

}  // namespace kestrel::platform
