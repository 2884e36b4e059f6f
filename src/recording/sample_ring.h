// The last seconds of captured sound. The capture's thread appends; the recorder's thread
// copies out by absolute sample number (counted from the first sample ever appended), so a
// mark taken on the panel's thread names a place in the sound without waiting for either.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <vector>

namespace kestrel::recording {

class SampleRing {
 public:
  explicit SampleRing(std::size_t capacity) : buffer_(capacity) {}

  void Append(const std::int16_t* samples, std::size_t count);
  // Samples appended so far; read without a lock.
  long long Captured() const { return captured_.load(std::memory_order_acquire); }
  // The first sample still held: nothing from before the last Restart, nothing overwritten.
  long long Oldest() const;
  // A new input starts: what was held before belongs to another time.
  void Restart();
  // Appends samples [from, to) to out; false when some of them are no longer held.
  bool CopyOut(long long from, long long to, std::vector<std::int16_t>& out) const;

 private:
  mutable std::mutex lock_;
  std::vector<std::int16_t> buffer_;
  std::atomic<long long> captured_{0};
  long long restarted_at_ = 0;
};

}  // namespace kestrel::recording
