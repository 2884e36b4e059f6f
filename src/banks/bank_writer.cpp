// Writing a bank into one of the receiver's memory banks, one "MX" per entry.
#include <algorithm>
#include <cstdint>
#include <string>

#include "banks/bank_names.h"
#include "banks/bank_table.h"
#include "banks/banks.h"
#include "controls/controls.h"
#include "link/link.h"
#include "link/link_recovery.h"
#include "link/port.h"
#include "link/receiver_commands.h"
#include "link/replies.h"
#include "speech/speech.h"
#include "state/banks.h"
#include "state/commands.h"
#include "state/link.h"
#include "state/modes.h"

namespace kestrel {
namespace {

constexpr int kLastChannel = kMostEntries - 1;  // channels 00..90
constexpr int kWaitPauses = 10;                 // after "wait", before the first entry
constexpr int kFirstEntryPauses = 7;            // then 5, 3, 1, 1, ... before each entry
constexpr int kBeepLineMultiple = 11;           // a "beep" after the entries on lines 22, 44, ...
constexpr int kLabelWidth = 12;                 // the receiver's memory text

// The bank's mode line, compared exactly with the receiver's names of its mode digits; any
// other text (also "CW " and "AUT") sends no digit.
std::string ModeDigitOf(const Text& mode) {
  for (const auto& entry : modes::kModes) {
    if (modes::DigitOf(entry) != 0 && mode == entry.digitText) {
      return std::string(1, modes::DigitOf(entry));
    }
  }
  return "";
}

// MHz as typed or tuned ("145.5", "1296", ".5", "0.5", "00145.5") to the receiver's ten
// digits ("0145500000", "1296000000", "0000500000"): leading zeros do not count, the MHz
// digits are filled to four from the left, the fraction to six, and a fraction beyond the
// hertz is rounded to the hertz ("145.1234567" is "0145123457"). "" when the whole MHz take
// more than four digits: no receiver channel lies there.
std::string FrequencyField(const Text& line) {
  const std::string& text = line.str();
  const std::size_t point = std::min(text.find('.'), text.size());
  const std::size_t firstDigit = std::min(text.find_first_not_of('0'), point);
  const std::string whole = text.substr(firstDigit, point - firstDigit);
  if (Length(whole) > kMegahertzDigits) return "";
  std::string fraction = point < text.size() ? text.substr(point + 1) : "";
  const bool roundUp = Length(fraction) > kHertzDigits && fraction[kHertzDigits] >= '5';
  fraction.resize(kHertzDigits, '0');
  std::int64_t hertz = std::stoll("0" + whole + fraction) + (roundUp ? 1 : 0);
  std::string field = std::to_string(hertz);
  if (Length(field) > kReplyFrequencyDigits) return "";  // rounded up past 9999.999999 MHz
  return std::string(kReplyFrequencyDigits - Length(field), '0') + field;
}

std::string ChannelField(int channel) {
  return (channel < 10 ? "0" : "") + std::to_string(channel);
}

// The receiver's memory text: the label's first 12 characters, blanks for any byte that is
// not printable ASCII, filled with blanks.
std::string LabelField(const Text& label) {
  std::string field = Left(label.str(), kLabelWidth);
  for (char& c : field) {
    if (c < ' ' || c > '~') c = ' ';
  }
  return field + Spaces(kLabelWidth - Length(field));
}

void PlayPauses(int count) {
  for (int i = 0; i < count; ++i) PlayFixedWord("shdel");
}

void SendMemoryWrite(int line, const std::string& frequency, const std::string& modeDigit) {
  CommandText = kCommandMemoryWrite + Mid(ArgumentText.str(), 3, 1) +
                ChannelField(ChannelOfLine(line)) + kFieldFrequency + frequency + kFieldFixedStep +
                kFieldMode + modeDigit + kFieldText + LabelField(ListLines[line + 1]);
  SendCommand();
}

}  // namespace

// The receiver stores a channel slowly: the first entries wait longer, and nothing is
// read back, so the pauses are all the pacing there is. An entry whose frequency line is
// no frequency, or one beyond 9999 MHz, is left out ("inv" once). The write has worked when
// the link stayed and the receiver answers a level request after the last channel.
void WriteBankToReceiver() {
  if (LoadBankFileNamed(BankFileNameOf(Left(ArgumentText.str(), 2))) != 0) return;
  // The receiver's bank is erased only now that there is a bank to write into it.
  CommandText = std::string(kCommandMemoryErase) + Mid(ArgumentText.str(), 3, 1) + kMemoryEraseAll;
  SendCommand();
  SayWord("wait");
  PlayPauses(kWaitPauses);
  const std::string modeDigit = ModeDigitOf(ListLines[kModeLine]);
  int pauses = kFirstEntryPauses;
  bool leftOut = false;
  bool lost = false;
  for (int i = kFirstEntryLine; i <= ListLast && i + 1 < kListSize; i += kLinesPerEntry) {
    PlayPauses(pauses);
    pauses = pauses > 1 ? pauses - 2 : 1;
    const std::string frequency = IsFrequencyText(ListLines[i]) ? FrequencyField(ListLines[i]) : "";
    if (!frequency.empty()) {
      SendMemoryWrite(i, frequency, modeDigit);
    } else if (!leftOut) {
      leftOut = true;
      SayWord("inv");
    }
    if (PortGone(PortNumber) != 0) {
      lost = true;
      break;
    }
    if (ChannelOfLine(i) >= kLastChannel) break;
    if (i % kBeepLineMultiple == 0) SayWord("beep");
  }
  SayWord(!lost && ReceiverAnswersLevel() ? "ok" : "failed");
}

}  // namespace kestrel
