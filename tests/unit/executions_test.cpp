#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "state/commands.h"
#include "state/key_codes.h"
#include "unit/commands_fixture.h"

namespace kestrel {
namespace {

using fakes::CommandsTest;
using fakes::FakeLine;
using fakes::WordList;

class ExecutionsTest : public CommandsTest {
 protected:
  // The search list as a running search holds it, with one find.
  void RunSearchWithOneFind() {
    SearchActive = kSearchRunning;
    FoundCount = 1;
    BankFileName = "bank00.dat";
    testing::LoadListLines(testing::BankLines("Srchbank", "FM", {{"146.5"}}));
  }
};

TEST_F(ExecutionsTest, EnterWithNothingPendingTunesSetsTheStepAndConfirms) {
  FrequencyText = "145.5";
  FrequencyEntryFresh = 0;
  Type("\r");
  EXPECT_EQ(line->written, "VA0145.50000\rST012.50\r");
  const auto heard = sound.Words(true);
  EXPECT_EQ(WordList(heard.end() - 3, heard.end()), (WordList{"shdel", "shdel", "ok"}));
  EXPECT_EQ(FrequencyEntryFresh, 1);
  RunFlag = 1;
  Type("Q");
  EXPECT_EQ(Words().back(), "quit");
  EXPECT_EQ(RunFlag, 0);
}

TEST_F(ExecutionsTest, BankSelectionTunesTheFirstEntryWithTheBanksModeAndStep) {
  WriteBank("bank07.dat", {"145.5", "146.0"}, "AM");
  Type("B07\r");
  EXPECT_EQ(line->TakeWritten(), "VA0145.50000\rMD2\rST012.50\r");  // no receiver memory erased
  EXPECT_EQ(Words(), (WordList{"bank", "0", "7", "AM", "sel"}));
  EXPECT_EQ(ListState, kListBrowsing);
  EXPECT_EQ(ListIndex, 4);
  Forget();
  WriteBank("bank09.dat", {});
  Type("B09\r");
  EXPECT_EQ(Words().back(), "inv");  // nothing to tune: the end marker is no frequency
  EXPECT_EQ(line->TakeWritten(), "");
  Type("B08\r");
  EXPECT_EQ(Words().back(), "bnf");
  EXPECT_EQ(ListState, kNoList);
}

TEST_F(ExecutionsTest, ArgumentsOfTheWrongLengthAreRefused) {
  Type("T1\rT123\rW01\rD7\rB12345\r");
  EXPECT_EQ(Words(),
            (WordList{"transfer", "1",     "inv", "transfer", "1",    "2",   "3",      "inv",
                      "write",    "fromb", "0",   "1",        "torb", "inv", "delete", "7",
                      "inv",      "bank",  "1",   "2",        "3",    "4",   "5",      "inv"}));
  EXPECT_EQ(PendingCommand, kNothingPending);
  EXPECT_EQ(LimitEntryFresh, 0);
  EXPECT_EQ(line->written, "");
  Type("T1234\r");
  EXPECT_TRUE(FileExists("bank34.dat"));
}

TEST_F(ExecutionsTest, RadbankStartsTheReceiversScanOfOneBank) {
  line->onWrite = [](FakeLine& self, const std::string& block) {
    if (block != "MAC\r") return;
    self.arrivals = {"MXC00 MP0 RF0145000000 ST012500 AU0 MD1 AT0 TMone\r",
                     "MXC01 MP0 RF0145500000 ST012500 AU0 MD2 AT0 TMtwo\r", "MXC02 ---\r"};
  };
  Type("GC\r");
  EXPECT_EQ(line->written, "LC1\rMAC\rMSC\rMSC\r");
  EXPECT_EQ(FrequencyText, "145.500000");
  EXPECT_EQ(ModeText, "AM");
  EXPECT_EQ(Words(), (WordList{"radbank", "C", "FM"}));
  EXPECT_EQ(MemoryScanState, kMemoryScanStarted);
  EXPECT_EQ(LastScanBank, "C");
  EXPECT_EQ(PendingCommand, kNothingPending);
}

TEST_F(ExecutionsTest, RadbankWithSpeechOffKeepsOnlyTheFixedPauses) {
  WaveFolder = "";
  ScanVoice = 0;
  Type("GD\r");
  const auto paths = sound.Paths();
  EXPECT_EQ(std::count(paths.begin(), paths.end(), "shdel"), 1);  // between the two "MS"
  EXPECT_EQ(paths.back(), "scan");
  ArgumentText = "05";
  Type("G\r");
  EXPECT_EQ(sound.Paths().back(), "inv");
  EXPECT_EQ(PendingCommand, kPendingRadbank);
}

TEST_F(ExecutionsTest, EnterDuringAMemoryScanGivesThePassedChannelsBack) {
  MemoryScanState = kMemoryScanReported;
  PassList[1] = "A05";
  PassList[2] = "B12";
  PassCount = 3;
  FrequencyText = "145.5";
  Type("\r");
  EXPECT_EQ(line->written, "MRA05\rMP0\rMRB12\rMP0\rVA0145.50000\rMD1\r");
  EXPECT_EQ(Words(), (WordList{"exitscan", "FM"}));
  EXPECT_EQ(PassCount, 1);
  EXPECT_EQ(MemoryScanState, kNoMemoryScan);
}

TEST_F(ExecutionsTest, StepEntrySetsTheStepBeforeReadingItOut) {
  Type("I\r");
  EXPECT_EQ(line->written, "ST012.50\r");
  EXPECT_EQ(Words(), (WordList{"incr", "1", "2", "point", "5"}));
}

TEST_F(ExecutionsTest, DeleteSaysOkWhetherOrNotTheBankExisted) {
  WriteFile("bank07.dat", "x");
  Type("D07\rD07\r");
  EXPECT_FALSE(FileExists("bank07.dat"));
  EXPECT_EQ(Words(), (WordList{"delete", "0", "7", "ok", "delete", "0", "7", "ok"}));
}

TEST_F(ExecutionsTest, DeleteNeverReachesOutsideTheWorkingFolder) {
  std::filesystem::create_directory(folder / "bank");
  WriteFile("bank/..dat", "kept");
  PendingCommand = kPendingDelete;
  ArgumentText = "/.";
  Press({keys::kEnter});
  EXPECT_EQ(ReadFile("bank/..dat"), "kept");
  EXPECT_EQ(Words(), (WordList{"ok"}));
}

TEST_F(ExecutionsTest, KillingAMiddleOrTheLastEntryKeepsTheBrowsePositionOnAnEntry) {
  WriteBank("bank07.dat", {"145.5", "146.0", "146.5"});
  Type("B07\r");
  Press({keys::kUp});
  Type("K\r");
  EXPECT_EQ(ReadFile("bank07.dat"), BankText({"145.5", "146.5"}));
  EXPECT_EQ(FrequencyText, "146.5");
  Forget();
  Type("K\r");
  EXPECT_EQ(ReadFile("bank07.dat"), BankText({"145.5"}));
  EXPECT_EQ(line->written, "VA0145.50000\r");
  EXPECT_EQ(ListIndex, 4);
  EXPECT_EQ(ListLast, 4);
  Press({keys::kDown});
  EXPECT_EQ(FrequencyText, "145.5");
  Forget();
  Type("K\r");
  EXPECT_EQ(ReadFile("bank07.dat"), BankText({}));
  EXPECT_EQ(ListState, kNoList);
  EXPECT_EQ(line->written, "");
  EXPECT_EQ(Words(), (WordList{"kill", "ok"}));
}

TEST_F(ExecutionsTest, QuitDuringASearchEndsItAsEnterDoesAndRunsTheBankCommand) {
  RunSearchWithOneFind();
  FrequencyText = "145.5";
  RunFlag = 1;
  Type("P05Q");
  EXPECT_EQ(Words().back(), "ok");
  EXPECT_NE(ReadFile("bank05.dat").find("145.5"), std::string::npos);
  EXPECT_EQ(ReadFile("bank00.dat"), "Srchbank\r\nFM\r\n12.5\r\n \r\n146.5\r\n \r\n9999\r\n");
  EXPECT_EQ(SearchActive, kNoSearch);
  EXPECT_EQ(RunFlag, 0);
}

TEST_F(ExecutionsTest, EnterEndsTheSearchFirstAndThenRunsTheBankCommand) {
  RunSearchWithOneFind();
  FrequencyText = "145.5";
  Type("P05\r");
  EXPECT_EQ(ReadFile("bank00.dat"), "Srchbank\r\nFM\r\n12.5\r\n \r\n146.5\r\n \r\n9999\r\n");
  EXPECT_NE(ReadFile("bank05.dat").find("145.5"), std::string::npos);
  EXPECT_EQ(SearchActive, kNoSearch);
}

}  // namespace
}  // namespace kestrel
