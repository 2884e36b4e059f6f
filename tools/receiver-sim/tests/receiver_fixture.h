// A receiver driven by the test's own clock, with helpers that give its answers as text.
#pragma once

#include <gtest/gtest.h>

#include "receiver.h"

namespace kestrel::sim {

inline std::string Text(const Replies& replies) {
  std::string text;
  for (const auto& reply : replies) text += reply.bytes;
  return text;
}

class ReceiverTest : public ::testing::Test {
 protected:
  void Start() { receiver_.emplace(options_, scenario_, memory_); }
  Receiver& receiver() {
    if (!receiver_) Start();
    return *receiver_;
  }
  // The answer to a command, and every unasked line that came with it.
  std::string Ask(std::string_view command) { return Text(receiver().Command(command, now_)); }
  std::string Up() { return Text(receiver().Up(now_)); }
  // Lets time pass; returns the unasked lines sent meanwhile.
  std::string Wait(Millis ms) {
    now_ += ms;
    return Text(receiver().Advance(now_));
  }
  void Store(ChannelId id, Hz hz, int pass = 0) {
    Channel* channel = memory_.Find(id);
    channel->used = true;
    channel->hz = hz;
    channel->pass = pass;
  }

  ReceiverOptions options_;
  Scenario scenario_;
  Memory memory_;
  std::optional<Receiver> receiver_;
  Millis now_ = 0;
};

}  // namespace kestrel::sim
