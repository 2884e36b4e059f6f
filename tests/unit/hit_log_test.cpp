#include <gtest/gtest.h>

#include <filesystem>

#include "bank_test_files.h"
#include "operator/hit_log.h"
#include "polling_fixture.h"
#include "state/banks.h"
#include "state/commands.h"
#include "state/controls.h"

namespace kestrel {
namespace {

const std::string kHeader =
    "start,end,duration_s,frequency_mhz,mode,level_raw,s_reading,hits,source,label\r\n";

class HitLogTest : public PollingTest {
 protected:
  void SetUp() override {
    PollingTest::SetUp();
    ModeText = "FM";
    testing::LoadListLines(testing::BankLines("Srchbank", "FM", {}));
  }
  void At(int second, int millisecond, long long steady) {
    clock.now.second = second;
    clock.now.millisecond = millisecond;
    clock.steady = steady;
  }
  // The search halts on a level reply and "RX" answers with the frequency.
  void SearchHalts(const std::string& level, const std::string& frequency) {
    LevelPoll(level);
    ASSERT_EQ(PollState, kAskFrequency);
    Tick();
    line->Feed("VS RF" + frequency + " ST012500 AU0 MD1 AT0");
    Tick();
  }
};

TEST_F(HitLogTest, EachSearchHaltIsOneLineWithItsTimesHighestLevelAndCount) {
  SearchActive = kSearchRunning;
  StopMode = 1;
  At(7, 250, 10000);
  SearchHalts("LM 100", "0145500000");
  At(8, 0, 10750);
  LevelPoll("LM 130");
  LevelPoll("LM 090");
  At(9, 750, 12500);
  LevelPoll("LM%000");  // the search runs on
  ASSERT_EQ(SearchActive, kSearchRunning);
  At(20, 0, 23000);
  SearchHalts("LM 050", "0145500000");
  At(21, 40, 24040);
  CloseHeldHit();  // the program ends while the signal is held
  CloseHeldHit();  // nothing held any more
  EXPECT_EQ(ReadFile("hits.csv"),
            kHeader +
                "2026-12-06T09:41:07.250,2026-12-06T09:41:09.750,2.5,145.5,FM,130,S9+,1,search,"
                "\r\n"
                "2026-12-06T09:41:20.000,2026-12-06T09:41:21.040,1.0,145.5,FM,50,S4,2,search,"
                "\r\n");
}

TEST_F(HitLogTest, ScanStopsNameBankChannelAndLabelAndTheCountGoesOnFromTheFile) {
  WriteFile("hits.csv", kHeader + "x,y,1.0,146,FM,60,S5,1,\"list scan 07\",\"a \"\"b\"\"\"\r\n");
  testing::LoadListLines(testing::BankLines("bank07", "FM", {{"146.0", "TOWER, NORTH"}}));
  BankFileName = "bank07.dat";
  ListState = kListScanStarted;
  ListIndex = 4;
  FrequencyText = "146.0";
  LevelPoll("LM 100");
  LevelPoll("LM%000");  // on to the next entry
  ListState = kNoList;
  MemoryScanState = kMemoryScanReported;
  LevelPoll("LC087 MA05 RF0145500000");
  Tick();
  Tick();
  LevelPoll("LC%012 MA05");
  const std::string file = ReadFile("hits.csv");
  EXPECT_NE(file.find(",146,FM,100,S8,2,list scan 07,\"TOWER, NORTH\"\r\n"), std::string::npos)
      << file;
  EXPECT_NE(file.find(",145.5,FM,87,S7,1,memory scan A05,\r\n"), std::string::npos) << file;
}

TEST_F(HitLogTest, AnUnwritableLogSaysFailedOnceAndTheSearchListKeepsTheFind) {
  std::filesystem::create_directory("hits.csv");
  SearchActive = kSearchRunning;
  StopMode = 1;
  for (const char* frequency : {"0145500000", "0146000000"}) {
    SearchHalts("LM 100", frequency);
    LevelPoll("LM%000");
  }
  EXPECT_EQ(sound.Words(), (std::vector<std::string>{"stop", "failed", "stop"}));
  EXPECT_EQ(ListLines[4], "145.5");
  EXPECT_EQ(ListLines[6], "146.");
}

// A line straight to the file, as the held hit writes it.
hit_log::HitLine HitAt(const std::string& frequency, const std::string& label = "") {
  hit_log::HitLine line;
  line.frequency = frequency;
  line.mode = "FM";
  line.sReading = "S5";
  line.source = "search";
  line.label = label;
  return line;
}

// The "hits" column of the file's last line.
std::string LastCount(const std::string& file) {
  const auto end = file.rfind("\r\n", file.size() - 3);
  std::string last = file.substr(end == std::string::npos ? 0 : end + 2);
  for (int field = 0; field < 7; ++field) last.erase(0, last.find(',') + 1);
  return last.substr(0, last.find(','));
}

TEST_F(HitLogTest, TheCountComesFromWhatTheFileHoldsWhenTheLineIsWritten) {
  ASSERT_TRUE(hit_log::AppendHitLine(HitAt("145.5")));
  ASSERT_TRUE(hit_log::AppendHitLine(HitAt("145.5")));
  EXPECT_EQ(LastCount(ReadFile("hits.csv")), "2");
  std::filesystem::rename("hits.csv", "old.csv");  // renamed meanwhile: a new file
  ASSERT_TRUE(hit_log::AppendHitLine(HitAt("145.5")));
  EXPECT_EQ(ReadFile("hits.csv").substr(0, kHeader.size()), kHeader);
  EXPECT_EQ(LastCount(ReadFile("hits.csv")), "1");
  WriteFile("hits.csv", "");  // emptied meanwhile
  ASSERT_TRUE(hit_log::AppendHitLine(HitAt("145.5")));
  EXPECT_EQ(LastCount(ReadFile("hits.csv")), "1");
  // Lines another program added count, a quoted line end inside a field included; a line
  // of another frequency or without all its fields does not.
  WriteFile("hits.csv", kHeader +
                            "a,b,1.0,\"145.5\",FM,9,S0,1,search,\"two\r\nlines\"\r\n"
                            "a,b,1.0,145.5,FM,9,S0,1,search,\r\n"
                            "a,b,1.0,145.55,FM,9,S0,1,search,\r\n"
                            "a,b,1.0,145.5,FM\r\n");
  ASSERT_TRUE(hit_log::AppendHitLine(HitAt("145.5")));
  EXPECT_EQ(LastCount(ReadFile("hits.csv")), "3");
  // A line torn inside a quoted field is closed and ended; it is no hit.
  WriteFile("hits.csv", kHeader + "a,b,1.0,145.5,FM,9,S0,1,search,\"TOW");
  ASSERT_TRUE(hit_log::AppendHitLine(HitAt("145.5")));
  const std::string file = ReadFile("hits.csv");
  EXPECT_EQ(file.substr(0, file.find("\r\n", kHeader.size()) + 2),
            kHeader + "a,b,1.0,145.5,FM,9,S0,1,search,\"TOW\"\r\n");
  EXPECT_EQ(LastCount(file), "1");
}

TEST_F(HitLogTest, ALogPast50MbIsPutAsideUnderTodaysDateReplacingNothing) {
  WriteFile("hits-20261206.csv", "earlier\r\n");
  WriteFile("hits.csv", "");
  std::filesystem::resize_file("hits.csv", 50'000'000);  // sparse: at the bound, kept
  ASSERT_TRUE(hit_log::AppendHitLine(HitAt("145.5")));
  EXPECT_GT(std::filesystem::file_size("hits.csv"), 50'000'000u);
  ASSERT_TRUE(hit_log::AppendHitLine(HitAt("145.5")));
  EXPECT_EQ(ReadFile("hits-20261206.csv"), "earlier\r\n");
  EXPECT_GT(std::filesystem::file_size("hits-20261206-2.csv"), 50'000'000u);
  EXPECT_EQ(ReadFile("hits.csv").substr(0, kHeader.size()), kHeader);
  EXPECT_EQ(LastCount(ReadFile("hits.csv")), "1");
}

TEST_F(HitLogTest, LabelBytesOutsidePrintableAsciiAreWrittenAsBlanks) {
  ASSERT_TRUE(hit_log::AppendHitLine(HitAt("145.5", "A\x1b[2J\tB\x7f\xc3\xa9,\"\r\n")));
  const std::string file = ReadFile("hits.csv");
  EXPECT_EQ(file.substr(file.rfind(",search,") + 8), "\"A [2J B   ,\"\"  \"\r\n");
}

TEST_F(HitLogTest, ALogWithOtherNamesIsNotWrittenAndSaysFailed) {
  WriteFile("elsewhere.csv", "keep\r\n");
  std::filesystem::create_hard_link("elsewhere.csv", "hits.csv");
  SearchActive = kSearchRunning;
  StopMode = 1;
  SearchHalts("LM 100", "0145500000");
  LevelPoll("LM%000");
  EXPECT_EQ(sound.Words(), (std::vector<std::string>{"stop", "failed"}));
  EXPECT_EQ(ReadFile("elsewhere.csv"), "keep\r\n");
}

}  // namespace
}  // namespace kestrel
