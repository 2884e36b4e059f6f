#include "runtime/platform/linux_sound.h"

#include <SDL.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <mutex>
#include <numbers>
#include <vector>

#include "runtime/platform/linux_audio_lock.h"
#include "runtime/platform/linux_folders.h"
#include "runtime/platform/listening_wait.h"
#include "runtime/platform/sound_limits.h"
#include "runtime/platform/sound_path.h"

namespace kestrel::platform {
namespace {

// The voice set's own format, so its files need no conversion.
constexpr int kRate = 22050;
constexpr SDL_AudioFormat kFormat = AUDIO_S16SYS;
constexpr int kChannels = 1;
constexpr int kBytesPerSecond = kRate * kChannels * 2;
constexpr int kBufferSamples = 512;  // about 23 ms
constexpr int kPollMs = 2;
// A device that stops taking sound (a sound server gone away) must not hang the program: a
// synchronous play gives up this long after its sound should have ended.
constexpr auto kStallLimit = std::chrono::milliseconds(1000);
// Silence after which the device is let go.
constexpr auto kQuietBeforeRelease = std::chrono::seconds(5);

int BytesToMs(long long bytes) { return static_cast<int>(bytes * 1000 / kBytesPerSecond); }
int BytesToMsRoundedUp(long long bytes) {
  return static_cast<int>((bytes * 1000 + kBytesPerSecond - 1) / kBytesPerSecond);
}

// A loaded WAV file converted to the device format.
struct Samples {
  Uint8* data = nullptr;
  int size = 0;
  ~Samples() { SDL_free(data); }
};

// Opened without waiting, and only when it is a plain file: whatever took the name since
// it was found (a FIFO, a device) is refused rather than waited on.
SDL_RWops* OpenPlainFile(const std::string& file) {
  const int fd = ::open(file.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return nullptr;
  struct stat info {};
  std::FILE* stream = nullptr;
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || !(stream = ::fdopen(fd, "rb"))) {
    ::close(fd);
    return nullptr;
  }
  SDL_RWops* source = SDL_RWFromFP(stream, SDL_TRUE);
  if (!source) std::fclose(stream);
  return source;
}

// Reads the WAV file and converts it; false for a file SDL cannot read as WAV. SDL_AudioCVT
// rather than SDL_AudioStream: the stream's flush drops the resampler's tail (64 ms of an
// 8000 Hz file), which would shorten every resampled word and pause.
bool LoadConverted(const std::string& file, Samples& out) {
  SDL_AudioSpec spec{};
  Uint8* raw = nullptr;
  Uint32 rawSize = 0;
  SDL_RWops* source = OpenPlainFile(file);
  if (!source || !SDL_LoadWAV_RW(source, 1, &spec, &raw, &rawSize)) return false;
  SDL_AudioCVT cvt{};
  bool ok = SDL_BuildAudioCVT(&cvt, spec.format, spec.channels, spec.freq, kFormat, kChannels,
                              kRate) >= 0;
  if (ok) {
    cvt.len = static_cast<int>(rawSize);
    out.data = static_cast<Uint8*>(SDL_malloc(
        std::max<std::size_t>(static_cast<std::size_t>(rawSize) * std::max(cvt.len_mult, 1), 1)));
    ok = out.data != nullptr;
  }
  if (ok) {
    SDL_memcpy(out.data, raw, rawSize);
    cvt.buf = out.data;
    ok = SDL_ConvertAudio(&cvt) == 0;  // converts in place, or does nothing when not needed
    out.size = cvt.needed ? cvt.len_cvt : cvt.len;
  }
  SDL_FreeWAV(raw);
  return ok;
}

// A sine tone at a quarter of full scale, faded in and out over 5 ms so it does not click.
std::vector<Sint16> ToneSamples(int hertz, int milliseconds) {
  constexpr double kAmplitude = 8192.0;
  constexpr int kFadeSamples = kRate / 200;
  const int count = std::max(0, kRate * milliseconds / 1000);
  std::vector<Sint16> samples(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) {
    const double fade = std::min({1.0, static_cast<double>(i) / kFadeSamples,
                                  static_cast<double>(count - 1 - i) / kFadeSamples});
    const double phase = 2.0 * std::numbers::pi * hertz * i / kRate;
    samples[static_cast<std::size_t>(i)] =
        static_cast<Sint16>(std::lround(kAmplitude * fade * std::sin(phase)));
  }
  return samples;
}

}  // namespace

SdlSoundPlayer::SdlSoundPlayer() : voice_folders_(VoiceFolders(VoicePlacesOfProcess())) {
  quiet_from_ = std::chrono::steady_clock::now();
}

// Audio starts with the first sound (or question about it), so a start with nothing to say
// does not wait for it.
void SdlSoundPlayer::StartOnce() {
  if (start_tried_) return;
  start_tried_ = true;
  if (StartAudio()) return;
  // No driver or no device: SDL does not fall back by itself, so start the audio subsystem
  // again on the dummy driver (overriding any SDL_AUDIODRIVER of the environment).
  SDL_SetHintWithPriority(SDL_HINT_AUDIODRIVER, "dummy", SDL_HINT_OVERRIDE);
  StartAudio();
}

SdlSoundPlayer::~SdlSoundPlayer() {
  if (device_ != 0) {
    std::lock_guard<std::mutex> lock(SdlAudioDeviceLock());
    SDL_CloseAudioDevice(device_);
  }
  if (audio_initialised_) SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

bool SdlSoundPlayer::StartAudio() {
  // The audio subsystem is started on its own, so sound works with or without a window.
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
  if (!OpenDevice()) {
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return false;
  }
  audio_initialised_ = true;
  return true;
}

bool SdlSoundPlayer::OpenDevice() {
  SDL_AudioSpec wanted{};
  wanted.freq = kRate;
  wanted.format = kFormat;
  wanted.channels = kChannels;
  wanted.samples = kBufferSamples;
  wanted.callback = nullptr;  // queue mode: sound is pushed with SDL_QueueAudio
  SDL_AudioSpec obtained{};
  // No changes allowed: SDL converts to the hardware itself, and the queue keeps our format.
  {
    std::lock_guard<std::mutex> lock(SdlAudioDeviceLock());
    device_ = SDL_OpenAudioDevice(nullptr, 0, &wanted, &obtained, 0);
  }
  if (device_ == 0) return false;
  buffer_samples_ = obtained.samples;
  SDL_PauseAudioDevice(device_, 0);
  return true;
}

std::string SdlSoundPlayer::DriverName() {
  StartOnce();
  const char* name = audio_initialised_ ? SDL_GetCurrentAudioDriver() : nullptr;
  return name ? name : "";
}

int SdlSoundPlayer::QueuedMilliseconds() const {
  return device_ != 0 ? BytesToMs(SDL_GetQueuedAudioSize(device_)) : 0;
}

int SdlSoundPlayer::BufferMilliseconds() const {
  return (buffer_samples_ * 1000 + kRate - 1) / kRate;
}

std::string SdlSoundPlayer::Play(const std::string& path, bool background) {
  // Every play, even of a missing file, cuts off a sound still playing in the background.
  if (device_ != 0) SDL_ClearQueuedAudio(device_);
  if (path.empty()) return {};
  const std::string file = ResolveSoundPath(path, voice_folders_);
  if (file.empty()) return {};
  // A file beyond the limits is never decoded: it could take gigabytes and minutes.
  const std::string refusal = SoundFileRefusal(file);
  if (!refusal.empty()) {
    if (refused_.insert(file).second) refusal_ = file + ": " + refusal;
    return {};
  }
  Samples samples;
  if (!LoadConverted(file, samples)) return {};
  StartOnce();
  if (device_ == 0 && audio_initialised_) OpenDevice();
  quiet_from_ = std::chrono::steady_clock::now() +
                std::chrono::milliseconds(BytesToMsRoundedUp(samples.size));
  if (device_ != 0 && SDL_QueueAudio(device_, samples.data, samples.size) != 0) return {};
  if (!background) WaitUntilHeard(samples.size);
  return file;
}

// A recording's samples, converted to the device's rate like a word file.
bool SdlSoundPlayer::PlaySamples(const std::vector<std::int16_t>& samples, int rate) {
  if (device_ != 0) SDL_ClearQueuedAudio(device_);
  SDL_AudioCVT cvt{};
  if (samples.empty() ||
      SDL_BuildAudioCVT(&cvt, AUDIO_S16SYS, 1, rate, kFormat, kChannels, kRate) < 0) {
    return false;
  }
  const int bytes = static_cast<int>(samples.size() * sizeof(std::int16_t));
  std::vector<Uint8> sound(static_cast<std::size_t>(bytes) * std::max(cvt.len_mult, 1));
  SDL_memcpy(sound.data(), samples.data(), static_cast<std::size_t>(bytes));
  cvt.len = bytes;
  cvt.buf = sound.data();
  if (SDL_ConvertAudio(&cvt) != 0) return false;
  const int size = cvt.needed ? cvt.len_cvt : cvt.len;
  StartOnce();
  if (device_ == 0 && audio_initialised_) OpenDevice();
  quiet_from_ =
      std::chrono::steady_clock::now() + std::chrono::milliseconds(BytesToMsRoundedUp(size));
  return device_ != 0 && SDL_QueueAudio(device_, sound.data(), static_cast<Uint32>(size)) == 0;
}

bool SdlSoundPlayer::PlayTone(int hertz, int milliseconds) {
  StartOnce();
  if (device_ == 0 && audio_initialised_) OpenDevice();
  if (device_ == 0 || SDL_GetQueuedAudioSize(device_) > 0) return false;
  const std::vector<Sint16> samples = ToneSamples(hertz, milliseconds);
  if (samples.empty()) return false;
  quiet_from_ = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
  return SDL_QueueAudio(device_, samples.data(),
                        static_cast<Uint32>(samples.size() * sizeof(Sint16))) == 0;
}

void SdlSoundPlayer::Rest() {
  if (device_ == 0 || SDL_GetQueuedAudioSize(device_) > 0) return;
  if (std::chrono::steady_clock::now() < quiet_from_ + kQuietBeforeRelease) return;
  std::lock_guard<std::mutex> lock(SdlAudioDeviceLock());
  SDL_CloseAudioDevice(device_);
  device_ = 0;
}

std::string SdlSoundPlayer::TakeRefusal() {
  std::string taken;
  taken.swap(refusal_);
  return taken;
}

// The device takes the queue one buffer at a time; the queue is empty once it has taken the
// last piece, which then still has to be heard. The device starts a new sound within one
// buffer, so a synchronous play lasts the sound's length plus at most one buffer. It never
// lasts less than the sound: the dummy driver counts whole milliseconds per buffer and runs
// a little fast, and without any device there is nothing to wait for but the clock.
void SdlSoundPlayer::WaitUntilHeard(int soundBytes) const {
  const auto end = std::chrono::steady_clock::now() +
                   std::chrono::microseconds(soundBytes * 1000000LL / kBytesPerSecond);
  const int soundMs = BytesToMsRoundedUp(soundBytes);
  if (device_ != 0) {
    // Most of the sound is slept through in one go; the end is found by polling the queue.
    const int firstSleepMs = soundMs - 2 * BufferMilliseconds();
    WaitListeningMs(firstSleepMs);
    while (SDL_GetQueuedAudioSize(device_) > 0) {
      if (std::chrono::steady_clock::now() > end + kStallLimit) {
        SDL_ClearQueuedAudio(device_);
        return;
      }
      WaitListeningMs(kPollMs);
    }
    const int bufferBytes = buffer_samples_ * kChannels * 2;
    const int lastPieceBytes = bufferBytes > 0 ? soundBytes % bufferBytes : 0;
    WaitListeningMs(BytesToMsRoundedUp(lastPieceBytes == 0 ? bufferBytes : lastPieceBytes));
  }
  if (std::chrono::steady_clock::now() < end) WaitListening(end);
}

}  // namespace kestrel::platform
