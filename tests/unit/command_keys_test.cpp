#include <gtest/gtest.h>

#include "state/commands.h"
#include "state/key_codes.h"
#include "unit/commands_fixture.h"

namespace kestrel {
namespace {

using fakes::CommandsTest;
using fakes::FakeLine;
using fakes::WordList;

class CommandKeysTest : public CommandsTest {
 protected:
  // A list loaded for browsing, its labels "a", "b", "c", ...
  void LoadList(const std::vector<std::string>& frequencies) {
    std::vector<testing::Entry> entries;
    for (const auto& frequency : frequencies) {
      entries.push_back({frequency, std::string(1, static_cast<char>('a' + entries.size()))});
    }
    testing::LoadListLines(testing::BankLines("", "FM", entries));
    ListLast = 2 + 2 * static_cast<int>(entries.size());
    ListIndex = 4;
    ListState = kListBrowsing;
  }
  // The receiver answers "MW" + bank with the upper bank's size, 90 unless told otherwise.
  void AnswerBankSplits(char odd = 0) {
    line->onWrite = [odd](FakeLine& self, const std::string& block) {
      if (block.size() == 4 && block.rfind("MW", 0) == 0) {
        self.Feed("MW " + block.substr(2, 1) + (block[2] == odd ? ":50 a:50\r" : ":90 a:10\r"));
      }
    };
  }
  static int Count(const std::string& text, const std::string& what) {
    int n = 0;
    for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
  }
};

TEST_F(CommandKeysTest, BrowsingWrapsAtBothEndsAndBeepsOnTheFirstEntry) {
  LoadList({"145.5", "146.0", "146.5"});
  std::vector<std::string> tuned;
  for (int i = 0; i < 3; ++i) {
    Press({keys::kUp});
    tuned.push_back(FrequencyText.str());
  }
  EXPECT_EQ(tuned, (std::vector<std::string>{"146.0", "146.5", "145.5"}));
  EXPECT_EQ(Words(), (WordList{"beep"}));
  EXPECT_EQ(window.drawn.back().text, "a");
  EXPECT_EQ(window.drawn.back().x, 300);
  EXPECT_EQ(window.drawn.back().colour, 0xff00u);
  Forget();
  Press({keys::kDown});
  EXPECT_EQ(ListIndex, 8);
  EXPECT_EQ(line->written, "VA0146.50000\r");
  EXPECT_TRUE(Words().empty());
}

TEST_F(CommandKeysTest, TuningKeysAreRefusedWhileTheyWouldFightAScanOrAList) {
  MemoryScanState = kMemoryScanReported;
  Press({keys::kUp});
  MemoryScanState = kNoMemoryScan;
  LoadList({"145.5"});
  Press({keys::kRight, keys::kPageUp});
  EXPECT_EQ(Words(), (WordList{"inv", "inv", "inv"}));
  EXPECT_EQ(line->written, "");
  ListState = kNoList;
  FrequencyText = "145.5";
  Press({keys::kPageUp});
  EXPECT_EQ(line->written, "VA0145.51250\r");
}

TEST_F(CommandKeysTest, ToggleKeysSayTheirNewState) {
  Type("NNCC");
  EXPECT_EQ(Words(), (WordList{"svoice", "off", "svoice", "on", "stmode", "cont"}));
  EXPECT_EQ(ScanVoice, 1);
  EXPECT_EQ(StopMode, 0);
}

TEST_F(CommandKeysTest, ModeHelpLevelAndSwitchKeysReachTheirRoutines) {
  SignalLevel = 12;
  Press({keys::kF1 + 5, 'H', 'M', 'A', 'L'});
  EXPECT_EQ(ModeText, "CW ");
  EXPECT_EQ(line->written, "MD5\rAT1\rNL1\r");
  EXPECT_EQ(Words(), (WordList{"cw", "help", "s", "9", "plus", "atton", "noise", "on"}));
  EXPECT_TRUE(sound.played[1].background);  // "help" is cut off by the next word
}

TEST_F(CommandKeysTest, PassMarksTheStoppedChannelAndLetsTheScanGoOn) {
  Type("P");
  EXPECT_EQ(PendingCommand, kPendingPut);
  MemoryScanState = kMemoryScanStopped;
  line->Answer("MR\r", "MXA05 MP0 RF0145500000 ST012500 AU0 MD1 AT0 TMx\r");
  Type("P");
  EXPECT_EQ(line->TakeWritten(), "MR\rMP1\rMS\r");
  EXPECT_EQ(PassList[1], "A05");
  EXPECT_EQ(PassCount, 2);
  EXPECT_EQ(Words(), (WordList{"put", "pass"}));
}

TEST_F(CommandKeysTest, PassIsRefusedWithoutAChannelOrWithAFullList) {
  MemoryScanState = kMemoryScanStopped;
  Type("P");
  EXPECT_EQ(line->TakeWritten(), "MR\r");
  PassCount = kPassListSize;
  Type("P");
  EXPECT_EQ(line->written, "");
  EXPECT_EQ(Words(), (WordList{"pass", "inv", "pass", "inv"}));
  EXPECT_EQ(PassCount, kPassListSize);
}

TEST_F(CommandKeysTest, FrequencyKeySaysScanWhileTheReceiverScans) {
  FrequencyText = "145.5";
  Type("F");
  EXPECT_EQ(Words(), (WordList{"1", "4", "5", "point", "5", "fm.wav"}));
  Forget();
  MemoryScanState = kMemoryScanStarted;
  Type("F");
  EXPECT_EQ(Words(), (WordList{"scan"}));
  EXPECT_EQ(MemoryScanState, kMemoryScanStarted);  // tested before the rule that ends a fresh scan
}

TEST_F(CommandKeysTest, KillAndDeleteAreIgnoredSilentlyOutOfPlace) {
  Type("K");
  EXPECT_EQ(PendingCommand, kNothingPending);
  Type("B0D");
  EXPECT_EQ(PendingCommand, kPendingBank);
  EXPECT_EQ(Words(), (WordList{"bank", "0"}));
}

TEST_F(CommandKeysTest, ListScanStartTunesTheFirstEntryAndStillEndsAFreshMemoryScan) {
  LoadList({"145.5", "146.0"});
  ListLines[1] = "AM";
  ListIndex = 6;
  MemoryScanState = kMemoryScanStarted;
  Type("R");
  EXPECT_EQ(ListState, kListScanStarted);
  EXPECT_EQ(ListIndex, 4);
  EXPECT_EQ(line->written, "VA0145.50000\rMD2\rST012.50\r");
  EXPECT_EQ(Words(), (WordList{"AM", "exitscan"}));
}

TEST_F(CommandKeysTest, BankCheckWithEveryBankRightSaysOnlyCheckAndOk) {
  AnswerBankSplits();
  Type("Z");
  EXPECT_EQ(Count(line->written, "MW"), 10);
  EXPECT_EQ(Words(), (WordList{"ckconfig", "ok"}));
}

TEST_F(CommandKeysTest, BankCheckSetsAWrongBankAndWaitsForTheReceiver) {
  AnswerBankSplits('C');
  line->arrivals = {"", "", "\r"};  // silent after the setting, then done after two rounds
  Type("Z");
  EXPECT_EQ(Count(line->written, "MWC90\r"), 1);
  EXPECT_EQ(Count(line->written, "MWJ\r"), 1);
  WordList heard{"ckconfig", "C"};
  heard.insert(heard.end(), 8, "beep");  // after every 25th pause of two rounds
  heard.push_back("ok");
  EXPECT_EQ(Words(), heard);
}

TEST_F(CommandKeysTest, BankCheckGivesUpOnASilentReceiver) {
  Type("Z");
  EXPECT_EQ(line->written, [] {
    std::string ten;
    for (int i = 0; i < 10; ++i) ten += "MWA\r";
    return ten;
  }());
  EXPECT_EQ(Words(), (WordList{"ckconfig", "rnc"}));
  Forget();
  AnswerBankSplits('A');
  Type("Z");
  EXPECT_EQ(line->written, "MWA\rMWA90\r");
  WordList heard{"ckconfig", "A"};
  heard.insert(heard.end(), 16, "beep");  // four rounds of 100 pauses
  heard.push_back("rnc");
  EXPECT_EQ(Words(), heard);
}

}  // namespace
}  // namespace kestrel
