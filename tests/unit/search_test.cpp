#include <filesystem>
#include <sstream>

#include "bank_test_files.h"
#include "banks/search.h"
#include "display/display.h"
#include "state/app.h"
#include "state/banks.h"
#include "state/commands.h"
#include "state/controls.h"
#include "state/link.h"

namespace kestrel::testing {
namespace {

using Words = std::vector<std::string>;

class SearchTest : public BankTest {
 protected:
  void SetUp() override {
    BankTest::SetUp();
    line = &ConnectReceiver();
    ModeText = "FM";
    StepText = "12.5";
    SearchStartText = "145";
    SearchEndText = "146";
    FrequencyText = "145.0";
  }

  // A search started and everything it did forgotten.
  void StartQuietly() {
    StartSearch();
    sound.Clear();
    window.drawn.clear();
    line->written.clear();
  }

  void Find(const std::string& frequency) {
    FrequencyText = frequency;
    RecordSearchHit();
  }

  // The drawn text at (x, y), last one drawn there.
  const fakes::DrawnText* DrawnAt(int x, int y) const {
    const fakes::DrawnText* found = nullptr;
    for (const auto& text : window.drawn) {
      if (text.x == x && text.y == y) found = &text;
    }
    return found;
  }

  std::vector<std::string> Commands() const {
    std::vector<std::string> commands;
    std::istringstream in(line->written);
    for (std::string command; std::getline(in, command, '\r');) commands.push_back(command);
    return commands;
  }

  fakes::FakeLine* line = nullptr;
};

std::vector<Entry> Finds(int count) {
  std::vector<Entry> finds;
  for (const auto& entry : NumberedEntries(count)) finds.push_back({entry.frequency, " "});
  return finds;
}

TEST_F(SearchTest, StartSetsTheReceiverUpAndWritesAnEmptySearchList) {
  WriteBank("bank00.dat", BankLines("Srchbank", "AM", {{"120.5"}}));
  FoundCount = 7;
  StartSearch();

  EXPECT_EQ(Commands(), (Words{"VA0145000000", "VB0146000000", "ST012.50", "MD1", "VS"}));
  EXPECT_EQ(ReadFile("bank00.dat"), BankBytes({"Srchbank", "FM", "12.5", " ", "9999"}));
  EXPECT_EQ(SearchActive, kSearchRunning);
  EXPECT_EQ(FoundCount, 0);
  EXPECT_EQ(BankFileName, "bank00.dat");
  EXPECT_EQ(ListIndex, 2);
  const auto words = sound.Words();
  ASSERT_FALSE(words.empty());
  EXPECT_EQ(words.front(), "srch");
  EXPECT_EQ(words.back(), "act");

  const auto* mode = DrawnAt(290, 320);
  ASSERT_NE(mode, nullptr);
  EXPECT_EQ(mode->text, "Search Mode Active");
  EXPECT_EQ(mode->colour, 65280u);
  EXPECT_EQ(mode->font.face, "Ariel");
  EXPECT_EQ(mode->font.points, 30);
  EXPECT_EQ(mode->font.weight, 700);
  const auto* limits = DrawnAt(340, 370);
  ASSERT_NE(limits, nullptr);
  EXPECT_EQ(limits->text, "145/146");
  EXPECT_EQ(limits->font.points, 50);
  EXPECT_EQ(limits->colour, 0u);
}

TEST_F(SearchTest, EachNewFindIsShownAndCountedAloud) {
  StartQuietly();
  Find("145.5");
  Find("145.6");
  sound.Clear();
  Find("145.7");
  EXPECT_EQ(FoundCount, 3);
  EXPECT_EQ(sound.Words(), Words{"3"});
  const auto* word = DrawnAt(20, 400);
  ASSERT_NE(word, nullptr);
  EXPECT_EQ(word->text, "Found");
  EXPECT_EQ(word->colour, 255u);
  EXPECT_EQ(word->font.points, 30);
  const auto* count = DrawnAt(750, 400);
  ASSERT_NE(count, nullptr);
  EXPECT_EQ(count->text, "3 ");
  EXPECT_EQ(count->colour, 255u);
  EXPECT_EQ(window.drawn.size(), 6u);  // "Found" and the count for each find
  EXPECT_EQ(NamedWindow()->colour, 0u);

  for (int i = 4; i <= 12; ++i) Find("146." + std::to_string(i));
  EXPECT_EQ(sound.Words(),
            (Words{"3", "4", "5", "6", "7", "8", "9", "1", "0", "1", "1", "1", "2"}));
  EXPECT_EQ(ListLines[4], "145.5");
  EXPECT_EQ(ListLines[5], " ");
  EXPECT_EQ(ListLines[28], "9999");
}

TEST_F(SearchTest, AFrequencyAlreadyFoundIsNotRecordedAgain) {
  StartQuietly();
  Find("145.5");
  Find("145.6");
  sound.Clear();
  window.drawn.clear();
  Find("145.5");
  EXPECT_EQ(FoundCount, 2);
  EXPECT_TRUE(sound.Words().empty());
  EXPECT_TRUE(window.drawn.empty());
  EXPECT_EQ(ListLines[8], "9999");
}

TEST_F(SearchTest, InStopModeFindsAreRecordedSilently) {
  StopMode = 1;
  StartQuietly();
  Find("145.5");
  Find("145.6");
  EXPECT_EQ(FoundCount, 2);
  EXPECT_EQ(ListLines[6], "145.6");
  EXPECT_TRUE(sound.Words().empty());
  EXPECT_TRUE(window.drawn.empty());
}

TEST_F(SearchTest, The91stFindFillsTheListAndLaterOnesAreRefused) {
  StartQuietly();
  const auto finds = Finds(92);
  for (int i = 0; i < 90; ++i) Find(finds[i].frequency);
  sound.Clear();
  Find(finds[90].frequency);
  EXPECT_EQ(FoundCount, 91);
  EXPECT_EQ(sound.Words(), (Words{"9", "1", "bf"}));

  sound.Clear();
  window.drawn.clear();
  Find(finds[91].frequency);
  EXPECT_EQ(FoundCount, 91);
  EXPECT_EQ(sound.Words(), Words{"bf"});
  EXPECT_TRUE(window.drawn.empty());
  EXPECT_EQ(ListLines[186], "9999");

  sound.Clear();
  MemoryScanState = kMemoryScanReported;
  ListState = kListBrowsing;
  EndSearch();
  EXPECT_EQ(ReadFile("bank00.dat"),
            BankBytes(BankLines("Srchbank", "FM",
                                std::vector<Entry>(finds.begin(), finds.begin() + 91))));
  EXPECT_EQ(sound.Words(), (Words{"9", "1"}));
  EXPECT_EQ(SearchActive, kNoSearch);
  EXPECT_EQ(MemoryScanState, kNoMemoryScan);
  EXPECT_EQ(ListState, kNoList);
}

TEST_F(SearchTest, EndingASearchWithoutFindsSaysZero) {
  StartQuietly();
  SearchActive = kSearchHalted;  // halted on a signal not read yet
  EndSearch();
  EXPECT_EQ(sound.Words(), Words{"0"});
  EXPECT_EQ(ReadFile("bank00.dat"), BankBytes({"Srchbank", "FM", "12.5", " ", "9999"}));
  EXPECT_EQ(SearchActive, kNoSearch);
}

TEST_F(SearchTest, ASearchListThatCannotBeSavedIsSaidFailedAndReported) {
  StartQuietly();
  Find("145.5");
  sound.Clear();
  std::filesystem::permissions(
      "bank00.dat", std::filesystem::perms::owner_read | std::filesystem::perms::group_read);
  DebugFlag = 1;
  ASSERT_EQ(OpenFile(TraceFile, "debug1.dat", "W"), 0);
  ::testing::internal::CaptureStderr();
  EndSearch();
  EXPECT_EQ(sound.Words(), (Words{"1", "failed"}));
  EXPECT_EQ(SearchListUnsaved, 1);
  // The program ends with a search running: no word, the same reports.
  SearchActive = kSearchRunning;
  SaveRunningSearch();
  const std::string errors = ::testing::internal::GetCapturedStderr();
  CloseFile(TraceFile);
  EXPECT_EQ(sound.Words(), (Words{"1", "failed"}));
  EXPECT_EQ(ReadFile("debug1.dat"),
            "search list not saved: bank00.dat\r\nsearch list not saved: bank00.dat\r\n");
  const std::string report = "kestrel: search list not saved: bank00.dat could not be written\n";
  EXPECT_EQ(errors, report + report);
  EXPECT_EQ(ReadFile("bank00.dat"), BankBytes({"Srchbank", "FM", "12.5", " ", "9999"}));
}

TEST_F(SearchTest, EndingWithNoSearchOnlyClearsTheLowerLines) {
  ListState = kListBrowsing;
  SetColour(255);
  EndSearch();
  EXPECT_TRUE(sound.Words().empty());
  EXPECT_FALSE(FileExists("bank00.dat"));
  EXPECT_EQ(ListState, kListBrowsing);

  struct Blanked {
    int x, y;
    std::size_t blanks;
  };
  const Blanked expected[] = {{150, 300, 40}, {0, 350, 80}, {300, 400, 40}, {300, 450, 40}};
  ASSERT_EQ(window.drawn.size(), 4u);
  for (std::size_t i = 0; i < 4; ++i) {
    const auto& drawn = window.drawn[i];
    EXPECT_EQ(drawn.x, expected[i].x);
    EXPECT_EQ(drawn.y, expected[i].y);
    EXPECT_EQ(drawn.text, std::string(expected[i].blanks, ' '));
    EXPECT_EQ(drawn.font.face, "Ariel");
    EXPECT_EQ(drawn.font.points, 70);
    EXPECT_EQ(drawn.colour, 255u);  // the colour is left as it was
  }
}

}  // namespace
}  // namespace kestrel::testing
