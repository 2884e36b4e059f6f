// What goes out on the line, and when: replies wait for the reply delay and for each other
// (answers leave in the order of the commands), and the test faults are applied here: a
// reply split over two writes, noise bytes between replies.
#pragma once

#include <deque>
#include <random>
#include <string>

#include "receiver.h"
#include "sim_time.h"

namespace kestrel::sim {

struct OutputOptions {
  Millis replyDelayMs = 0;
  bool split = false;
  Millis splitGapMs = 20;
  bool noise = false;
  unsigned seed = 1;
};

class OutputQueue {
 public:
  explicit OutputQueue(const OutputOptions& options);
  void Push(const Reply& reply, Millis now);
  // The next write that is due at `now`, removed from the queue; "" when none is due.
  std::string TakeDue(Millis now);
  Millis NextDue() const { return writes_.empty() ? kNever : writes_.front().due; }
  void Clear();

 private:
  struct Write {
    Millis due;
    std::string bytes;
  };
  void Schedule(Millis due, std::string bytes);
  std::string Noise();

  OutputOptions options_;
  std::deque<Write> writes_;
  Millis lastDue_ = 0;
  std::mt19937 random_;
};

}  // namespace kestrel::sim
