#include "options.h"

#include <functional>
#include <limits>

#include "frequency.h"

namespace kestrel::sim {
namespace {

// How an option takes its value: a flag takes none.
struct OptionEntry {
  const char* name;
  bool takesValue;
  std::function<bool(SimOptions&, const std::string&)> apply;
};

// A number of milliseconds (or any count) given as plain digits.
bool Number(const std::string& text, std::int64_t& value, std::int64_t lowest) {
  const auto number = ParseDigits(text);
  if (!number || *number < lowest || *number > std::numeric_limits<int>::max()) return false;
  value = *number;
  return true;
}

template <typename Field>
std::function<bool(SimOptions&, const std::string&)> NumberInto(Field field,
                                                                std::int64_t lowest = 0) {
  return [field, lowest](SimOptions& options, const std::string& text) {
    std::int64_t value = 0;
    if (!Number(text, value, lowest)) return false;
    field(options) = static_cast<std::remove_reference_t<decltype(field(options))>>(value);
    return true;
  };
}

std::function<bool(SimOptions&, const std::string&)> TextInto(std::string SimOptions::*field) {
  return [field](SimOptions& options, const std::string& text) {
    if (text.empty()) return false;
    options.*field = text;
    return true;
  };
}

std::function<bool(SimOptions&, const std::string&)> Flag(std::function<void(SimOptions&)> set) {
  return [set](SimOptions& options, const std::string&) {
    set(options);
    return true;
  };
}

const std::vector<OptionEntry>& OptionTable() {
  static const std::vector<OptionEntry> table = {
      {"--link", true, TextInto(&SimOptions::link)},
      {"--scenario", true, TextInto(&SimOptions::scenarioPath)},
      {"--memory-in", true, TextInto(&SimOptions::memoryIn)},
      {"--memory-out", true, TextInto(&SimOptions::memoryOut)},
      {"--log", true, TextInto(&SimOptions::logPath)},
      {"--squelch", true, NumberInto([](SimOptions& o) -> int& { return o.receiver.squelch; })},
      {"--width", true, NumberInto([](SimOptions& o) -> int& { return o.receiver.widthHz; })},
      {"--search-step", true,
       NumberInto([](SimOptions& o) -> Millis& { return o.receiver.searchStepMs; }, 1)},
      {"--scan-channel", true,
       NumberInto([](SimOptions& o) -> Millis& { return o.receiver.scanChannelMs; }, 1)},
      {"--resume-after", true,
       NumberInto([](SimOptions& o) -> Millis& { return o.receiver.resumeAfterMs; })},
      {"--pause", true, NumberInto([](SimOptions& o) -> Millis& { return o.receiver.pauseMs; })},
      {"--split-delay", true,
       NumberInto([](SimOptions& o) -> Millis& { return o.receiver.splitDelayMs; })},
      {"--up-answers", false, Flag([](SimOptions& o) { o.receiver.upAnswers = true; })},
      {"--cr", false, Flag([](SimOptions& o) { o.receiver.lineEnd = "\r"; })},
      {"--silent", false, Flag([](SimOptions& o) { o.silent = true; })},
      {"--reply-delay", true,
       NumberInto([](SimOptions& o) -> Millis& { return o.output.replyDelayMs; })},
      {"--split", false, Flag([](SimOptions& o) { o.output.split = true; })},
      {"--split-gap", true,
       NumberInto([](SimOptions& o) -> Millis& { return o.output.splitGapMs; })},
      {"--noise", false, Flag([](SimOptions& o) { o.output.noise = true; })},
      {"--seed", true, NumberInto([](SimOptions& o) -> unsigned& { return o.output.seed; })},
      {"--hangup-after", true,
       NumberInto([](SimOptions& o) -> Millis& { return o.hangupAfterMs; })},
      {"--exit-after", true, NumberInto([](SimOptions& o) -> Millis& { return o.exitAfterMs; })},
      {"--help", false, Flag([](SimOptions& o) { o.help = true; })},
      {"--version", false, Flag([](SimOptions& o) { o.version = true; })},
  };
  return table;
}

}  // namespace

bool ParseOptions(const std::vector<std::string>& arguments, SimOptions& options,
                  std::string& error) {
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    std::string name = arguments[i];
    std::optional<std::string> value;
    if (const auto equals = name.find('='); equals != std::string::npos) {
      value = name.substr(equals + 1);
      name = name.substr(0, equals);
    }
    const OptionEntry* entry = nullptr;
    for (const auto& candidate : OptionTable()) {
      if (name == candidate.name) entry = &candidate;
    }
    if (!entry) {
      error = "unknown option " + arguments[i] + " (see --help)";
      return false;
    }
    if (entry->takesValue && !value) {
      if (i + 1 >= arguments.size()) {
        error = name + " needs a value";
        return false;
      }
      value = arguments[++i];
    }
    if ((!entry->takesValue && value) || !entry->apply(options, value.value_or(""))) {
      error = "bad value for " + name + " (see --help)";
      return false;
    }
  }
  if (options.receiver.squelch > 256) {
    error = "--squelch takes 0 to 256";
    return false;
  }
  return true;
}

const char* const kHelpText = R"(receiver-sim: a simulated AR8600 receiver on a pseudo-terminal.

It makes a symbolic link to the pseudo-terminal (default ./COM1), prints the terminal's
name on one line, and answers there like the receiver until SIGTERM, SIGINT or --exit-after.
The panel opens the link as its serial port; it may close and open it again.
It only stands in for the receiver: never aim the tests or the demo made for it at a real
receiver (by linking COM1 to a real serial port): some commands they send erase memory
channels on the real set.

Options (times in milliseconds; --name VALUE or --name=VALUE):
  --link PATH          link to make to the terminal (default COM1, in the working folder);
                       removed at exit
  --scenario FILE      signals on the air (format below); none by default
  --squelch N          squelch threshold 0-256 (default 40): open when a signal at the
                       tuned frequency has at least this level
  --width HZ           a signal is heard within HZ/2 of the tuned frequency (default 0:
                       only exactly on it)
  --memory-in FILE     memory channels to start with (format below)
  --memory-out FILE    memory channels written here at exit
  --log FILE           command log (format below)
  --cr                 replies end with CR alone (default CR LF)
  --search-step MS     the search moves one step every MS (default 50)
  --scan-channel MS    the memory scan stays MS on each channel (default 100)
  --resume-after MS    a halted search or scan goes on MS after its signal has gone
                       (default 2000)
  --pause MS           a halted search or scan goes on after MS even while the signal is
                       still there (default 0: no pause)
  --split-delay MS     "MW" with a bank split answers after MS (default 1500)
  --up-answers         the up byte 0x1E answers a line end (default: nothing)
Faults for tests:
  --silent             never answer (a switched-off set); commands are still logged
  --reply-delay MS     answer MS late
  --split              send each reply in two writes, --split-gap MS apart (default 20)
  --noise              write 1-4 random bytes (never upper-case letters) before each reply
  --seed N             seed of the noise (default 1)
  --hangup-after MS    after MS close the terminal and remove the link; then serve no
                       more, but run until SIGTERM, SIGINT or --exit-after
  --exit-after MS      end by itself after MS
  --help               this text
  --version            the version

Scenario file: one signal per line, fields separated by blanks, # starts a comment:
  FREQUENCY LEVEL [ON OFF]
  FREQUENCY  MHz with a point (145.5000) or Hz as digits (145500000)
  LEVEL      0-255
  ON OFF     on from ON ms after start until OFF ms ("-": to the end); both left out:
             always on. Example:  145.5000 120 0 -   and   446.00625 90 5000 9000
  Where several signals are heard, the strongest counts.

Memory file: one channel per line, as the "MA" command lists it, and optionally a bank
split line as "MW" answers it (before the channels of that pair); # starts a comment line:
  MW A:90 a:10
  MXA05 MP0 RF0145500000 ST012500 AU0 MD1 AT0 TMtext
  Fields: MP pass flag 0/1, RF frequency as ten digits in Hz, ST step as six digits in Hz
  (or kHz with a point), AU auto mode 0/1, MD mode 0-8 (no digit: unchanged), AT
  attenuator 0/1, TM text (last, up to 12 characters, blanks included). Only RF is
  needed; "MXA05 ---" leaves the channel empty.
  --memory-out writes this layout: the splits that differ from 50/50, then every channel
  that holds a frequency.

Command log: one line per command received, LF-terminated:
  MS<TAB>TEXT   MS = milliseconds since start, TEXT = the command without its CR, escaped
                as in the journal: \t \r \n \\ and \xHH for other control and non-ASCII
                bytes. The up byte is logged as \x1e (with or without a CR after it); a
                bare CR as an empty TEXT; an over-long line by its first 256 bytes.
  and one line for what the panel does to the line itself:
  MS<TAB>SETTINGS 9600 8N2   speed and shape (data bits, parity N/O/E, stop bits), at
                             start and whenever the panel changes them
  MS<TAB>PORT OPENED / MS<TAB>PORT CLOSED   the panel opened or closed the terminal
  MS<TAB>HANGUP              --hangup-after struck
  MS<TAB>TERMINAL /dev/pts/N a panel was killed and left the terminal exclusive, where
                             only root could open it again: a fresh terminal now stands
                             behind the link

Exit status: 0 after a normal end, 2 for bad options or files, 1 when the terminal
cannot be made.
)";

}  // namespace kestrel::sim
