#include "fakes/fake_speech.h"

namespace kestrel::fakes {

std::string FakeSpeechService::Open() {
  calls.push_back("open");
  return open_problem;
}

bool FakeSpeechService::Say(const std::string& text) {
  calls.push_back("say " + text);
  return true;
}

bool FakeSpeechService::Cancel() {
  calls.push_back("cancel");
  return true;
}

platform::SpeechEvent FakeSpeechService::WaitEvent(std::chrono::steady_clock::time_point) {
  if (events.empty()) return platform::SpeechEvent::kEnded;
  const platform::SpeechEvent event = events.front();
  events.pop_front();
  return event;
}

void FakeSpeechService::Close() { calls.push_back("close"); }

}  // namespace kestrel::fakes
