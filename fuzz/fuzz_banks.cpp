// The bank file loader and every bank operation over any bank files and any typed argument.
// A load keeps every line up to the end marker (placing one when the file has none), a save
// gives that table back on the next load, every bank the program writes ends with its end
// marker and holds nothing after it, no file is written outside the working folder, and the
// table is never read beyond its elements (AddressSanitizer guards the arrays).
//
// Input: one byte of settings (bits 0-2 pick the mode, bits 3-4 the operation to begin the
// round with), the typed argument up to the first LF, the tuned frequency up to the next LF,
// then the bank file; after a NUL byte, a second bank file, the source of a transfer.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "bank_checks.h"
#include "banks/bank_names.h"
#include "banks/banks.h"
#include "fakes/fake_serial.h"
#include "fakes/fake_sound.h"
#include "fuzz_support.h"
#include "link/port.h"
#include "runtime/platform/serial_device.h"
#include "runtime/platform/sound_player.h"
#include "state/app.h"
#include "state/banks.h"
#include "state/commands.h"
#include "state/controls.h"
#include "state/link.h"
#include "state/speech.h"

namespace {

using namespace kestrel;

constexpr const char* kModes[] = {"FM", "AM", "WFM", "USB", "LSB", "CW ", "AUT", "CW"};
constexpr void (*kOperations[])() = {PutFrequency, TransferBank, SortBankFile, WriteBankToReceiver};
constexpr std::size_t kMostChannels = 91;
constexpr const char* kLoadedBank = "bankload.dat";

struct Input {
  std::uint8_t settings = 0;
  std::string argument;
  std::string frequency;
  std::string bank;    // the bank the operations work on
  std::string source;  // the bank a transfer copies
};

// Cuts the next field, up to the separator, off the front of rest.
std::string TakeField(std::string_view& rest, char separator) {
  const std::size_t end = rest.find(separator);
  const std::string field(rest.substr(0, end));
  rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
  return field;
}

// Keys give no line ends, so neither a typed argument nor a tuned frequency holds one.
std::string WithoutCr(std::string text) {
  std::erase(text, '\r');
  return text;
}

Input ParseInput(const std::uint8_t* data, std::size_t size) {
  Input input;
  if (size == 0) return input;
  input.settings = data[0];
  std::string_view rest(reinterpret_cast<const char*>(data) + 1, size - 1);
  input.argument = WithoutCr(TakeField(rest, '\n'));
  input.frequency = WithoutCr(TakeField(rest, '\n'));
  input.bank = TakeField(rest, '\0');
  input.source = std::string(rest);
  return input;
}

// A name the harness may write in the working folder: no folder part, no NUL, not too long.
bool IsPlainName(const std::string& name) {
  return name.size() < 200 && name.find_first_of(std::string("/\0", 2)) == std::string::npos;
}

// Writes the banks under every name the operations may read them from; returns what was
// written, by name.
std::map<std::string, std::string> WriteBanks(const Input& input) {
  const std::string argument = Text(input.argument).str();
  const bool fourCharacters = Length(argument) == 4;
  const std::string source = fourCharacters ? Left(argument, 2) : "00";
  const std::string target = fourCharacters ? Mid(argument, 3, 2) : Left(argument, 2);
  std::map<std::string, std::string> files;
  files[BankFileNameOf(source)] = input.source;
  for (const std::string& key : {target, argument, Left(argument, 2)}) {
    files[BankFileNameOf(key)] = input.bank;
  }
  files[kLoadedBank] = input.bank;
  for (auto it = files.begin(); it != files.end();) {
    if (!IsPlainName(it->first)) {
      it = files.erase(it);
      continue;
    }
    fuzz::WriteWholeFile(it->first, it->second);
    ++it;
  }
  return files;
}

// Loads the bank, checks it holds the file's lines up to its end marker, saves it and loads
// it again: the same table.
void CheckLoadAndSave(const std::string& bytes) {
  BankFileName = kLoadedBank;
  FUZZ_CHECK(LoadBankFile() == 0);
  fuzz::CheckTable();
  const std::vector<std::string> lines = fuzz::SplitLines(bytes);
  for (int i = 0; i < ListLast + 2 && i < kListFileLines; ++i) {
    const std::string expected = static_cast<std::size_t>(i) < lines.size() ? lines[i] : "";
    FUZZ_CHECK(ListLines[i].str() == expected);
  }
  std::vector<std::string> loaded;
  for (const Text& line : ListLines) loaded.push_back(line.str());
  const int last = ListLast;
  SaveBankFile();
  fuzz::CheckSavedBank(kLoadedBank, fuzz::ReadWholeFile(kLoadedBank));
  FUZZ_CHECK(LoadBankFile() == 0);
  FUZZ_CHECK(ListLast == last);
  for (int i = 0; i < kListSize; ++i) FUZZ_CHECK(ListLines[i].str() == loaded[i]);
}

// The bank's erase first, then one memory write per channel at most, in printable text,
// then at most the level request that asks whether the receiver is still there.
void CheckMemoryWrites(fakes::FakeLine& line) {
  std::vector<std::string> commands = fuzz::SplitLines(line.TakeWritten(), std::string::npos);
  if (commands.empty()) return;
  // The bank letter is the argument's third character (none in a short argument).
  const std::string& erase = commands.front();
  FUZZ_CHECK(erase.size() <= 5 && erase.rfind("MQ", 0) == 0 && erase.ends_with("%%"));
  commands.erase(commands.begin());
  if (!commands.empty() && commands.back() == "LM") commands.pop_back();
  FUZZ_CHECK(commands.size() <= kMostChannels);
  for (const std::string& command : commands) {
    FUZZ_CHECK(command.rfind("MX", 0) == 0);
    // After "MX" and the bank letter, which come from the typed argument, all is printable.
    FUZZ_CHECK(command.size() > 3 && std::all_of(command.begin() + 3, command.end(),
                                                 [](char c) { return c >= ' ' && c <= '~'; }));
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const Input input = ParseInput(data, size);
  fuzz::ScratchFolder& folder = fuzz::FreshScratchFolder();
  ResetProgramState();
  fakes::FakeSerialPorts ports;
  fakes::FakeSoundPlayer sound;
  platform::InstallSerialPorts(&ports);
  platform::InstallSoundPlayer(&sound);
  fakes::FakeLine& line = ports.Add("COM1");
  // The receiver answers the level request that ends a memory write at once.
  line.onWrite = [](fakes::FakeLine& self, const std::string& block) {
    if (block == "LM\r") self.Feed("LM 000\r\n");
  };
  PortNumber = 1;
  FUZZ_CHECK(OpenPort(1, 9600) == 1);
  WaveFolder = SoundFolder = "wave\\";
  ModeText = kModes[input.settings & 7];
  StepText = "12.5";
  FrequencyText = input.frequency;
  ArgumentText = input.argument;

  const std::map<std::string, std::string> given = WriteBanks(input);
  CheckLoadAndSave(input.bank);
  fuzz::CheckFolder(folder, given);
  const std::size_t first = (input.settings >> 3) & 3;
  for (std::size_t n = 0; n < std::size(kOperations); ++n) {
    kOperations[(first + n) % std::size(kOperations)]();
    fuzz::CheckTable();
    fuzz::CheckFolder(folder, given);
    CheckMemoryWrites(line);
  }
  ResetProgramState();
  platform::InstallSerialPorts(nullptr);
  platform::InstallSoundPlayer(nullptr);
  return 0;
}
