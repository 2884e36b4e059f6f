#include <string>

#include "fakes/kestrel_test.h"
#include "link/link.h"
#include "link/port.h"
#include "runtime/files.h"
#include "state/link.h"
#include "state/speech.h"

namespace kestrel {
namespace {

class LinkTest : public fakes::KestrelTest {
 protected:
  void SetUp() override {
    KestrelTest::SetUp();
    line = &ConnectReceiver();
  }
  // Turns the trace on, as start-up does with the debug switch set.
  void StartTrace() {
    DebugFlag = 1;
    ASSERT_EQ(OpenFile(TraceFile, "debug1.dat", "W"), 0);
  }
  std::string Trace() {
    CloseFile(TraceFile);
    return ReadFile("debug1.dat");
  }
  fakes::FakeLine* line = nullptr;
};

TEST_F(LinkTest, SendCommandWritesTheTextWithCrAndKeepsTheCr) {
  StartTrace();
  CommandText = "LM";
  SendCommand();
  EXPECT_EQ(line->written, "LM\r");
  EXPECT_EQ(CommandText, "LM\r");
  EXPECT_EQ(Trace(), "TX= LM\r\n");
}

TEST_F(LinkTest, ACommandAtTheTextLimitStillEndsWithItsCr) {
  const std::string command(254, 'X');
  CommandText = command;
  SendCommand();
  EXPECT_EQ(line->written, command + "\r");
  EXPECT_EQ(CommandText.str(), command + "\r");
}

TEST_F(LinkTest, AnEmptyCommandIsNeitherSentNorTraced) {
  StartTrace();
  CommandText = "";
  SendCommand();
  EXPECT_EQ(line->written, "");
  EXPECT_EQ(Trace(), "");
}

TEST_F(LinkTest, ACommandToAClosedPortIsTracedButGoesNowhere) {
  StartTrace();
  PortNumber = 0;
  CommandText = "VA0145000000";
  SendCommand();
  EXPECT_EQ(line->written, "");
  EXPECT_EQ(Trace(), "TX= VA0145000000\r\n");
}

TEST_F(LinkTest, TheResumeByteGoesOutAloneAndUntraced) {
  StartTrace();
  SendResumeByte();
  EXPECT_EQ(line->written, std::string(1, '\x1e'));
  EXPECT_EQ(Trace(), "");
}

TEST_F(LinkTest, ReplyIsCutFromItsKeyword) {
  line->Feed("xyLM 087ab");
  ReadReply();
  EXPECT_EQ(ReplyText, "LM 087");
  EXPECT_EQ(MatchPosition, 3);
  EXPECT_EQ(BytesWaiting, 10);
}

TEST_F(LinkTest, KeywordsArePreferredInTheirOrderNotByPlace) {
  line->Feed("LM%012 LC087 MA05 RF0145500000 tail that is long");
  ReadReply();
  EXPECT_EQ(ReplyText, "LC087 MA05 RF0145500000 tail t");
  line->Feed("VS RF0145500000 ST012500 AU0");
  ReadReply();
  EXPECT_EQ(ReplyText, "VS RF0145500000 ST");
  line->Feed("MW A:50 a:50\r\nLM 000");
  ReadReply();
  EXPECT_EQ(ReplyText, "MW A:50 a:50\r");
  line->Feed("LM 0");
  ReadReply();
  EXPECT_EQ(ReplyText, "LM 0");
}

TEST_F(LinkTest, TextWithoutKeywordIsDropped) {
  line->Feed("?\r\n");
  ReadReply();
  EXPECT_EQ(ReplyText, "");
  EXPECT_EQ(line->incoming, "");
}

TEST_F(LinkTest, NothingWaitingReturnsAtOnceWithNothing) {
  DisplayLine = "Connecting";
  ReplyText = "old";
  ReadReply();
  EXPECT_EQ(ReplyText, "");
  EXPECT_TRUE(sound.played.empty());
  EXPECT_EQ(DisplayLine, "Connecting");
}

TEST_F(LinkTest, ASplitReplyIsSeenAsTwoTexts) {
  line->Feed("L");
  ReadReply();
  EXPECT_EQ(ReplyText, "");
  line->Feed("M 087\r\n");
  ReadReply();
  EXPECT_EQ(ReplyText, "");
}

TEST_F(LinkTest, MemoryListAnswerIsTracedWholeThenCut) {
  StartTrace();
  CommandText = "MAC";
  SendCommand();
  line->Feed("MXC00 MP0 RF0145500000 ST012500 AU0 MD1 AT0 TMTOWER\r\n");
  ReadReply();
  EXPECT_EQ(ReplyText, "MXC00 MP0 RF0145500000 ST012500 AU0 MD1 AT0 TMTOWER\r\n");
  EXPECT_EQ(Trace(),
            "TX= MAC\r\n"
            "RX= MXC00 MP0 RF0145500000 ST012500 AU0 MD1 AT0 TMTOWER\r\n\r\n"
            "RX= MXC00 MP0 RF0145500000 ST012500 AU0 MD1 AT0 TMTOWER\r\n\r\n");
}

TEST_F(LinkTest, MemoryListAnswerWithoutKeywordIsTracedAndDropped) {
  StartTrace();
  CommandText = "MAQ";
  line->Feed("?\r\n");
  ReadReply();
  EXPECT_EQ(ReplyText, "");
  EXPECT_EQ(Trace(), "RX= ?\r\n\r\n");
}

TEST_F(LinkTest, FirstReplyCompletesTheHandshakeOnce) {
  StartTrace();
  LinkState = kLinkConnecting;
  DisplayLine = "Connecting";
  line->Feed("LM%000\r\n");
  ReadReply();
  EXPECT_EQ(LinkState, kLinkAnswered);
  EXPECT_EQ(DisplayLine, ">");
  EXPECT_EQ(sound.Paths(), (std::vector<std::string>{"connected"}));
  line->Feed("LM 012\r\n");
  ReadReply();
  EXPECT_EQ(sound.played.size(), 1u);
  EXPECT_EQ(Trace(), "RX= LM%000\r\nRX= LM 012\r\n");
}

TEST_F(LinkTest, ConnectedIsSpokenFromTheVoiceFolder) {
  SpeechOn();
  DisplayLine = "Connecting";
  line->Feed("LM%000");
  ReadReply();
  EXPECT_EQ(sound.Paths(), (std::vector<std::string>{"wave\\connected"}));
}

TEST_F(LinkTest, ArbitraryBytesAreReadWithoutHarm) {
  std::string noise;
  for (int i = 0; i < 255; ++i) noise += static_cast<char>((i * 37) & 0xff);
  noise[100] = '\0';
  noise.replace(200, 6, "LM 123");
  line->Feed(noise + "more bytes than one read takes");
  ReadReply();
  EXPECT_EQ(BytesWaiting, 255);
  EXPECT_EQ(ReplyText, "LM 123");
  ReadReply();
  EXPECT_EQ(BytesWaiting, 30);
  EXPECT_EQ(ReplyText, "");
}

TEST_F(LinkTest, AVanishedDeviceReadsAsNothing) {
  line->Feed("LM 087");
  line->vanished = true;
  ReadReply();
  EXPECT_EQ(ReplyText, "");
  CommandText = "LM";
  SendCommand();
  EXPECT_EQ(line->written, "");
}

}  // namespace
}  // namespace kestrel
