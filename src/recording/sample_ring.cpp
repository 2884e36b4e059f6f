#include "recording/sample_ring.h"

#include <algorithm>

namespace kestrel::recording {

void SampleRing::Append(const std::int16_t* samples, std::size_t count) {
  std::lock_guard<std::mutex> hold(lock_);
  const auto size = static_cast<long long>(buffer_.size());
  long long at = captured_.load(std::memory_order_relaxed);
  for (std::size_t i = 0; i < count; ++i, ++at)
    buffer_[static_cast<std::size_t>(at % size)] = samples[i];
  captured_.store(at, std::memory_order_release);
}

long long SampleRing::Oldest() const {
  std::lock_guard<std::mutex> hold(lock_);
  const long long captured = captured_.load(std::memory_order_relaxed);
  return std::max(restarted_at_, captured - static_cast<long long>(buffer_.size()));
}

void SampleRing::Restart() {
  std::lock_guard<std::mutex> hold(lock_);
  restarted_at_ = captured_.load(std::memory_order_relaxed);
}

bool SampleRing::CopyOut(long long from, long long to, std::vector<std::int16_t>& out) const {
  std::lock_guard<std::mutex> hold(lock_);
  const auto size = static_cast<long long>(buffer_.size());
  const long long captured = captured_.load(std::memory_order_relaxed);
  if (from < std::max(restarted_at_, captured - size) || to > captured) return false;
  for (long long at = from; at < to; ++at)
    out.push_back(buffer_[static_cast<std::size_t>(at % size)]);
  return true;
}

}  // namespace kestrel::recording
