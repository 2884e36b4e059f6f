// One line of Hamlib's NET rigctl protocol, answered from what the panel already knows. A
// line holds one command, by its short name (one character) or by its long name after a
// backslash, then its arguments. A first character "+", ";", "|" or "," asks for the
// extended answer: the long name with the arguments, each value with its label, and
// "RPRT" with the result, each ended by that character ("+": a line end).
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "rigctl/rigctl.h"
#include "rigctl/rigctl_internal.h"
#include "state/app.h"
#include "state/controls.h"
#include "state/modes.h"
#include "state/rigctl.h"

namespace kestrel {
namespace {

// Hamlib's result codes.
constexpr int kOk = 0;
constexpr int kInvalid = -1;   // a malformed or unknown argument
constexpr int kRejected = -9;  // refused: the operator's scan or search runs
constexpr int kNotAvailable = -11;

// The receiver's range, and the steps it can be tuned in.
constexpr double kLowestHz = 100000;
constexpr double kHighestHz = 2040000000;
constexpr std::int64_t kResolutionHz = 50;
constexpr int kLevelAtS9 = 108;  // the panel's S-reading is one unit per 12 level steps
constexpr const char* kOnlyVfo = "VFOA";

using Arguments = std::vector<std::string>;

struct Answer {
  int result = kOk;
  std::vector<std::pair<std::string, std::string>> values;  // label, value
  bool reportAlways = false;  // the plain form ends with "RPRT 0" after its values too
  bool close = false;
};

Answer Failed(int result) {
  Answer answer;
  answer.result = result;
  return answer;
}

using modes::kModes;
using modes::Mode;

// The steps the receiver can be tuned in.
constexpr int kStepsHz[] = {50, 100, 1000, 5000, 6250, 9000, 10000, 12500, 25000, 100000};
// After the filters: no functions, and the two readable levels STRENGTH and RAWSTR.
constexpr const char* kLevelLines[] = {
    "0", "0", "0", "0", "0", "0", "0x0", "0x0", "0x44000000", "0x0", "0x0", "0x0",
};

std::string Mask(unsigned bits) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%x", bits);
  return text;
}

// The bits of the modes named in the row passing `wanted`.
template <typename Wanted>
unsigned ModeMask(Wanted wanted) {
  unsigned bits = 0;
  for (const Mode& mode : kModes) {
    if (wanted(mode)) bits |= mode.remoteBit;
  }
  return bits;
}

// What the network client reads at connection: protocol 0, the receiver's range with its
// modes (AM, CW, USB, LSB, FM, WFM: 0x6f) on VFO A, no transmit range, the steps, the
// filters (each passband, narrowest first, with the modes that have it), no functions, and
// the two readable levels.
std::vector<std::string> StateLines() {
  const std::string all = Mask(ModeMask([](const Mode&) { return true; }));
  std::vector<std::string> lines{
      "0",
      "2",
      "1",
      std::to_string(kLowestHz) + " " + std::to_string(kHighestHz) + " " + all + " -1 -1 0x1 0x0",
      "0 0 0 0 0 0 0",
      "0 0 0 0 0 0 0"};
  for (const int step : kStepsHz) lines.push_back(all + " " + std::to_string(step));
  lines.push_back("0 0");
  std::vector<int> passbands;
  for (const Mode& mode : kModes) {
    if (mode.remoteBit != 0) passbands.push_back(mode.passbandHz);
  }
  std::sort(passbands.begin(), passbands.end());
  passbands.erase(std::unique(passbands.begin(), passbands.end()), passbands.end());
  for (const int hz : passbands) {
    const unsigned bits = ModeMask([hz](const Mode& mode) { return mode.passbandHz == hz; });
    lines.push_back(Mask(bits) + " " + std::to_string(hz));
  }
  lines.push_back("0 0");
  lines.insert(lines.end(), std::begin(kLevelLines), std::end(kLevelLines));
  return lines;
}

std::string Trimmed(std::string_view text) {
  const auto first = text.find_first_not_of(" \t\r\n");
  if (first == std::string_view::npos) return {};
  const auto last = text.find_last_not_of(" \t\r\n");
  return std::string(text.substr(first, last - first + 1));
}

// The row of a mode the control port knows, by ModeText ("CW" as read back names "CW ").
const Mode* ModeOfText(const std::string& modeText) {
  for (const Mode& mode : kModes) {
    if (mode.remoteName[0] != '\0' && Trimmed(mode.text) == Trimmed(modeText)) return &mode;
  }
  return nullptr;
}

const Mode* ModeOfName(const std::string& name) {
  for (const Mode& mode : kModes) {
    if (mode.remoteName[0] != '\0' && name == mode.remoteName) return &mode;
  }
  return nullptr;
}

// A frequency in Hz within the receiver's range, rounded to the nearest step it can take
// (145500055 -> 145500050), so that what is sent is what reads back.
bool ParseFrequency(const std::string& text, std::int64_t& hz) {
  char* end = nullptr;
  const double value = std::strtod(text.c_str(), &end);
  if (end == text.c_str() || *end != '\0' || !(value >= kLowestHz && value <= kHighestHz)) {
    return false;
  }
  hz = std::llround(value / kResolutionHz) * kResolutionHz;
  return true;
}

bool ParseWholeNumber(const std::string& text) {
  char* end = nullptr;
  std::strtol(text.c_str(), &end, 10);
  return end != text.c_str() && *end == '\0';
}

// A set still waiting for its turn is what the receiver is about to have.
std::string FrequencyNowText() {
  const RemoteSet* waiting = rigctl::WaitingSet(kRemoteFrequency);
  return waiting ? waiting->value : FrequencyText.str();
}

std::string ModeNowText() {
  const RemoteSet* waiting = rigctl::WaitingSet(kRemoteMode);
  return waiting ? waiting->value : ModeText.str();
}

Answer GetFrequency(const Arguments&, const std::string&) {
  return {kOk, {{"Frequency", std::to_string(rigctl::MegahertzTextToHz(FrequencyNowText()))}}};
}

Answer SetFrequency(const Arguments& arguments, const std::string& request) {
  std::int64_t hz = 0;
  if (arguments.empty() || !ParseFrequency(arguments[0], hz)) return Failed(kInvalid);
  if (rigctl::SetsRefusedNow()) return Failed(kRejected);
  rigctl::QueueRemoteSet(kRemoteFrequency, rigctl::HzToMegahertzText(hz), request);
  return {};
}

// In automatic mode the receiver picks the mode by band, which the panel does not know.
Answer GetMode(const Arguments&, const std::string&) {
  const Mode* mode = ModeOfText(ModeNowText());
  return {kOk,
          {{"Mode", mode ? mode->remoteName : "None"},
           {"Passband", std::to_string(mode ? mode->passbandHz : 0)}}};
}

// The receiver's filter goes with its mode: any passband is taken, and none is sent.
Answer SetMode(const Arguments& arguments, const std::string& request) {
  if (arguments.size() < 2 || !ParseWholeNumber(arguments[1])) return Failed(kInvalid);
  const Mode* mode = ModeOfName(arguments[0]);
  if (!mode) return Failed(kInvalid);
  if (rigctl::SetsRefusedNow()) return Failed(kRejected);
  rigctl::QueueRemoteSet(kRemoteMode, mode->text, request);
  return {};
}

// STRENGTH in dB relative to S9: 6 dB per S-unit of the panel's own reading.
Answer GetLevel(const Arguments& arguments, const std::string&) {
  if (arguments.empty()) return Failed(kInvalid);
  if (arguments[0] == "RAWSTR") return {kOk, {{"", std::to_string(LevelReading)}}};
  if (arguments[0] == "STRENGTH") {
    return {kOk, {{"", std::to_string((LevelReading - kLevelAtS9) / 2)}}};
  }
  return Failed(kNotAvailable);
}

// The squelch as the last level reply had it: open, a signal is there.
Answer GetDcd(const Arguments&, const std::string&) {
  return {kOk, {{"DCD", std::to_string(SquelchReading)}}};
}

Answer GetVfo(const Arguments&, const std::string&) { return {kOk, {{"VFO", kOnlyVfo}}}; }

Answer SetVfo(const Arguments& arguments, const std::string&) {
  if (arguments.empty() || (arguments[0] != kOnlyVfo && arguments[0] != "currVFO")) {
    return Failed(kInvalid);
  }
  return {};
}

Answer GetSplit(const Arguments&, const std::string&) {
  return {kOk, {{"Split", "0"}, {"TX VFO", kOnlyVfo}}};
}

Answer CheckVfo(const Arguments&, const std::string&) { return {kOk, {{"ChkVFO", "0"}}}; }

Answer DumpState(const Arguments&, const std::string&) {
  Answer answer;
  for (const std::string& line : StateLines()) answer.values.emplace_back("", line);
  return answer;
}

Answer GetPower(const Arguments&, const std::string&) { return {kOk, {{"Power Status", "1"}}}; }

// Hamlib 4.5's mode setting asks for this first; later versions read the "RPRT" after it.
Answer GetLockMode(const Arguments&, const std::string&) { return {kOk, {{"Locked", "0"}}, true}; }

Answer Quit(const Arguments&, const std::string&) { return {kOk, {}, false, true}; }

struct CommandRow {
  char shortName;  // 0: known by the long name only
  const char* longName;
  Answer (*answer)(const Arguments&, const std::string& request);
};

constexpr CommandRow kCommands[] = {
    {'f', "get_freq", GetFrequency},
    {'F', "set_freq", SetFrequency},
    {'m', "get_mode", GetMode},
    {'M', "set_mode", SetMode},
    {'l', "get_level", GetLevel},
    {'v', "get_vfo", GetVfo},
    {'V', "set_vfo", SetVfo},
    {'s', "get_split_vfo", GetSplit},
    {0, "chk_vfo", CheckVfo},
    {0, "dump_state", DumpState},
    {0, "get_powerstat", GetPower},
    {0, "get_lock_mode", GetLockMode},
    {0, "get_dcd", GetDcd},
    {'q', "quit", Quit},
    {'Q', "quit", Quit},
};

// The command of the first word: "\name", or one character with perhaps an argument
// written straight after it ("F145500000").
const CommandRow* FindCommand(Arguments& words) {
  const std::string first = words.front();
  words.erase(words.begin());
  if (first.size() > 1 && first[0] == '\\') {
    for (const auto& row : kCommands) {
      if (first.substr(1) == row.longName) return &row;
    }
    return nullptr;
  }
  if (first.size() > 1) words.insert(words.begin(), first.substr(1));
  for (const auto& row : kCommands) {
    if (row.shortName != 0 && row.shortName == first[0]) return &row;
  }
  return nullptr;
}

Arguments SplitWords(const std::string& text) {
  Arguments words;
  std::size_t at = 0;
  while ((at = text.find_first_not_of(" \t", at)) != std::string::npos) {
    const std::size_t end = text.find_first_of(" \t", at);
    words.push_back(text.substr(at, end == std::string::npos ? end : end - at));
    at = end;
  }
  return words;
}

std::string Report(int result) { return "RPRT " + std::to_string(result) + "\n"; }

std::string PlainAnswer(const Answer& answer) {
  if (answer.result != kOk) return Report(answer.result);
  std::string out;
  for (const auto& value : answer.values) out += value.second + "\n";
  if (answer.values.empty() || answer.reportAlways) out += Report(answer.result);
  return out;
}

std::string ExtendedAnswer(const CommandRow& row, const Arguments& arguments, const Answer& answer,
                           char separator) {
  // The VFO check answers with its labelled value alone, as clients expect.
  if (row.answer == CheckVfo) {
    const auto& [label, value] = answer.values.front();
    return label + ": " + value + "\n";
  }
  std::string out = std::string(row.longName) + ":";
  for (const auto& argument : arguments) out += " " + argument;
  out += separator;
  if (answer.result == kOk) {
    for (const auto& [label, value] : answer.values) {
      out += (label.empty() ? value : label + ": " + value) + separator;
    }
  }
  return out + Report(answer.result);
}

}  // namespace

bool RigctlLineQueuesSet(const std::string& line) {
  const std::string request = Trimmed(line);
  Arguments words = SplitWords(request.find_first_of("+;|,") == 0 ? request.substr(1) : request);
  if (words.empty()) return false;
  const CommandRow* row = FindCommand(words);
  return row && (row->answer == SetFrequency || row->answer == SetMode);
}

std::string AnswerRigctlLine(const std::string& line, bool& close) {
  std::string request = Trimmed(line);
  if (request.empty()) return {};
  char separator = 0;
  if (request.find_first_of("+;|,") == 0) {
    separator = request[0] == '+' ? '\n' : request[0];
    request = Trimmed(std::string_view(request).substr(1));
    if (request.empty()) return {};
  }
  Arguments words = SplitWords(request);
  const CommandRow* row = FindCommand(words);
  if (!row) return Report(kNotAvailable);
  const Answer answer = row->answer(words, request);
  close = answer.close;
  return separator == 0 ? PlainAnswer(answer) : ExtendedAnswer(*row, words, answer, separator);
}

}  // namespace kestrel
