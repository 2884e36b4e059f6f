#include <gtest/gtest.h>

#include <cstdio>

#include "banks/search.h"
#include "polling_fixture.h"
#include "speech/announcements.h"
#include "speech/speech.h"
#include "state/banks.h"
#include "state/commands.h"
#include "state/controls.h"
#include "state/operator.h"

namespace kestrel {
namespace {

using Words = std::vector<std::string>;

class OperatorKeysTest : public PollingTest {
 protected:
  void SetUp() override {
    PollingTest::SetUp();
    FrequencyText = "145.5";
    ModeText = "FM";
    StepText = "12.5";
    AttenuatorOn = 0;
    NoiseLimiterOn = 1;
    SignalLevel = 10;
  }
};

TEST_F(OperatorKeysTest, StatusSaysTheWholeStateAndEndsNoScanNorSendsAnything) {
  ListState = kListBrowsing;
  BankFileName = "bank07.dat";
  ListIndex = 6;
  EXPECT_EQ(Key('V'), (Words{"1",      "4",     "5",  "point",  "5",  "fm.wav", "bank",  "0",
                             "7",      "entry", "2",  "incr",   "1",  "2",      "point", "5",
                             "attoff", "noise", "on", "svoice", "on", "s",      "9",     "plus"}));
  ListState = kNoList;
  MemoryScanState = kMemoryScanStarted;  // freshly started: any other key would end it
  LastScanBank = "C";
  const Words words = Key('V');
  EXPECT_EQ(Words(words.begin(), words.begin() + 4), (Words{"scan", "scan", "radbank", "C"}));
  EXPECT_EQ(MemoryScanState, kMemoryScanStarted);
  SearchActive = kSearchHalted;
  FoundCount = 12;
  MemoryScanState = kNoMemoryScan;
  const Words searching = Key('V');
  EXPECT_EQ(Words(searching.begin() + 6, searching.begin() + 10),  // after 145.5 FM
            (Words{"srch", "found", "1", "2"}));
  EXPECT_EQ(line->TakeWritten(), "");
}

TEST_F(OperatorKeysTest, WhileTheLinkIsLostKeysThatStartOrReportOnTheReceiverSayLost) {
  line->vanished = true;
  Tick();
  ASSERT_EQ(sound.Words(), Words{"lost"});
  EXPECT_EQ(Key('V'), (Words{"lost", "1", "4", "5", "point", "5", "fm.wav", "incr", "1", "2",
                             "point", "5", "attoff", "noise", "on", "svoice", "on"}));
  EXPECT_EQ(Key('M'), Words{"lost"});
  EXPECT_EQ(Key('R'), Words{"lost"});
  EXPECT_EQ(SearchActive, kNoSearch);
  EXPECT_EQ(Key('G'), Words{"lost"});
  EXPECT_EQ(PendingCommand, kNothingPending);
  EXPECT_EQ(line->written, "");
}

TEST_F(OperatorKeysTest, NumbersOfTwoPhrasesStayApartInTheTextLineAndWhenSaidAgain) {
  ListLines[4] = EndMarker;
  SearchActive = kSearchHalted;
  FrequencyText = "145.5";
  RecordSearchHit();  // the count, "1"
  SpokenText = "145.5";
  SpeakFrequency();  // where the search halted
  FinishAnnouncement();
  EXPECT_EQ(AnnouncementText(LastAnnouncement()), "1 145.5");
  Key('Y');
  EXPECT_EQ(AnnouncementText(LastAnnouncement()), "1 145.5");
}

TEST_F(OperatorKeysTest, SayAgainRepeatsTheLastAnnouncementAndPendingCommandsKeepTheirRules) {
  SearchActive = kSearchRunning;
  StopMode = 1;
  LevelPoll("LM 100");  // the poller says "stop", then asks where the search halted
  Tick();
  line->Feed("VS RF0145500000 ST012500 AU0 MD1 AT0");
  Tick();
  EXPECT_EQ(Key('Y'), Words{"stop"});
  Key('M');
  EXPECT_EQ(Key('Y'), (Words{"s", "8"}));
  EXPECT_EQ(Key('Y'), (Words{"s", "8"}));
  Key('S');
  ASSERT_EQ(PendingCommand, kPendingStart);
  EXPECT_EQ(Key('V'), Words{});  // cancels the start entry like any other key
  EXPECT_EQ(PendingCommand, kNothingPending);
  Key('G');
  EXPECT_EQ(Key('U'), Words{"inv"});  // not a bank letter
  EXPECT_EQ(LevelTones, 0);
}

TEST_F(OperatorKeysTest, LevelTonesFollowOpenSquelchPollsOnly) {
  LevelPoll("LM 255");
  EXPECT_TRUE(sound.tones.empty());
  EXPECT_EQ(Key('U'), (Words{"tone", "on"}));
  LevelPoll("LM 255");
  LevelPoll("LM%100");
  LevelPoll("LM 000");
  EXPECT_EQ(sound.tones, (std::vector<std::pair<int, int>>{{1500, 40}, {300, 40}}));
  EXPECT_EQ(Key('U'), (Words{"tone", "off"}));
  LevelPoll("LM 255");
  EXPECT_TRUE(sound.tones.empty());
}

TEST_F(OperatorKeysTest, EachAnnouncementIsOneTextLineOfPhrases) {
  EXPECT_EQ(AnnouncementText({{"1"}, {"4"}, {"5"}, {"point"}, {"5"}, {"fm.wav"}}), "145.5 FM");
  EXPECT_EQ(AnnouncementText({{"srching"}, {"wfm.wav"}, {"shdel"}, {"s"}, {"9"}, {"plus"}}),
            "searching wide FM S 9 plus");
  std::FILE* output = std::tmpfile();
  SetTextLineOutput(output);
  Key('F');
  Tick();  // no word: no line
  SetTextLineOutput(nullptr);
  std::rewind(output);
  char text[100] = {};
  const std::size_t length = std::fread(text, 1, sizeof text - 1, output);
  std::fclose(output);
  EXPECT_EQ(std::string(text, length), "09:41:07 145.5 FM\n");
}

}  // namespace
}  // namespace kestrel
