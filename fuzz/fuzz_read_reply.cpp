// The reply reader over any bytes from the receiver, arriving in pieces of any size. Each
// ReadReply must take at most 255 bytes and cut out the first keyword by the order of
// preference, or give "" when there is none; the trace gets exactly the "RX= " lines of the
// texts accepted (and of the whole text after a memory listing); the handshake completes on
// the first text traced and says "connected" once.
//
// Input: one byte of settings (bit 7: trace on; the rest picks the command sent before),
// then pieces, each a header byte and up to 127 bytes: the low 7 bits of the header give the
// length, bit 7 holds the piece back so that the next one arrives before the line is read.
// Whatever still waits at the end is read until the line is empty.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fakes/fake_serial.h"
#include "fakes/fake_sound.h"
#include "fuzz_support.h"
#include "link/link.h"
#include "link/port.h"
#include "runtime/files.h"
#include "runtime/platform/serial_device.h"
#include "runtime/platform/sound_player.h"
#include "runtime/text.h"
#include "state/app.h"
#include "state/link.h"
#include "state/speech.h"

namespace {

using namespace kestrel;

struct Keyword {
  std::string_view text;
  std::size_t kept;
};

// The keywords in their order of preference; the memory listing is traced whole between
// the first two and the rest.
constexpr Keyword kKeywords[] = {{"LC", 30}, {"MW", 13}, {"MX", 60}, {"VS", 18}, {"LM", 6}};
constexpr std::size_t kKeywordsBeforeListing = 2;
constexpr std::size_t kReadMax = 255;

// Commands the reply may follow, as SendCommand leaves them (with their CR) and otherwise.
constexpr const char* kCommands[] = {"MA\r", "MA", "LM\r", "VS\r", "M", "", "MX\r", "MAA01\r"};

// What one ReadReply must give for the bytes it read; adds the lines it must trace.
std::string ExpectedReply(const std::string& read, bool afterListing, std::string& trace) {
  const auto traced = [&trace](const std::string& text) {
    trace += std::string(std::string_view("RX= " + text).substr(0, kTextLimit)) + "\r\n";
  };
  for (std::size_t k = 0; k < std::size(kKeywords); ++k) {
    if (k == kKeywordsBeforeListing && afterListing) traced(read);
    const std::size_t at = read.find(kKeywords[k].text);
    if (at == std::string::npos) continue;
    const std::string cut = read.substr(at, kKeywords[k].kept);
    traced(cut);
    return cut;
  }
  return "";
}

bool StartsWithKeyword(const Text& reply) {
  for (const Keyword& keyword : kKeywords) {
    if (reply.str().rfind(keyword.text, 0) == 0) return reply.size() <= keyword.kept;
  }
  return false;
}

// One ReadReply of what waits on the line, held to what it must give.
void ReadAndCheck(fakes::FakeLine& line, bool afterListing, std::string& expectedTrace) {
  const std::string waiting = line.incoming;
  const std::string read = waiting.substr(0, kReadMax);
  // With nothing waiting nothing is read, and nothing traced.
  const std::string expected =
      read.empty() ? std::string() : ExpectedReply(read, afterListing, expectedTrace);

  ReadReply();

  FUZZ_CHECK(line.incoming == waiting.substr(read.size()));
  FUZZ_CHECK(BytesWaiting == static_cast<int>(read.size()));
  FUZZ_CHECK(ReplyText.empty() || StartsWithKeyword(ReplyText));
  FUZZ_CHECK(ReplyText.str() == expected);
  if (!ReplyText.empty()) {
    FUZZ_CHECK(read.compare(MatchPosition - 1, ReplyText.size(), ReplyText.str()) == 0);
  }
  // The handshake completes with the first text traced, and only then.
  FUZZ_CHECK((LinkState == kLinkAnswered) == !expectedTrace.empty());
  FUZZ_CHECK((DisplayLine == ">") == !expectedTrace.empty());
}

void ConnectFakeReceiver(fakes::FakeSerialPorts& ports) {
  ports.Add("COM1");
  PortNumber = 1;
  FUZZ_CHECK(OpenPort(1, 9600) == 1);
  SetReadTimeouts(1, -1);
  SetLineShape(1, 8, 0, 2);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  fuzz::FreshScratchFolder();
  ResetProgramState();
  fakes::FakeSerialPorts ports;
  fakes::FakeSoundPlayer sound;
  platform::InstallSerialPorts(&ports);
  platform::InstallSoundPlayer(&sound);
  ConnectFakeReceiver(ports);
  fakes::FakeLine& line = ports.Line("COM1");
  WaveFolder = "wave\\";
  DisplayLine = "Connecting";
  LinkState = kLinkConnecting;

  const std::uint8_t settings = data[0];
  CommandText = kCommands[(settings & 0x7f) % std::size(kCommands)];
  const bool afterListing = Left(CommandText.str(), 2) == "MA";
  DebugFlag = (settings & 0x80) != 0 ? 1 : 0;
  if (DebugFlag == 1) FUZZ_CHECK(OpenFile(TraceFile, "debug1.dat", "W") == 0);

  std::string expectedTrace;
  for (std::size_t at = 1; at < size;) {
    const std::uint8_t header = data[at++];
    const std::size_t length = std::min<std::size_t>(header & 0x7f, size - at);
    line.Feed(std::string(reinterpret_cast<const char*>(data + at), length));
    at += length;
    if ((header & 0x80) == 0) ReadAndCheck(line, afterListing, expectedTrace);
  }
  while (!line.incoming.empty()) ReadAndCheck(line, afterListing, expectedTrace);

  FUZZ_CHECK(line.written.empty());
  int connected = 0;
  for (const std::string& path : sound.Paths()) connected += path == "wave\\connected";
  FUZZ_CHECK(connected == (expectedTrace.empty() ? 0 : 1));
  if (DebugFlag == 1) {
    CloseFile(TraceFile);
    FUZZ_CHECK(fuzz::ReadWholeFile("debug1.dat") == expectedTrace);
  }
  ResetProgramState();
  platform::InstallSerialPorts(nullptr);
  platform::InstallSoundPlayer(nullptr);
  return 0;
}
