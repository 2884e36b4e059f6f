// The recorder: one thread that opens the sound input while an operation runs, keeps its
// last seconds in a ring, and writes each hit's recording from the marks the panel hands
// over. The panel's thread only hands over marks and reads counters: it never waits here.
#pragma once

#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <string>
#include <thread>

#include "recording/opus_file.h"
#include "recording/sample_ring.h"

namespace kestrel::recording {

inline constexpr int kSecondsBefore = 2;    // kept from before the halt
inline constexpr int kLongestSeconds = 60;  // the longest recording

class Recorder {
 public:
  // Starts the thread; `device` names the input, capBytes bounds the folder.
  Recorder(const std::string& device, long long capBytes);
  // Ends the recording being written (whole), closes the input and ends the thread.
  ~Recorder();
  Recorder(const Recorder&) = delete;
  Recorder& operator=(const Recorder&) = delete;

  // Whether an operation runs that may halt: the input is open only then.
  void SetInputWanted(bool wanted);
  // A hit began msBeforeNow ago: its recording `name` starts kSecondsBefore earlier.
  // Returns the hit's number.
  int BeginHit(const std::string& name, long long msBeforeNow);
  // The hit ends now.
  void EndHit();
  // Recordings that could not be made since the start.
  int Failures() const { return failures_.load(); }
  // Whether the recording of that hit failed (as far as known yet).
  bool Failed(int hit) const { return last_failed_.load() == hit; }
  // Waits until every mark handed over has been acted on and every ended hit is written;
  // for tests and measurements only.
  void WaitUntilIdle();

 private:
  enum class MarkKind { kInput, kBegin, kEnd };
  struct Mark {
    MarkKind kind;
    bool wanted = false;
    int hit = 0;
    std::string name;
    long long sample = 0;
  };
  struct Writing {
    int hit = 0;
    long long next = 0;   // the next sample to write
    long long end = -1;   // where it ends; -1 while the hit is held
    long long limit = 0;  // where it ends at the latest
    OpusWriter file;
  };

  void Hand(Mark mark);
  void Run();
  void Act(const Mark& mark);
  void Begin(const Mark& mark);
  void WritePending();
  void Finish();
  void Fail(int hit);
  void FollowInput();

  const std::string device_;
  const long long cap_bytes_;
  SampleRing ring_;
  std::mutex lock_;  // guards marks_, quit_, busy_
  std::condition_variable wake_;
  std::condition_variable idle_;
  std::deque<Mark> marks_;
  bool quit_ = false;
  bool busy_ = false;
  int next_hit_ = 0;  // the panel's thread only
  // The writer's own (its thread only).
  bool input_wanted_ = false;
  bool input_open_ = false;
  int folder_ = -1;
  Writing writing_;
  bool writing_open_ = false;
  std::atomic<int> failures_{0};
  std::atomic<int> last_failed_{0};
  std::thread thread_;
};

}  // namespace kestrel::recording
