// The search between the VFOs and the memory scan of a bank: both move on in time, halt on
// a signal that opens the squelch, and go on when it has gone, when a pause ends or when
// the up byte comes.
#include <algorithm>

#include "receiver.h"

namespace kestrel::sim {
namespace {

// Even a long stall of the caller is caught up step by step, but never forever.
constexpr int kMostEventsPerAdvance = 1'000'000;

}  // namespace

Replies Receiver::StartSearch(std::string_view argument, Millis now) {
  if (!argument.empty() || vfoHz_[0] == vfoHz_[1]) return Refused();
  StopSweep();
  activity_ = Activity::kSearch;
  channel_.reset();
  searchHz_ = vfoHz_[0];
  sweep_.active = true;
  sweep_.nextStepAt = now + options_.searchStepMs;
  return Done();
}

Replies Receiver::StartScan(std::string_view argument, Millis now) {
  std::optional<ChannelId> first;
  if (argument.empty()) {
    if (activity_ == Activity::kScan) {
      if (sweep_.halted) GoOn(now);
      return Done();
    }
    // In memory mode the scan goes on from the channel in use.
    if (activity_ == Activity::kMemory && channel_) first = NextScanChannel(*channel_, false);
  } else if (argument.size() == 1 && IsBankLetter(argument[0])) {
    first = NextScanChannel({argument[0], 0}, true);
  }
  if (!first) return Refused();
  StopSweep();
  activity_ = Activity::kScan;
  TuneChannel(*first);
  sweep_.active = true;
  sweep_.nextStepAt = now + options_.scanChannelMs;
  return Done();
}

Replies Receiver::Advance(Millis now) {
  Replies out;
  for (int events = 0; events < kMostEventsPerAdvance; ++events) {
    const Millis t = NextDue();
    if (t > now) break;
    clock_ = std::max(clock_, t);
    Process(clock_, out);
  }
  clock_ = std::max(clock_, now);
  return out;
}

Millis Receiver::NextDue() const {
  Millis next = scenario_.NextChangeAfter(clock_);
  if (Moving()) next = std::min(next, sweep_.nextStepAt);
  if (sweep_.halted && sweep_.quietSince) {
    next = std::min(next, *sweep_.quietSince + options_.resumeAfterMs);
  }
  if (sweep_.halted && options_.pauseMs > 0) {
    next = std::min(next, sweep_.haltedAt + options_.pauseMs);
  }
  return next;
}

// Everything that is due at t: the next step, a halt or its end, and the level line.
void Receiver::Process(Millis t, Replies& out) {
  if (Moving() && t >= sweep_.nextStepAt) {
    StepSweep();
    sweep_.nextStepAt =
        t + (activity_ == Activity::kScan ? options_.scanChannelMs : options_.searchStepMs);
  }
  if (sweep_.active) HaltOrGoOn(t);
  ReportSquelch(t, out);
}

void Receiver::HaltOrGoOn(Millis t) {
  const bool open = SquelchOpen(t);
  if (!sweep_.halted) {
    if (open) {
      sweep_.halted = true;
      sweep_.haltedAt = t;
      sweep_.quietSince.reset();
    }
    return;
  }
  if (open) {
    sweep_.quietSince.reset();
  } else if (!sweep_.quietSince) {
    sweep_.quietSince = t;
  }
  const bool quietLongEnough =
      sweep_.quietSince && t - *sweep_.quietSince >= options_.resumeAfterMs;
  const bool pauseOver = options_.pauseMs > 0 && t - sweep_.haltedAt >= options_.pauseMs;
  if (quietLongEnough || pauseOver) GoOn(t);
}

// Leaves the halt at once: one step on, which may halt again on the next signal.
void Receiver::GoOn(Millis t) {
  sweep_.halted = false;
  sweep_.quietSince.reset();
  StepSweep();
  sweep_.nextStepAt =
      t + (activity_ == Activity::kScan ? options_.scanChannelMs : options_.searchStepMs);
  if (Moving() && SquelchOpen(t)) {
    sweep_.halted = true;
    sweep_.haltedAt = t;
  }
}

void Receiver::StepSweep() {
  if (activity_ == Activity::kScan) {
    StepScan();
    return;
  }
  // The search runs from VFO A towards VFO B and starts again at A once past B.
  const Hz from = vfoHz_[0];
  const Hz to = vfoHz_[1];
  const Hz next = to > from ? searchHz_ + stepHz_ : searchHz_ - stepHz_;
  searchHz_ = (to > from ? next > to : next < to) ? from : next;
}

// Moves the scan to the next channel that may be scanned; with none left it ends in
// memory mode (or on the VFO when the channel in use has gone too).
void Receiver::StepScan() {
  const auto next = channel_ ? NextScanChannel(*channel_, false) : std::nullopt;
  if (next) {
    TuneChannel(*next);
    return;
  }
  StopSweep();
  const Channel* current = channel_ ? memory_.Find(*channel_) : nullptr;
  activity_ = current && current->used ? Activity::kMemory : Activity::kVfo;
  if (activity_ == Activity::kVfo) channel_.reset();
}

void Receiver::StopSweep() { sweep_ = Sweep{}; }

// The first channel after `from` (or `from` itself) in its bank, wrapping round, that holds
// a frequency and is not passed.
std::optional<ChannelId> Receiver::NextScanChannel(ChannelId from, bool includeFrom) const {
  const int size = memory_.BankSize(from.bank);
  for (int k = includeFrom ? 0 : 1; k <= size && size > 0; ++k) {
    const ChannelId id{from.bank, (from.index + k) % size};
    const Channel* channel = memory_.Find(id);
    if (channel->used && channel->pass == 0) return id;
  }
  return std::nullopt;
}

// With level reports on, the set says by itself when the squelch opens or closes.
void Receiver::ReportSquelch(Millis t, Replies& out) {
  const bool open = SquelchOpen(t);
  if (open == squelchWasOpen_) return;
  squelchWasOpen_ = open;
  if (!levelReports_) return;
  const std::string level = ThreeDigits(Level(t));
  const std::string text = open ? "LC" + level + " " + Source() + " RF" + TenDigits(TunedHz())
                                : "LC%" + level + " " + Source();
  out.push_back(Reply{text + options_.lineEnd, 0, true});
}

// Where the level comes from: a memory channel, the search, or a VFO.
std::string Receiver::Source() const {
  if (InMemory() && channel_) return "M" + ChannelName(*channel_);
  if (activity_ == Activity::kSearch) return "VS";
  return vfo_ == 0 ? "VA" : "VB";
}

}  // namespace kestrel::sim
