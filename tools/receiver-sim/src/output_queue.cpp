#include "output_queue.h"

#include <algorithm>

namespace kestrel::sim {

OutputQueue::OutputQueue(const OutputOptions& options) : options_(options), random_(options.seed) {}

void OutputQueue::Push(const Reply& reply, Millis now) {
  if (reply.bytes.empty()) return;
  const Millis wait = (reply.unasked ? 0 : options_.replyDelayMs) + reply.delayMs;
  const Millis due = std::max(now + wait, lastDue_);
  if (options_.noise) Schedule(due, Noise());
  if (!options_.split || reply.bytes.size() < 2) {
    Schedule(due, reply.bytes);
    return;
  }
  const std::size_t half = reply.bytes.size() / 2;
  Schedule(due, reply.bytes.substr(0, half));
  Schedule(due + options_.splitGapMs, reply.bytes.substr(half));
}

std::string OutputQueue::TakeDue(Millis now) {
  if (writes_.empty() || writes_.front().due > now) return "";
  std::string bytes = std::move(writes_.front().bytes);
  writes_.pop_front();
  return bytes;
}

void OutputQueue::Clear() { writes_.clear(); }

void OutputQueue::Schedule(Millis due, std::string bytes) {
  lastDue_ = due;
  writes_.push_back({due, std::move(bytes)});
}

// One to four bytes of any value but the upper-case letters, so noise can never spell a
// reply keyword by itself.
std::string OutputQueue::Noise() {
  std::uniform_int_distribution<int> count(1, 4);
  std::uniform_int_distribution<int> byte(0, 255 - 26);
  std::string noise;
  for (int n = count(random_); n > 0; --n) {
    int value = byte(random_);
    if (value >= 'A') value += 26;
    noise += static_cast<char>(value);
  }
  return noise;
}

}  // namespace kestrel::sim
