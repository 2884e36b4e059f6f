// SDL opens and closes audio devices through one table that is not guarded against two
// threads at once: the sound player (on the panel's thread) and the capture (on the
// recorder's) take this lock around each open and close.
#pragma once

#include <mutex>

namespace kestrel::platform {

std::mutex& SdlAudioDeviceLock();

}  // namespace kestrel::platform
