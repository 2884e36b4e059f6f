// The system's speech server: the operator's own voice, rate and volume, as set up for the
// screen reader. One message at a time is followed: its start and its end.
#pragma once

#include <chrono>
#include <string>

namespace kestrel::platform {

enum class SpeechEvent {
  kBegan,     // the last message said has started to sound
  kEnded,     // it has ended (or was cancelled)
  kTimedOut,  // the deadline came first
  kLost,      // the server has gone away
};

class SpeechService {
 public:
  virtual ~SpeechService() = default;
  // Connects to the server; "" when it answered, otherwise why it could not be used. No
  // call waits longer than a few seconds for the server's answer.
  virtual std::string Open() = 0;
  // Hands one message to the server; false when it did not take it (see Problem).
  virtual bool Say(const std::string& text) = 0;
  // Cancels what is being said and anything queued; false when the server did not answer.
  virtual bool Cancel() = 0;
  // Waits for the next event of the last message said, at most until the deadline.
  virtual SpeechEvent WaitEvent(std::chrono::steady_clock::time_point deadline) = 0;
  // Why the last call failed or the server was lost.
  virtual std::string Problem() const = 0;
  // Leaves the server; nothing is said afterwards.
  virtual void Close() = 0;
};

SpeechService& GetSpeechService();
// nullptr installs a service that is never there; main installs the real one.
void InstallSpeechService(SpeechService* service);

}  // namespace kestrel::platform
