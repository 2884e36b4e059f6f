#include <gtest/gtest.h>

#include "bank_test_files.h"
#include "polling_fixture.h"
#include "state/banks.h"
#include "state/commands.h"
#include "state/controls.h"
#include "state/link.h"

namespace kestrel {
namespace {

using testing::BankLines;
using testing::LoadListLines;

const std::string kScanning = "      *** SCANNING ***  ";
const std::string kStopped = "      *** STOPPED ***  ";
const std::string kQuiet = "LM%000";
const std::string kSignal = "LM 100";
// The receiver's level report when its memory scan stops on a channel, and while it runs.
const std::string kScanStop = "LC087 MA05 RF0145500000";
const std::string kScanRunning = "LC%012 MA05";
constexpr int kKeypadKey = 97;  // means nothing to the command entry

std::vector<std::string> StatusLines(const std::vector<fakes::DrawnText>& drawn) {
  std::vector<std::string> lines;
  for (const auto& d : drawn) {
    if (d.x == 270 && d.y == 320) lines.push_back(d.text);
  }
  return lines;
}

class SupervisionTest : public PollingTest {
 protected:
  // A memory scan stops on a channel: the stop, one tick of delay, its frequency.
  void ScanStops(const std::string& reply = kScanStop) {
    LevelPoll(reply);
    ASSERT_EQ(PollState, kWaitForScanStop);
    Tick();
    Tick();
  }
  // A search halts and "RX" is answered with the given texts, one per question.
  void SearchHalts(const std::vector<std::string>& answers) {
    LevelPoll(kSignal);
    for (const auto& answer : answers) {
      ASSERT_EQ(PollState, kAskFrequency);
      Tick();
      line->Feed(answer);
      Tick();
    }
  }
  void LoadSearchList() {
    LoadListLines(BankLines("Srchbank", "FM", {}));
    SearchActive = kSearchRunning;
  }
};

TEST_F(SupervisionTest, AMemoryScanIsAnnouncedOnceInTheBackgroundAndShownOnEveryRunningPoll) {
  MemoryScanState = kMemoryScanStarted;
  LevelPoll(kQuiet);
  LevelPoll(kQuiet);
  EXPECT_EQ(StatusLines(window.drawn), (std::vector<std::string>{kScanning, kScanning}));
  EXPECT_EQ(window.drawn.back().colour, 0xffu);
  ASSERT_EQ(sound.played.size(), 1u);
  EXPECT_EQ(sound.played[0].path, "wave\\scan");
  EXPECT_TRUE(sound.played[0].background);
  EXPECT_EQ(MemoryScanState, kMemoryScanReported);
}

TEST_F(SupervisionTest, AfterAStopTheScanIsReportedAgainOnlyOnTheSeventhRunningPoll) {
  MemoryScanState = kMemoryScanReported;
  ScanStops();
  EXPECT_EQ(FrequencyText, "145.500000");
  EXPECT_EQ(sound.Words(), std::vector<std::string>{"stop"});
  Forget();
  for (int poll = 0; poll < 3; ++poll) LevelPoll(kScanRunning);
  ScanStops();  // a flicker within the hold-off: shown, not spoken
  EXPECT_EQ(StatusLines(window.drawn), std::vector<std::string>{kStopped});
  EXPECT_TRUE(sound.Words().empty());
  Forget();
  for (int poll = 0; poll < 6; ++poll) LevelPoll(kScanRunning);
  EXPECT_TRUE(StatusLines(window.drawn).empty());
  LevelPoll(kScanRunning);
  EXPECT_EQ(StatusLines(window.drawn), std::vector<std::string>{kScanning});
  EXPECT_EQ(sound.Words(), std::vector<std::string>{"scan"});
}

TEST_F(SupervisionTest, AStopReplyWithoutAWholeFrequencyIsAnsweredOrWaitedOut) {
  MemoryScanState = kMemoryScanReported;
  ScanStops("LC087 MA05 RF01455");  // the report came in two pieces
  EXPECT_EQ(line->TakeWritten(), "LM\r\x1e");
  EXPECT_EQ(MemoryScanState, kMemoryScanStarted);
  EXPECT_EQ(StopHoldoff, 0);
  ScanStops(kSignal);  // no frequency at all: only the hold-off starts
  EXPECT_EQ(line->TakeWritten(), "LM\r");
  EXPECT_EQ(StopHoldoff, 7);
  StopHoldoff = 0;
  ScanStops("LC087 MA05 RF01455000\r\nLC");  // what follows the digits is no part of them
  EXPECT_EQ(FrequencyText, "145.5000");
}

TEST_F(SupervisionTest, TheListScanStepsThroughTheEntriesAndShowsTheLabelOnAStop) {
  LoadListLines(
      BankLines("bank07", "FM", {{"145.5", "TOWER"}, {"146.0", "ROAD"}, {"147.25", "PORT"}}));
  ListState = kListScanStarted;  // as the list scan starts: the first entry tuned, ListIndex 4
  ListIndex = 4;
  LevelPoll(kSignal);  // a signal before the first step holds the first entry
  EXPECT_EQ(DrawnAt(340, 370), std::vector<std::string>{"TOWER"});
  std::vector<std::string> tuned;
  std::vector<int> next;
  for (int poll = 0; poll < 4; ++poll) {
    LevelPoll(kQuiet);
    tuned.push_back(FrequencyText);
    next.push_back(ListIndex);
  }
  EXPECT_EQ(tuned, (std::vector<std::string>{"145.5", "146.0", "147.25", "145.5"}));
  EXPECT_EQ(next, (std::vector<int>{6, 8, 4, 6}));
  EXPECT_EQ(DrawnAt(340, 370).back(), std::string(39, ' '));
  EXPECT_EQ(StatusLines(window.drawn), (std::vector<std::string>{kStopped, kScanning}));
  Forget();
  LevelPoll(kQuiet);  // tunes 146.0; the next is 147.25
  LevelPoll(kQuiet);  // tunes 147.25 and wraps
  LevelPoll(kSignal);
  LevelPoll(kSignal);  // still held: nothing more
  EXPECT_EQ(DrawnAt(340, 370).back(), "PORT");
  EXPECT_EQ(StatusLines(window.drawn), (std::vector<std::string>{kStopped}));
  EXPECT_EQ(sound.Words(), std::vector<std::string>{"stop"});
  EXPECT_EQ(ListState, kListScanHeld);
}

TEST_F(SupervisionTest, AHaltedSearchIsRecordedAndToldToGoOnAtTheFifthPoll) {
  LoadSearchList();
  SearchHalts({"VS RF0145500000 ST012500 AU0 MD1 AT0"});
  EXPECT_EQ(FrequencyText, "145.5");
  EXPECT_EQ(ListLines[4], "145.5");
  EXPECT_EQ(ListLines[6], "9999");
  EXPECT_EQ(SearchActive, kSearchHalted);
  EXPECT_EQ(line->TakeWritten(), "LM\rRX\r");
  for (int poll = 0; poll < 4; ++poll) LevelPoll(kSignal);
  EXPECT_EQ(line->TakeWritten(), "LM\rLM\rLM\rLM\r");
  sound.Clear();
  LevelPoll(kSignal);
  EXPECT_EQ(line->TakeWritten(), "LM\r\x1e\x1e");
  EXPECT_EQ(sound.Words(true), (std::vector<std::string>{"shdel", "shdel"}));
  LevelPoll(kQuiet);
  EXPECT_EQ(DrawnAt(270, 320).back(), "Search Mode Active");
  EXPECT_EQ(SearchActive, kSearchRunning);
}

TEST_F(SupervisionTest, InStopModeAHaltIsSpokenAndTheSearchIsNeverToldToGoOn) {
  LoadSearchList();
  StopMode = 1;
  SearchHalts({"VS RF0145500000 ST"});
  EXPECT_EQ(sound.Words(), std::vector<std::string>{"stop"});
  line->TakeWritten();
  for (int poll = 0; poll < 12; ++poll) LevelPoll(kSignal);
  EXPECT_EQ(line->written.find('\x1e'), std::string::npos);
  EXPECT_EQ(SearchActive, kSearchHalted);
}

TEST_F(SupervisionTest, TheHaltFrequencyEndsAtTheLastDigitOfItsField) {
  LoadSearchList();
  SearchHalts({"VS RF0145500000\r\n"});
  EXPECT_EQ(FrequencyText, "145.5");
  EXPECT_EQ(ListLines[4], "145.5");
}

TEST_F(SupervisionTest, AHaltWithoutAFrequencyInFiveAnswersIsGivenUpAndNotAskedAgain) {
  LoadSearchList();
  StopMode = 1;
  SearchHalts({"", "LM 100", "VS RF01455", "", ""});
  EXPECT_EQ(PollState, kServeKeys);
  EXPECT_EQ(ListLines[4], "9999");
  EXPECT_EQ(SearchActive, kSearchHalted);
  EXPECT_EQ(line->TakeWritten(), "LM\rRX\rRX\rRX\rRX\rRX\r");
  Press(kKeypadKey);
  Release(kKeypadKey);
  Tick();  // keys are served again
  EXPECT_EQ(KeyQueueCount, 1);
  Tick();
  LevelPoll(kSignal);  // still halted: the same halt is not asked about again
  EXPECT_EQ(line->TakeWritten(), "LM\r");
  LevelPoll(kQuiet);
  SearchHalts({"", "VS RF0146500000 ST"});  // the next halt is asked about afresh
  EXPECT_EQ(ListLines[4], "146.5");
}

TEST_F(SupervisionTest, TheListScanOfAnEmptyListTunesNothing) {
  LoadListLines(BankLines("bank07", "FM", {}));
  ListState = kListScanStarted;
  ListIndex = 4;
  LevelPoll(kQuiet);
  LevelPoll(kQuiet);
  EXPECT_EQ(line->written, "LM\rLM\r");
  EXPECT_EQ(ListIndex, 4);
}

TEST_F(SupervisionTest, TheListScanPassesOverEntriesThatAreNoFrequency) {
  LoadListLines(
      BankLines("bank07", "FM", {{"145.5", "a"}, {"\x1b[2J", "b"}, {"1.2.3", "c"}, {"146", "d"}}));
  ListState = kListScanning;
  ListIndex = 6;
  LevelPoll(kQuiet);
  LevelPoll(kQuiet);
  EXPECT_EQ(line->written, "LM\rVA0146000000\rLM\rVA0145.50000\r");
}

}  // namespace
}  // namespace kestrel
