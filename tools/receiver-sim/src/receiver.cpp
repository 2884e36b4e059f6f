#include "receiver.h"

#include <utility>

namespace kestrel::sim {
namespace {

std::optional<int> FlagValue(std::string_view argument) {
  if (argument == "0") return 0;
  if (argument == "1") return 1;
  return std::nullopt;
}

}  // namespace

Receiver::Receiver(ReceiverOptions options, Scenario scenario, Memory memory)
    : options_(std::move(options)), scenario_(std::move(scenario)), memory_(std::move(memory)) {}

const std::vector<Receiver::CommandEntry>& Receiver::Commands() {
  static const std::vector<CommandEntry> commands = {
      {"VA", &Receiver::SetVfoA},         {"VB", &Receiver::SetVfoB},
      {"RF", &Receiver::SetFrequency},    {"RX", &Receiver::Report},
      {"ST", &Receiver::SetStep},         {"MD", &Receiver::SetMode},
      {"AU", &Receiver::SetAutoMode},     {"AT", &Receiver::SetAttenuator},
      {"NL", &Receiver::SetNoiseLimiter}, {"LM", &Receiver::ReadLevel},
      {"LC", &Receiver::SetLevelReports}, {"VS", &Receiver::StartSearch},
      {"MA", &Receiver::ListBank},        {"MS", &Receiver::StartScan},
      {"MR", &Receiver::RecallChannel},   {"MP", &Receiver::SetPass},
      {"MQ", &Receiver::EraseBank},       {"MW", &Receiver::BankSplit},
      {"MX", &Receiver::StoreChannel},    {"EX", &Receiver::GiveBackPanel},
  };
  return commands;
}

Replies Receiver::Command(std::string_view text, Millis now) {
  Replies out = Advance(now);
  for (auto& reply : Dispatch(text, now)) out.push_back(std::move(reply));
  Process(now, out);
  return out;
}

Replies Receiver::Dispatch(std::string_view text, Millis now) {
  for (const auto& command : Commands()) {
    if (text.substr(0, 2) == command.name) return (this->*command.handler)(text.substr(2), now);
  }
  return Refused();
}

Replies Receiver::Up(Millis now) {
  Replies out = Advance(now);
  if (sweep_.halted) {
    GoOn(now);
  } else if (activity_ == Activity::kVfo) {
    const Hz next = vfoHz_[vfo_] + stepHz_;
    if (next <= kHighestHz) vfoHz_[vfo_] = next;
  }
  if (options_.upAnswers) out.push_back(Reply{options_.lineEnd});
  Process(now, out);
  return out;
}

Hz Receiver::TunedHz() const {
  switch (activity_) {
    case Activity::kVfo: return vfoHz_[vfo_];
    case Activity::kSearch: return searchHz_;
    case Activity::kMemory:
    case Activity::kScan: return memoryHz_;
  }
  return vfoHz_[vfo_];
}

int Receiver::Level(Millis t) const { return scenario_.LevelAt(TunedHz(), t, options_.widthHz); }

void Receiver::UseVfo(int vfo) {
  StopSweep();
  activity_ = Activity::kVfo;
  vfo_ = vfo;
  channel_.reset();
}

void Receiver::TuneChannel(ChannelId id) {
  const Channel* channel = memory_.Find(id);
  if (!channel) return;
  channel_ = id;
  memoryHz_ = channel->hz;
  stepHz_ = channel->stepHz;
  mode_ = channel->mode;
  autoMode_ = channel->autoMode;
  attenuator_ = channel->attenuator;
}

std::string Receiver::SettingsText() const {
  return "ST" + SixDigits(stepHz_) + " AU" + std::to_string(autoMode_) + " MD" +
         std::to_string(mode_) + " AT" + std::to_string(attenuator_);
}

// The channel in use as it is tuned now: its number, pass flag and text with the working
// frequency and settings.
std::string Receiver::ChannelReport() const {
  Channel tuned;
  if (const Channel* stored = memory_.Find(*channel_)) tuned = *stored;
  tuned.used = true;
  tuned.hz = memoryHz_;
  tuned.stepHz = stepHz_;
  tuned.mode = mode_;
  tuned.autoMode = autoMode_;
  tuned.attenuator = attenuator_;
  return ChannelLine(*channel_, tuned);
}

Replies Receiver::SetVfoA(std::string_view argument, Millis) { return SetVfo(0, argument); }
Replies Receiver::SetVfoB(std::string_view argument, Millis) { return SetVfo(1, argument); }

Replies Receiver::SetVfo(int vfo, std::string_view argument) {
  if (!argument.empty()) {
    const auto hz = ParseTuningFrequency(argument);
    if (!hz) return Refused();
    vfoHz_[vfo] = *hz;
  }
  UseVfo(vfo);
  return Done();
}

Replies Receiver::SetFrequency(std::string_view argument, Millis) {
  const auto hz = ParseTuningFrequency(argument);
  if (!hz) return Refused();
  if (activity_ != Activity::kVfo) UseVfo(vfo_);
  vfoHz_[vfo_] = *hz;
  return Done();
}

Replies Receiver::Report(std::string_view argument, Millis) {
  if (!argument.empty()) return Refused();
  switch (activity_) {
    case Activity::kVfo:
      return {Line(std::string(vfo_ == 0 ? "VA" : "VB") + " RF" + TenDigits(TunedHz()) + " " +
                   SettingsText())};
    case Activity::kSearch: return {Line("VS RF" + TenDigits(TunedHz()) + " " + SettingsText())};
    case Activity::kMemory: return {Line("MR " + ChannelReport())};
    case Activity::kScan: return {Line("MS " + ChannelReport())};
  }
  return Refused();
}

Replies Receiver::SetStep(std::string_view argument, Millis) {
  if (argument.empty()) return {Line("ST" + SixDigits(stepHz_))};
  const auto step = ParseStep(argument);
  if (!step) return Refused();
  stepHz_ = *step;
  return Done();
}

Replies Receiver::SetMode(std::string_view argument, Millis) {
  if (argument.empty()) return {Line("MD" + std::to_string(mode_))};
  if (argument.size() != 1 || argument[0] < '0' || argument[0] > '0' + kHighestMode) {
    return Refused();
  }
  mode_ = argument[0] - '0';
  return Done();
}

Replies Receiver::FlagCommand(std::string_view argument, int& flag, const std::string& readBack) {
  if (argument.empty()) return {Line(readBack)};
  const auto value = FlagValue(argument);
  if (!value) return Refused();
  flag = *value;
  return Done();
}

Replies Receiver::SetAutoMode(std::string_view argument, Millis) {
  return FlagCommand(argument, autoMode_,
                     "AU" + std::to_string(autoMode_) + " MD" + std::to_string(mode_));
}

Replies Receiver::SetAttenuator(std::string_view argument, Millis) {
  return FlagCommand(argument, attenuator_, "AT" + std::to_string(attenuator_));
}

Replies Receiver::SetNoiseLimiter(std::string_view argument, Millis) {
  return FlagCommand(argument, noiseLimiter_, "NL" + std::to_string(noiseLimiter_));
}

Replies Receiver::SetLevelReports(std::string_view argument, Millis) {
  return FlagCommand(argument, levelReports_, "LC" + std::to_string(levelReports_));
}

Replies Receiver::ReadLevel(std::string_view argument, Millis now) {
  if (!argument.empty()) return Refused();
  const char flag = Moving() || !SquelchOpen(now) ? '%' : ' ';
  return {Line(std::string("LM") + flag + ThreeDigits(Level(now)))};
}

Replies Receiver::ListBank(std::string_view argument, Millis) {
  if (argument.size() != 1 || !IsBankLetter(argument[0])) return Refused();
  constexpr int kChannelsListed = 10;
  Reply listing;
  for (int index = 0; index < kChannelsListed && index < memory_.BankSize(argument[0]); ++index) {
    const ChannelId id{argument[0], index};
    listing.bytes += ChannelLine(id, *memory_.Find(id)) + options_.lineEnd;
  }
  return {listing};
}

Replies Receiver::RecallChannel(std::string_view argument, Millis) {
  if (argument.empty()) {
    if (!InMemory() || !channel_) return Refused();
    return {Line(ChannelReport())};
  }
  const auto id = argument.size() == 3 ? ParseChannelId(argument) : std::nullopt;
  const Channel* channel = id ? memory_.Find(*id) : nullptr;
  if (!channel || !channel->used) return Refused();
  StopSweep();
  activity_ = Activity::kMemory;
  TuneChannel(*id);
  return Done();
}

Replies Receiver::SetPass(std::string_view argument, Millis) {
  Channel* channel = InMemory() && channel_ ? memory_.Find(*channel_) : nullptr;
  if (!channel) return Refused();
  return FlagCommand(argument, channel->pass, "MP" + std::to_string(channel->pass));
}

Replies Receiver::EraseBank(std::string_view argument, Millis) {
  if (argument.size() != 3 || !IsBankLetter(argument[0]) || argument.substr(1) != "%%") {
    return Refused();
  }
  memory_.EraseBank(argument[0]);
  return Done();
}

Replies Receiver::BankSplit(std::string_view argument, Millis) {
  if (argument.empty() || !IsBankLetter(argument[0])) return Refused();
  if (argument.size() == 1) return {Line(SplitLine(argument[0], memory_))};
  const auto upper = argument.size() == 3 ? ParseDigits(argument.substr(1)) : std::nullopt;
  if (!upper || *upper < kSmallestSplit || *upper > kLargestSplit) return Refused();
  memory_.SetSplit(argument[0], static_cast<int>(*upper));
  // The set takes its time to move the channels; everything after waits behind the answer.
  return {Reply{options_.lineEnd, options_.splitDelayMs}};
}

Replies Receiver::StoreChannel(std::string_view argument, Millis) {
  const auto id = ParseChannelId(argument);
  Channel* stored = id ? memory_.Find(*id) : nullptr;
  if (!stored) return Refused();
  Channel channel = *stored;
  if (!channel.used) {
    // A new channel takes what the fields leave out from the receiver's working settings.
    channel = Channel{};
    channel.stepHz = stepHz_;
    channel.mode = mode_;
    channel.autoMode = autoMode_;
    channel.attenuator = attenuator_;
  }
  if (!ApplyChannelFields(argument.substr(3), channel) || channel.hz == 0) return Refused();
  channel.used = true;
  *stored = channel;
  return Done();
}

Replies Receiver::GiveBackPanel(std::string_view argument, Millis) {
  if (!argument.empty()) return Refused();
  return {};
}

}  // namespace kestrel::sim
