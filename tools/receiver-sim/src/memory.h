// The receiver's 1000 memory channels: ten bank pairs (A/a ... J/j) of 100 channels, the
// upper-case bank holding the first `split` of them, and the text forms of a channel.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "frequency.h"

namespace kestrel::sim {

inline constexpr int kBankPairs = 10;
inline constexpr int kChannelsPerPair = 100;
inline constexpr int kDefaultSplit = 50;
inline constexpr int kSmallestSplit = 10;
inline constexpr int kLargestSplit = 90;
inline constexpr int kLongestChannelText = 12;
inline constexpr int kHighestMode = 8;  // 0 WFM ... 8 NAM

struct Channel {
  bool used = false;
  Hz hz = 0;
  int stepHz = kPowerOnStepHz;
  int mode = 1;
  int autoMode = 0;
  int attenuator = 0;
  int pass = 0;
  std::string text;
};

// A bank letter ('A'..'J' upper, 'a'..'j' lower) and a channel number counted from 00 in
// that bank.
struct ChannelId {
  char bank = 'A';
  int index = 0;
  bool operator==(const ChannelId&) const = default;
};

bool IsBankLetter(char c);

class Memory {
 public:
  Memory();
  // Channels in the bank of this letter; 0 for a character that is no bank letter.
  int BankSize(char bank) const;
  // Gives the upper bank of the letter's pair `upper` channels and the lower one the rest.
  // Each bank keeps its channel numbers; the channels that no longer fit are erased.
  void SetSplit(char bank, int upper);
  Channel* Find(ChannelId id);
  const Channel* Find(ChannelId id) const;
  void EraseBank(char bank);

 private:
  std::array<std::array<Channel, kChannelsPerPair>, 2 * kBankPairs> banks_;
  std::array<int, kBankPairs> splits_;
};

std::string ChannelName(ChannelId id);  // "A05"
// "MXA05 MP0 RF0145500000 ST012500 AU0 MD1 AT0 TMtext", or "MXA05 ---" when empty.
std::string ChannelLine(ChannelId id, const Channel& channel);
// "MW A:50 a:50" for the pair of the letter.
std::string SplitLine(char bank, const Memory& memory);

// "A05" at the start of the text; the number is not checked against the bank's size.
std::optional<ChannelId> ParseChannelId(std::string_view text);
// Applies the fields that follow the channel in an "MX" line (" RF0145500000 ST012500 MD1
// TMtext", also " MP", " AU", " AT"; " TM" comes last and keeps the rest, blanks included,
// up to 12 characters). Fields not given, and " MD" without its digit, keep their value.
// false for a malformed field.
bool ApplyChannelFields(std::string_view fields, Channel& channel);

// One line per entry, in the layout of the channel and split lines above; blank lines and
// lines starting with # are skipped. false with a message naming the line on a fault.
bool LoadMemoryFile(const std::string& path, Memory& memory, std::string& error);
bool SaveMemoryFile(const std::string& path, const Memory& memory);

}  // namespace kestrel::sim
