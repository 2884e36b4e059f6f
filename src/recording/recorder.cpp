#include "recording/recorder.h"

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <vector>

#include "recording/recording_folder.h"
#include "runtime/platform/sound_capture.h"

namespace kestrel::recording {
namespace {

constexpr std::size_t kRingSeconds = 20;  // room for the writer to fall behind a while
constexpr auto kWritePeriod = std::chrono::milliseconds(200);

}  // namespace

Recorder::Recorder(const std::string& device, long long capBytes)
    : device_(device), cap_bytes_(capBytes), ring_(kRingSeconds * kRate) {
  thread_ = std::thread([this] { Run(); });
}

Recorder::~Recorder() {
  {
    std::lock_guard<std::mutex> hold(lock_);
    quit_ = true;
  }
  wake_.notify_one();
  thread_.join();
}

void Recorder::Hand(Mark mark) {
  {
    std::lock_guard<std::mutex> hold(lock_);
    marks_.push_back(std::move(mark));
    busy_ = true;
  }
  wake_.notify_one();
}

void Recorder::SetInputWanted(bool wanted) { Hand({MarkKind::kInput, wanted, 0, "", 0}); }

int Recorder::BeginHit(const std::string& name, long long msBeforeNow) {
  const long long before = (std::max(0LL, msBeforeNow) + kSecondsBefore * 1000LL) * kRate / 1000;
  Hand({MarkKind::kBegin, false, ++next_hit_, name, ring_.Captured() - before});
  return next_hit_;
}

void Recorder::EndHit() { Hand({MarkKind::kEnd, false, 0, "", ring_.Captured()}); }

void Recorder::WaitUntilIdle() {
  std::unique_lock<std::mutex> hold(lock_);
  idle_.wait(hold, [this] { return !busy_; });
}

// Marks are acted on in the order they came; between them the held hit is written as the
// sound comes in.
void Recorder::Run() {
  folder_ = OpenFolder(false);
  if (folder_ >= 0) KeepWithin(folder_, cap_bytes_);
  std::unique_lock<std::mutex> hold(lock_);
  while (true) {
    const auto more = [this] { return quit_ || !marks_.empty(); };
    if (input_open_) {
      wake_.wait_for(hold, kWritePeriod, more);
    } else {
      wake_.wait(hold, more);
    }
    std::deque<Mark> marks;
    marks.swap(marks_);
    const bool quit = quit_;
    hold.unlock();
    for (const Mark& mark : marks) Act(mark);
    if (quit && writing_open_ && writing_.end < 0) writing_.end = ring_.Captured();
    WritePending();
    if (quit) input_wanted_ = false;
    FollowInput();
    hold.lock();
    busy_ = !marks_.empty() || (writing_open_ && writing_.end >= 0);
    if (!busy_) idle_.notify_all();
    if (quit_ && marks_.empty() && !writing_open_) break;
  }
  hold.unlock();
  if (folder_ >= 0) ::close(folder_);
}

void Recorder::Act(const Mark& mark) {
  switch (mark.kind) {
    case MarkKind::kInput: input_wanted_ = mark.wanted; break;
    case MarkKind::kBegin: Begin(mark); break;
    case MarkKind::kEnd:
      if (writing_open_) writing_.end = std::min(mark.sample, writing_.limit);
      WritePending();
      break;
  }
  FollowInput();
}

// A hit that begins while another is still being written ends that one first.
void Recorder::Begin(const Mark& mark) {
  if (writing_open_ && writing_.end < 0) writing_.end = std::min(ring_.Captured(), writing_.limit);
  WritePending();
  FollowInput();  // an input that would not open is tried again
  if (folder_ < 0) folder_ = OpenFolder(true);
  if (!input_open_ || folder_ < 0 || !writing_.file.Create(folder_, mark.name)) {
    Fail(mark.hit);
    return;
  }
  writing_.hit = mark.hit;
  writing_.next = std::max(mark.sample, ring_.Oldest());
  writing_.end = -1;
  writing_.limit = writing_.next + kLongestSeconds * static_cast<long long>(kRate);
  writing_open_ = true;
}

void Recorder::WritePending() {
  if (!writing_open_) return;
  const long long upTo =
      std::min(ring_.Captured(), writing_.end < 0 ? writing_.limit : writing_.end);
  std::vector<std::int16_t> samples;
  if (upTo > writing_.next) {
    // Sound the writer could not keep up with is gone: the recording would have a hole.
    if (!ring_.CopyOut(writing_.next, upTo, samples) ||
        !writing_.file.Write(samples.data(), samples.size())) {
      writing_.file.Abandon();
      writing_open_ = false;
      Fail(writing_.hit);
      return;
    }
    writing_.next = upTo;
  }
  if (writing_.next >= writing_.limit || (writing_.end >= 0 && writing_.next >= writing_.end))
    Finish();
}

void Recorder::Finish() {
  writing_open_ = false;
  if (!writing_.file.Finish()) {
    Fail(writing_.hit);
    return;
  }
  KeepWithin(folder_, cap_bytes_);
}

void Recorder::Fail(int hit) {
  last_failed_.store(hit);
  failures_.fetch_add(1);
}

// The input opens while an operation runs, and stays open until its last hit is written.
void Recorder::FollowInput() {
  if (input_wanted_ && !input_open_) {
    ring_.Restart();
    input_open_ = platform::GetSoundCapture()
                      .Open(device_, kRate,
                            [this](const std::int16_t* samples, std::size_t count) {
                              ring_.Append(samples, count);
                            })
                      .empty();
  } else if (!input_wanted_ && input_open_ && !writing_open_) {
    platform::GetSoundCapture().Close();
    input_open_ = false;
  }
}

}  // namespace kestrel::recording
