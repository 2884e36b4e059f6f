// The command entry over any key sequence, with any receiver replies between the keys and
// timer ticks of the poller in between: from the state the panel has after start-up, every
// key is taken without a crash, hang or out-of-bounds access, the states stay within their
// ranges, the texts within their limits, the key queue within its 20 entries, no file is
// written outside the working folder and every bank the program saves is whole. The program
// is then shut down, which saves a running search.
//
// Input: one byte of settings (bit 0: trace on; bit 1: speech off), then records:
//   0xFF           one timer tick of the poller
//   0xFE n bytes   n bytes arrive from the receiver
//   0xFD code      a key pressed and released through the event handler (queued for ticks)
//   0xFC n bytes   bank02.dat now holds these n bytes (a bank edited by hand)
//   code           the key with its reply marker put into KeyQueue, and HandleKey run on
//                  the first queue entry; a marker left over is handled before the next
//                  key or tick, after the bytes that arrived in between
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>

#include "app/app.h"
#include "bank_checks.h"
#include "commands/commands.h"
#include "display/display.h"
#include "fakes/fake_clock.h"
#include "fakes/fake_serial.h"
#include "fakes/fake_sound.h"
#include "fakes/fake_window.h"
#include "fuzz_support.h"
#include "operator/hit_log.h"
#include "runtime/files.h"
#include "runtime/platform/clock.h"
#include "runtime/platform/serial_device.h"
#include "runtime/platform/sound_player.h"
#include "runtime/platform/window_system.h"
#include "runtime/window.h"
#include "state/app.h"
#include "state/banks.h"
#include "state/commands.h"
#include "state/controls.h"
#include "state/key_codes.h"
#include "state/link.h"
#include "state/speech.h"

namespace {

using namespace kestrel;

constexpr std::uint8_t kTick = 0xFF;
constexpr std::uint8_t kReply = 0xFE;
constexpr std::uint8_t kPressRelease = 0xFD;
constexpr std::uint8_t kBankFile = 0xFC;
constexpr const char* kEditedBank = "bank02.dat";
constexpr const char* kTraceName = "debug1.dat";

// Banks that stand in the working folder at start: a bank to browse, scan and write, and a
// search list.
std::map<std::string, std::string> WriteStartingBanks() {
  std::map<std::string, std::string> files = {
      {"bank01.dat",
       "bank01\r\nFM\r\n12.5\r\n \r\n145.5\r\nTOWER\r\n146.0\r\n "
       "\r\n430.0\r\nREPEATER\r\n9999\r\n"},
      {"bank00.dat", "Srchbank\r\nFM\r\n12.5\r\n \r\n145.25\r\n \r\n9999\r\n"},
  };
  for (const auto& [name, bytes] : files) fuzz::WriteWholeFile(name, bytes);
  return files;
}

// The panel as start-up leaves it, with the receiver on COM1 and answering.
void StartPanel(std::uint8_t settings, fakes::FakeWindowSystem& window) {
  window.Open(250, 100, 950, 500, "fuzz");
  MainWindow.open = true;
  MainWindow.handler = HandleWindowEvent;
  NameWindow(MainWindow);
  WaveFolder = (settings & 2) != 0 ? "" : "wave\\";
  SoundFolder = "wave\\";
  PortText = "COM1";
  BaudText = "9600";
  DebugFlag = (settings & 1) != 0 ? 1 : 0;
  if (DebugFlag == 1) FUZZ_CHECK(OpenFile(TraceFile, kTraceName, "W") == 0);
  InitialiseReceiver();
  LinkState = kLinkAnswered;
  RunFlag = 1;
}

void Dispatch(int message, int code) {
  EventMessage = message;
  EventCode = code;
  EventData = 0;
  HandleWindowEvent();
}

// The reply markers left in the queue by the keys before.
void HandleQueuedEntries() {
  while (KeyQueueCount > 0 && RunFlag != 0) HandleKey();
}

void PutKeyIntoQueue(int code) {
  HandleQueuedEntries();
  if (RunFlag == 0) return;
  KeyQueue[KeyQueueCount++] = code;
  KeyQueue[KeyQueueCount++] = keys::kReplyMarker;
  HandleKey();
}

bool InRange(int value, int low, int high) { return value >= low && value <= high; }

void CheckState() {
  FUZZ_CHECK(InRange(KeyQueueCount, 0, kKeyQueueSize));
  FUZZ_CHECK(InRange(PendingCommand, kNothingPending, kPendingTest));
  FUZZ_CHECK(InRange(PollState, kServeKeys, kShowScanFrequency));
  FUZZ_CHECK(InRange(ListState, kNoList, kListScanHeld));
  FUZZ_CHECK(InRange(MemoryScanState, kNoMemoryScan, kMemoryScanStopped));
  FUZZ_CHECK(InRange(SearchActive, kNoSearch, kSearchHalted));
  FUZZ_CHECK(InRange(FoundCount, 0, 91));
  FUZZ_CHECK(InRange(PassCount, 1, kPassListSize));
  if (ListState != kNoList) FUZZ_CHECK(InRange(ListIndex, 0, kListSize - 2));
  for (const Text* text :
       {&FrequencyText, &SpokenText, &StepText, &ArgumentText, &ModeText, &SearchStartText,
        &SearchEndText, &CommandText, &LogLine, &DisplayLine, &BankFileName, &LastScanBank}) {
    FUZZ_CHECK(text->size() <= kTextLimit);
  }
  FUZZ_CHECK(ReplyText.size() <= kTextLimit + 1);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  fuzz::ScratchFolder& folder = fuzz::FreshScratchFolder();
  ResetProgramState();
  fakes::FakeSerialPorts ports;
  fakes::FakeSoundPlayer sound;
  fakes::FakeWindowSystem window;
  fakes::FakeClock clock;
  platform::InstallSerialPorts(&ports);
  platform::InstallSoundPlayer(&sound);
  platform::InstallWindowSystem(&window);
  platform::InstallClock(&clock);
  fakes::FakeLine& line = ports.Add("COM1");
  std::map<std::string, std::string> given = WriteStartingBanks();
  StartPanel(data[0], window);

  for (std::size_t at = 1; at < size && RunFlag != 0;) {
    const std::uint8_t record = data[at++];
    if (record == kTick) {
      HandleQueuedEntries();
      if (RunFlag != 0) Dispatch(platform::kEventTimer, 1);
    } else if (record == kReply || record == kBankFile) {
      const std::size_t wanted = at < size ? data[at++] : 0;
      const std::size_t length = std::min(wanted, size - at);
      const std::string bytes(reinterpret_cast<const char*>(data + at), length);
      at += length;
      if (record == kReply) {
        line.Feed(bytes);
      } else {
        fuzz::WriteWholeFile(kEditedBank, bytes);
        given[kEditedBank] = bytes;
      }
    } else if (record == kPressRelease) {
      if (at < size) Dispatch(platform::kEventKeyDown, data[at++]);
      Dispatch(platform::kEventKeyUp, 0);
    } else {
      PutKeyIntoQueue(record);
    }
    CheckState();
    fuzz::CheckFolder(folder, given, {kTraceName, hit_log::kFileName});
    line.TakeWritten();
    sound.Clear();
    window.drawn.clear();
  }
  ShutDown();
  fuzz::CheckFolder(folder, given, {kTraceName, hit_log::kFileName});
  ResetProgramState();
  platform::InstallSerialPorts(nullptr);
  platform::InstallSoundPlayer(nullptr);
  platform::InstallWindowSystem(nullptr);
  platform::InstallClock(nullptr);
  return 0;
}
