// A recording speech server: every call in order; each message's events come from a script.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "runtime/platform/speech_service.h"

namespace kestrel::fakes {

class FakeSpeechService final : public platform::SpeechService {
 public:
  std::string Open() override;
  bool Say(const std::string& text) override;
  bool Cancel() override;
  platform::SpeechEvent WaitEvent(std::chrono::steady_clock::time_point deadline) override;
  std::string Problem() const override { return problem; }
  void Close() override;

  // "open", "say <text>", "cancel", "close", in order.
  std::vector<std::string> calls;
  // What Open answers: "" for a server that is there.
  std::string open_problem;
  // The events WaitEvent hands out in turn; when none are left, a message has ended.
  std::deque<platform::SpeechEvent> events;
  // The problem a lost server reports.
  std::string problem = "the fake server has gone away";
};

}  // namespace kestrel::fakes
