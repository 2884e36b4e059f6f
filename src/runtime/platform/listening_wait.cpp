#include "runtime/platform/listening_wait.h"

#include <thread>

namespace kestrel::platform {
namespace {

WaitListener wait_listener = nullptr;

}  // namespace

void InstallWaitListener(WaitListener listener) { wait_listener = listener; }

void WaitListening(std::chrono::steady_clock::time_point until) {
  if (wait_listener) {
    wait_listener(until);
  } else {
    std::this_thread::sleep_until(until);
  }
}

void WaitListeningMs(int milliseconds) {
  if (milliseconds <= 0) return;
  WaitListening(std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds));
}

}  // namespace kestrel::platform
