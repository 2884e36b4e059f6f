#include <gtest/gtest.h>

#include "polling_fixture.h"
#include "rigctl/rigctl.h"
#include "rigctl/rigctl_internal.h"
#include "state/app.h"
#include "state/banks.h"
#include "state/commands.h"
#include "state/controls.h"
#include "state/rigctl.h"

namespace kestrel {
namespace {

constexpr int kKeypad1 = 97;  // means nothing to the command entry

std::string Ask(const std::string& line) {
  bool close = false;
  return AnswerRigctlLine(line, close);
}

class RigctlTest : public PollingTest {
 protected:
  void SetUp() override {
    PollingTest::SetUp();
    FrequencyEntryFresh = 1;  // as after start-up: no entry under way
  }
};

TEST_F(RigctlTest, ReadCommandsAnswerFromWhatThePanelKnowsInPlainAndExtendedForm) {
  FrequencyText = "145.0125";
  ModeText = "CW ";
  LevelReading = 120;
  EXPECT_EQ(Ask("f"), "145012500\n");
  EXPECT_EQ(Ask("\\get_freq\r"), "145012500\n");
  EXPECT_EQ(Ask("+f"), "get_freq:\nFrequency: 145012500\nRPRT 0\n");
  EXPECT_EQ(Ask("m"), "CW\n3000\n");
  EXPECT_EQ(Ask("|m"), "get_mode:|Mode: CW|Passband: 3000|RPRT 0\n");
  EXPECT_EQ(Ask("l STRENGTH"), "6\n");
  EXPECT_EQ(Ask("+l RAWSTR"), "get_level: RAWSTR\n120\nRPRT 0\n");
  EXPECT_EQ(Ask("v"), "VFOA\n");
  EXPECT_EQ(Ask("s"), "0\nVFOA\n");
  EXPECT_EQ(Ask("\\chk_vfo"), "0\n");
  EXPECT_EQ(Ask("+\\chk_vfo"), "ChkVFO: 0\n");
  EXPECT_EQ(Ask("\\get_powerstat"), "1\n");
  EXPECT_EQ(Ask("\\get_lock_mode"), "0\nRPRT 0\n");
  EXPECT_EQ(Ask("V VFOA"), "RPRT 0\n");
  EXPECT_EQ(Ask("\\get_dcd"), "0\n");
  LevelPoll("LM 087");
  EXPECT_EQ(Ask("+\\get_dcd"), "get_dcd:\nDCD: 1\nRPRT 0\n");
  LevelPoll("LM%012");
  EXPECT_EQ(Ask("\\get_dcd VFOA"), "0\n");
  LevelReading = 0;
  EXPECT_EQ(Ask("l STRENGTH"), "-54\n");
  ModeText = "AUT";  // the receiver picks the mode: none to tell
  EXPECT_EQ(Ask("m"), "None\n0\n");
}

TEST_F(RigctlTest, UnknownCommandsAndMalformedArgumentsAreReportedAndChangeNothing) {
  EXPECT_EQ(Ask("xyz"), "RPRT -11\n");
  EXPECT_EQ(Ask("\\set_ptt 1"), "RPRT -11\n");
  EXPECT_EQ(Ask("l AF"), "RPRT -11\n");
  EXPECT_EQ(Ask("l"), "RPRT -1\n");
  EXPECT_EQ(Ask("F"), "RPRT -1\n");
  EXPECT_EQ(Ask("F abc"), "RPRT -1\n");
  EXPECT_EQ(Ask("F 145e"), "RPRT -1\n");
  EXPECT_EQ(Ask("F 99999.9"), "RPRT -1\n");       // below the receiver's range
  EXPECT_EQ(Ask("F 2040000000.1"), "RPRT -1\n");  // above it
  EXPECT_EQ(Ask("F 2500000000"), "RPRT -1\n");
  EXPECT_EQ(Ask("+F abc"), "set_freq: abc\nRPRT -1\n");
  EXPECT_EQ(Ask("M XX 0"), "RPRT -1\n");
  EXPECT_EQ(Ask("M FM"), "RPRT -1\n");
  EXPECT_EQ(Ask("V VFOB"), "RPRT -1\n");
  EXPECT_EQ(Ask("   "), "");
  EXPECT_TRUE(RemoteSets.empty());
  bool close = false;
  EXPECT_EQ(AnswerRigctlLine("q", close), "RPRT 0\n");
  EXPECT_TRUE(close);
}

TEST_F(RigctlTest, RemoteSetsGoOutAfterTheKeysOnePerTickUnspokenAndShown) {
  Press(kKeypad1);
  Release(kKeypad1);
  EXPECT_EQ(Ask("F 145500000.000000"), "RPRT 0\n");
  EXPECT_EQ(Ask("+M USB 0"), "set_mode: USB 0\nRPRT 0\n");
  EXPECT_EQ(Ask("f"), "145500000\n");  // what the receiver is about to have
  EXPECT_EQ(Ask("m"), "USB\n3000\n");
  Forget();

  Tick();  // the key
  Tick();  // its answer
  EXPECT_EQ(line->TakeWritten(), "");
  Tick();
  EXPECT_EQ(line->TakeWritten(), "VA0145.50000\r");
  EXPECT_EQ(FrequencyText, "145.5");
  EXPECT_EQ(DrawnAt(300, 150).back(), "145.5");
  Tick();  // its answer is read
  Tick();
  EXPECT_EQ(line->TakeWritten(), "MD3\r");
  EXPECT_EQ(ModeText, "USB");
  EXPECT_EQ(DrawnAt(380, 80), (std::vector<std::string>{"USB" + Spaces(6)}));
  Tick();
  Tick();
  Tick();
  EXPECT_EQ(line->TakeWritten(), "LM\r");
  EXPECT_TRUE(sound.played.empty());
  EXPECT_EQ(Ask("F 145600000"), "RPRT 0\n");
  EXPECT_EQ(Ask("F 145700000"), "RPRT 0\n");  // replaces the one still waiting
  EXPECT_EQ(RemoteSets.size(), 1u);
}

TEST_F(RigctlTest, SetsGoToTheNearest50HzWithinTheReceiversRange) {
  const std::pair<const char*, const char*> sets[] = {
      {"100000", "100000"},         {"2040000000", "2040000000"}, {"145500055", "145500050"},
      {"145500024.9", "145500000"}, {"145500025", "145500050"},   {"1.4550001e8", "145500000"}};
  for (const auto& [set, read] : sets) {
    EXPECT_EQ(Ask(std::string("F ") + set), "RPRT 0\n") << set;
    EXPECT_EQ(Ask("f"), std::string(read) + "\n") << set;
  }
  Tick();
  EXPECT_EQ(line->TakeWritten(), "VA0145.50000\r");
  EXPECT_EQ(Ask("F 145500055"), "RPRT 0\n");
  Tick();
  Tick();
  EXPECT_EQ(line->TakeWritten(), "VA0145.50005\r");  // five decimals: the receiver's own form
  EXPECT_EQ(Ask("f"), "145500050\n");
}

TEST_F(RigctlTest, SetsAreRefusedWhileTheOperatorScansAndWaitWhileHeTypes) {
  const auto refused = [this] {
    EXPECT_EQ(Ask("F 145500000"), "RPRT -9\n");
    EXPECT_EQ(Ask("M AM 0"), "RPRT -9\n");
  };
  SearchActive = kSearchHalted;
  refused();
  SearchActive = kNoSearch;
  MemoryScanState = kMemoryScanReported;
  refused();
  MemoryScanState = kNoMemoryScan;
  ListState = kListScanStarted;
  refused();
  ListState = kNoList;
  EXPECT_TRUE(RemoteSets.empty());

  ListState = kListBrowsing;  // a bank browsed, not scanned: the set is taken
  FrequencyEntryFresh = 0;    // digits typed, Enter not yet pressed
  EXPECT_EQ(Ask("F 145500000"), "RPRT 0\n");
  LevelPoll("LM 000\r\n");
  EXPECT_EQ(line->TakeWritten(), "LM\r");
  FrequencyEntryFresh = 1;
  SearchActive = kSearchRunning;  // a search began before the set's turn came: the set is dropped
  Tick();
  EXPECT_TRUE(RemoteSets.empty());
  Tick();
  EXPECT_EQ(line->TakeWritten(), "LM\r");
}

TEST_F(RigctlTest, ASetWaitsWhileACommandWaitsForItsArgument) {
  PendingCommand = kPendingIncr;  // the step asked for, its digits not yet typed
  EXPECT_EQ(Ask("F 145600000"), "RPRT 0\n");
  LevelPoll("LM 000\r\n");
  EXPECT_EQ(line->TakeWritten(), "LM\r");
  EXPECT_EQ(RemoteSets.size(), 1u);
  PendingCommand = kNothingPending;
  Tick();
  EXPECT_EQ(line->TakeWritten(), "VA0145.60000\r");
}

TEST_F(RigctlTest, ASetWaitsUntilTheReceiverHasAnswered) {
  LinkState = kLinkConnecting;  // as at start-up
  DisplayLine = "Connecting";
  EXPECT_EQ(Ask("F 145600000"), "RPRT 0\n");
  LevelPoll("LM 000\r\n");  // its first answer
  EXPECT_EQ(line->TakeWritten(), "LM\r");
  Tick();
  EXPECT_EQ(line->TakeWritten(), "VA0145.60000\r");
}

// While a word is heard only the lines that queue nothing are answered.
TEST(RigctlLines, OnlyFrequencyAndModeSetsWaitForTheirTurn) {
  for (const char* set :
       {"F 145500000", "F145500000", "+\\set_freq 1", "M FM 0", ";\\set_mode AM 0"}) {
    EXPECT_TRUE(RigctlLineQueuesSet(set)) << set;
  }
  for (const char* other : {"f", "m", "l STRENGTH", "v", "\\dump_state", "V VFOA", "q", "", "?"}) {
    EXPECT_FALSE(RigctlLineQueuesSet(other)) << other;
  }
}

TEST(RigctlFrequencyText, HertzTakeThePanelsMegahertzFormAndBack) {
  EXPECT_EQ(rigctl::HzToMegahertzText(145000000), "145.0");
  EXPECT_EQ(rigctl::HzToMegahertzText(500000), "0.5");
  EXPECT_EQ(rigctl::HzToMegahertzText(2999999950), "2999.99995");
  EXPECT_EQ(rigctl::MegahertzTextToHz("1240.0125"), 1240012500);
  EXPECT_EQ(rigctl::MegahertzTextToHz(".5"), 500000);
  EXPECT_EQ(rigctl::MegahertzTextToHz("145.1234567"), 145123456);
  EXPECT_EQ(rigctl::MegahertzTextToHz(""), 0);
}

TEST(RigctlOption, TakesTheDefaultOrAnAddressWithAPort) {
  std::string address;
  int port = -1;
  ASSERT_TRUE(ParseRigctlOption("--rigctl", address, port));
  EXPECT_EQ(address + ":" + std::to_string(port), "127.0.0.1:4532");
  ASSERT_TRUE(ParseRigctlOption("--rigctl=0.0.0.0:4533", address, port));
  EXPECT_EQ(address + ":" + std::to_string(port), "0.0.0.0:4533");
  ASSERT_TRUE(ParseRigctlOption("--rigctl=[::1]:4532", address, port));
  EXPECT_EQ(address + " " + std::to_string(port), "::1 4532");
  ASSERT_TRUE(ParseRigctlOption("--rigctl=[2001:db8::5]:0", address, port));
  EXPECT_EQ(address + " " + std::to_string(port), "2001:db8::5 0");
  for (const char* wrong :
       {"--rigctl=", "--rigctl=:4532", "--rigctl=host", "--rigctl=h:70000", "--rigctl=h:-1",
        "--rigctlx", "--help", "--rigctl=::1:4532", "--rigctl=[::1]", "--rigctl=[::1:4532",
        "--rigctl=[]:4532", "--rigctl=[[::1]]:4532"}) {
    EXPECT_FALSE(ParseRigctlOption(wrong, address, port)) << wrong;
  }
}

}  // namespace
}  // namespace kestrel
