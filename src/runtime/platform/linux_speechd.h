// The speech server on Linux: speech-dispatcher through its C client library. The library
// reads the server's answers and events on a thread of its own; its callbacks only queue the
// events, which the program's thread takes in WaitEvent.
#pragma once

#include <chrono>
#include <memory>
#include <string>

#include "runtime/platform/speech_service.h"

namespace kestrel::platform {

class SpeechdService final : public SpeechService {
 public:
  SpeechdService();
  ~SpeechdService() override;
  SpeechdService(const SpeechdService&) = delete;
  SpeechdService& operator=(const SpeechdService&) = delete;

  // The server is the one SPEECHD_ADDRESS names, else the user's own (started when it is
  // not running, as every client of it does). Messages go with the priority "message", in
  // the voice, rate and volume the server is set to.
  std::string Open() override;
  bool Say(const std::string& text) override;
  bool Cancel() override;
  SpeechEvent WaitEvent(std::chrono::steady_clock::time_point deadline) override;
  std::string Problem() const override { return problem_; }
  void Close() override;

  struct Connection;

 private:
  bool Lose(const std::string& why);

  std::shared_ptr<Connection> connection_;
  std::string problem_;
};

}  // namespace kestrel::platform
