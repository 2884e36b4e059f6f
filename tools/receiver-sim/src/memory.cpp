#include "memory.h"
#include "text_file.h"

#include <algorithm>
#include <fstream>

namespace kestrel::sim {
namespace {

bool IsUpperBank(char c) { return c >= 'A' && c < 'A' + kBankPairs; }
bool IsLowerBank(char c) { return c >= 'a' && c < 'a' + kBankPairs; }
int PairOf(char bank) { return IsUpperBank(bank) ? bank - 'A' : bank - 'a'; }
// Banks are stored upper ones first: A..J then a..j.
int SlotOf(char bank) { return IsUpperBank(bank) ? bank - 'A' : kBankPairs + (bank - 'a'); }

std::optional<int> ParseFlag(std::string_view value) {
  if (value == "0") return 0;
  if (value == "1") return 1;
  return std::nullopt;
}

std::optional<int> ParseMode(std::string_view value) {
  if (value.size() != 1 || value[0] < '0' || value[0] > '0' + kHighestMode) return std::nullopt;
  return value[0] - '0';
}

// One keyword and its value; false when either is unknown or malformed.
bool ApplyField(std::string_view keyword, std::string_view value, Channel& channel) {
  std::optional<std::int64_t> number;
  if (keyword == "RF") {
    number = ParseTenDigitFrequency(value);
    if (number) channel.hz = *number;
  } else if (keyword == "ST") {
    number = ParseStep(value);
    if (number) channel.stepHz = static_cast<int>(*number);
  } else if (keyword == "MD") {
    // The panel leaves the digit out for a mode it cannot number: the mode stays.
    if (value.empty()) return true;
    number = ParseMode(value);
    if (number) channel.mode = static_cast<int>(*number);
  } else if (keyword == "AU") {
    number = ParseFlag(value);
    if (number) channel.autoMode = static_cast<int>(*number);
  } else if (keyword == "AT") {
    number = ParseFlag(value);
    if (number) channel.attenuator = static_cast<int>(*number);
  } else if (keyword == "MP") {
    number = ParseFlag(value);
    if (number) channel.pass = static_cast<int>(*number);
  }
  return number.has_value();
}

// "MW A:90 a:10"
std::optional<std::pair<char, int>> ParseSplitLine(std::string_view line) {
  if (line.size() != 12 || line.substr(0, 3) != "MW " || line[4] != ':' || line[7] != ' ' ||
      line[9] != ':' || !IsUpperBank(line[3]) || line[8] != line[3] - 'A' + 'a') {
    return std::nullopt;
  }
  const auto upper = ParseDigits(line.substr(5, 2));
  const auto lower = ParseDigits(line.substr(10, 2));
  if (!upper || !lower || *upper + *lower != kChannelsPerPair || *upper < kSmallestSplit ||
      *upper > kLargestSplit) {
    return std::nullopt;
  }
  return std::pair{line[3], static_cast<int>(*upper)};
}

// One line of a memory file; "" when it was taken, else what is wrong with it.
std::string LoadMemoryLine(std::string_view line, Memory& memory) {
  if (const auto split = ParseSplitLine(line)) {
    memory.SetSplit(split->first, split->second);
    return "";
  }
  const auto id = line.substr(0, 2) == "MX" ? ParseChannelId(line.substr(2)) : std::nullopt;
  if (!id) return "neither a channel line (MXA05 ...) nor a split line (MW A:50 a:50)";
  Channel* channel = memory.Find(*id);
  if (!channel) return "channel " + ChannelName(*id) + " lies beyond its bank";
  const auto fields = line.substr(5);
  if (fields == " ---") {
    *channel = Channel{};
    return "";
  }
  Channel loaded;
  if (!ApplyChannelFields(fields, loaded) || loaded.hz == 0) return "malformed channel fields";
  loaded.used = true;
  *channel = loaded;
  return "";
}

}  // namespace

bool IsBankLetter(char c) { return IsUpperBank(c) || IsLowerBank(c); }

Memory::Memory() { splits_.fill(kDefaultSplit); }

int Memory::BankSize(char bank) const {
  if (!IsBankLetter(bank)) return 0;
  const int split = splits_[PairOf(bank)];
  return IsUpperBank(bank) ? split : kChannelsPerPair - split;
}

void Memory::SetSplit(char bank, int upper) {
  if (!IsBankLetter(bank)) return;
  const int pair = PairOf(bank);
  splits_[pair] = std::clamp(upper, kSmallestSplit, kLargestSplit);
  for (const char letter : {static_cast<char>('A' + pair), static_cast<char>('a' + pair)}) {
    auto& channels = banks_[SlotOf(letter)];
    std::fill(channels.begin() + BankSize(letter), channels.end(), Channel{});
  }
}

Channel* Memory::Find(ChannelId id) {
  if (id.index < 0 || id.index >= BankSize(id.bank)) return nullptr;
  return &banks_[SlotOf(id.bank)][id.index];
}

const Channel* Memory::Find(ChannelId id) const { return const_cast<Memory*>(this)->Find(id); }

void Memory::EraseBank(char bank) {
  if (IsBankLetter(bank)) banks_[SlotOf(bank)].fill(Channel{});
}

std::string ChannelName(ChannelId id) {
  const int index = std::clamp(id.index, 0, 99);
  return std::string{id.bank} + static_cast<char>('0' + index / 10) +
         static_cast<char>('0' + index % 10);
}

std::string ChannelLine(ChannelId id, const Channel& channel) {
  const std::string head = "MX" + ChannelName(id);
  if (!channel.used) return head + " ---";
  return head + " MP" + std::to_string(channel.pass) + " RF" + TenDigits(channel.hz) + " ST" +
         SixDigits(channel.stepHz) + " AU" + std::to_string(channel.autoMode) + " MD" +
         std::to_string(channel.mode) + " AT" + std::to_string(channel.attenuator) + " TM" +
         channel.text;
}

std::string SplitLine(char bank, const Memory& memory) {
  const int pair = IsUpperBank(bank) ? bank - 'A' : bank - 'a';
  const char upper = static_cast<char>('A' + pair);
  const char lower = static_cast<char>('a' + pair);
  return std::string("MW ") + upper + ":" + std::to_string(memory.BankSize(upper)) + " " + lower +
         ":" + std::to_string(memory.BankSize(lower));
}

std::optional<ChannelId> ParseChannelId(std::string_view text) {
  if (text.size() < 3 || !IsBankLetter(text[0])) return std::nullopt;
  const auto index = ParseDigits(text.substr(1, 2));
  if (!index) return std::nullopt;
  return ChannelId{text[0], static_cast<int>(*index)};
}

bool ApplyChannelFields(std::string_view fields, Channel& channel) {
  while (!fields.empty()) {
    if (fields[0] != ' ' || fields.size() < 3) return false;
    const auto keyword = fields.substr(1, 2);
    fields.remove_prefix(3);
    if (keyword == "TM") {
      channel.text = std::string(fields.substr(0, kLongestChannelText));
      return true;
    }
    const auto end = std::min(fields.find(' '), fields.size());
    if (!ApplyField(keyword, fields.substr(0, end), channel)) return false;
    fields.remove_prefix(end);
  }
  return true;
}

bool LoadMemoryFile(const std::string& path, Memory& memory, std::string& error) {
  return ReadTextFile(path, error, [&memory](const std::string& line) -> std::string {
    if (line.empty() || line[0] == '#') return "";
    return LoadMemoryLine(line, memory);
  });
}

bool SaveMemoryFile(const std::string& path, const Memory& memory) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file << "# receiver-sim memory channels\n";
  for (int pair = 0; pair < kBankPairs; ++pair) {
    const char upper = static_cast<char>('A' + pair);
    if (memory.BankSize(upper) != kDefaultSplit) file << SplitLine(upper, memory) << '\n';
  }
  for (int pair = 0; pair < kBankPairs; ++pair) {
    for (const char bank : {static_cast<char>('A' + pair), static_cast<char>('a' + pair)}) {
      for (int index = 0; index < memory.BankSize(bank); ++index) {
        const ChannelId id{bank, index};
        if (memory.Find(id)->used) file << ChannelLine(id, *memory.Find(id)) << '\n';
      }
    }
  }
  file.flush();
  return static_cast<bool>(file);
}

}  // namespace kestrel::sim
