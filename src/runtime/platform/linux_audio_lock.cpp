#include "runtime/platform/linux_audio_lock.h"

namespace kestrel::platform {

std::mutex& SdlAudioDeviceLock() {
  static std::mutex lock;
  return lock;
}

}  // namespace kestrel::platform
