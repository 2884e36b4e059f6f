// The wait of a synchronous word. While a word is heard the program keeps listening (the
// window runtime installs the listener: keys are kept, network reads answered); without a
// listener the wait is plain sleep.
#pragma once

#include <chrono>

namespace kestrel::platform {

using WaitListener = void (*)(std::chrono::steady_clock::time_point until);

// nullptr: waits sleep.
void InstallWaitListener(WaitListener listener);
// Returns at the time given, not before (a listener may return a little after).
void WaitListening(std::chrono::steady_clock::time_point until);
void WaitListeningMs(int milliseconds);

}  // namespace kestrel::platform
