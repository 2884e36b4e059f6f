// The receiver's state and its answers: VFOs, settings, memory, the search and the memory
// scan. Every call is given the time; nothing here reads a clock or touches a device.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "frequency.h"
#include "memory.h"
#include "scenario.h"
#include "sim_time.h"

namespace kestrel::sim {

struct ReceiverOptions {
  int squelch = 40;             // open at or above this level
  Millis searchStepMs = 50;     // the search moves one step this often
  Millis scanChannelMs = 100;   // the memory scan stays this long on each channel
  Millis resumeAfterMs = 2000;  // a halt ends this long after its signal has gone
  Millis pauseMs = 0;           // > 0: a halt ends after this long even with the signal on
  Millis splitDelayMs = 1500;   // "MW" with a split answers after this long
  int widthHz = 0;              // signals within half of this of the tuned frequency count
  bool upAnswers = false;       // the up byte answers a bare line end
  std::string lineEnd = "\r\n";
};

// Bytes to send. A reply answers a command; an unasked line ("LC...") is sent by itself.
struct Reply {
  std::string bytes;
  Millis delayMs = 0;  // wait this much longer than usual before sending
  bool unasked = false;
};
using Replies = std::vector<Reply>;

enum class Activity { kVfo, kMemory, kSearch, kScan };

class Receiver {
 public:
  Receiver(ReceiverOptions options, Scenario scenario, Memory memory);

  // A command without its CR.
  Replies Command(std::string_view text, Millis now);
  // The up byte 0x1E.
  Replies Up(Millis now);
  // Moves the search or scan on to `now`; returns the unasked lines that came due.
  Replies Advance(Millis now);
  // The next time at which Advance has something to do; kNever when nothing.
  Millis NextDue() const;

  const Memory& memory() const { return memory_; }
  Activity activity() const { return activity_; }
  bool Halted() const { return sweep_.halted; }
  Hz TunedHz() const;
  int Level(Millis t) const;

 private:
  using Handler = Replies (Receiver::*)(std::string_view argument, Millis now);
  struct CommandEntry {
    std::string_view name;
    Handler handler;
  };
  struct Sweep {
    bool active = false;  // a search or a memory scan runs (moving or halted)
    bool halted = false;
    Millis nextStepAt = 0;
    Millis haltedAt = 0;
    std::optional<Millis> quietSince;  // halted, and its signal has gone since then
  };

  static const std::vector<CommandEntry>& Commands();
  Replies Dispatch(std::string_view text, Millis now);

  // Commands (receiver.cpp).
  Replies SetVfoA(std::string_view argument, Millis now);
  Replies SetVfoB(std::string_view argument, Millis now);
  Replies SetVfo(int vfo, std::string_view argument);
  Replies SetFrequency(std::string_view argument, Millis now);
  Replies Report(std::string_view argument, Millis now);
  Replies SetStep(std::string_view argument, Millis now);
  Replies SetMode(std::string_view argument, Millis now);
  Replies SetAutoMode(std::string_view argument, Millis now);
  Replies SetAttenuator(std::string_view argument, Millis now);
  Replies SetNoiseLimiter(std::string_view argument, Millis now);
  Replies ReadLevel(std::string_view argument, Millis now);
  Replies SetLevelReports(std::string_view argument, Millis now);
  Replies StartSearch(std::string_view argument, Millis now);
  Replies ListBank(std::string_view argument, Millis now);
  Replies StartScan(std::string_view argument, Millis now);
  Replies RecallChannel(std::string_view argument, Millis now);
  Replies SetPass(std::string_view argument, Millis now);
  Replies EraseBank(std::string_view argument, Millis now);
  Replies BankSplit(std::string_view argument, Millis now);
  Replies StoreChannel(std::string_view argument, Millis now);
  Replies GiveBackPanel(std::string_view argument, Millis now);

  Reply Line(const std::string& text) const { return {text + options_.lineEnd}; }
  Replies Done() const { return {Reply{options_.lineEnd}}; }
  Replies Refused() const { return {Line("?")}; }
  Replies FlagCommand(std::string_view argument, int& flag, const std::string& readBack);
  std::string SettingsText() const;  // "ST012500 AU0 MD1 AT0"
  std::string ChannelReport() const;
  bool InMemory() const { return activity_ == Activity::kMemory || activity_ == Activity::kScan; }
  void UseVfo(int vfo);
  void TuneChannel(ChannelId id);

  // The search and the memory scan (receiver_sweep.cpp).
  void Process(Millis t, Replies& out);
  void StepSweep();
  void StepScan();
  void HaltOrGoOn(Millis t);
  void GoOn(Millis t);
  void StopSweep();
  bool Moving() const { return sweep_.active && !sweep_.halted; }
  bool SquelchOpen(Millis t) const { return Level(t) >= options_.squelch; }
  std::optional<ChannelId> NextScanChannel(ChannelId from, bool includeFrom) const;
  void ReportSquelch(Millis t, Replies& out);
  std::string Source() const;

  ReceiverOptions options_;
  Scenario scenario_;
  Memory memory_;
  std::array<Hz, 2> vfoHz_{kPowerOnHz, kPowerOnHz};
  int vfo_ = 0;  // 0 VFO A, 1 VFO B
  int stepHz_ = kPowerOnStepHz;
  int mode_ = 1;
  int autoMode_ = 0;
  int attenuator_ = 0;
  int noiseLimiter_ = 0;
  int levelReports_ = 0;
  Activity activity_ = Activity::kVfo;
  std::optional<ChannelId> channel_;  // the channel in use in memory mode and scan
  Hz memoryHz_ = 0;
  Hz searchHz_ = 0;
  Sweep sweep_;
  bool squelchWasOpen_ = false;  // as last reported by the level lines
  Millis clock_ = 0;             // the time up to which everything has been worked out
};

}  // namespace kestrel::sim
