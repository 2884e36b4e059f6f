#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <sstream>

#include "display/display.h"
#include "display/screen_map.h"
#include "fakes/kestrel_test.h"
#include "runtime/journal.h"
#include "state/app.h"
#include "state/banks.h"
#include "state/commands.h"
#include "state/controls.h"

namespace kestrel {
namespace {

using fakes::FakeWindowSystem;

class DisplayTest : public fakes::KestrelTest {};

TEST(PrintItems, NumbersAreFollowedByOneBlankAndBytesAreCharacters) {
  EXPECT_EQ(PrintItem(5), "5 ");
  EXPECT_EQ(PrintItem(-12), "-12 ");
  EXPECT_EQ(PrintItem(static_cast<std::int16_t>(-7)), "-7 ");
  EXPECT_EQ(PrintItem(static_cast<std::uint16_t>(65535)), "65535 ");
  EXPECT_EQ(PrintItem(std::uint32_t{4000000000u}), "4000000000 ");
  EXPECT_EQ(PrintItem(std::int64_t{-9000000000}), "-9000000000 ");
  EXPECT_EQ(PrintItem('A'), "A");
  EXPECT_EQ(PrintItem(std::uint8_t{66}), "B");
  EXPECT_EQ(PrintItem(std::int8_t{67}), "C");
}

TEST(PrintItems, FloatingPointHasTwoDecimalsAndABlankForItsSign) {
  EXPECT_EQ(PrintItem(145.5), " 145.50");
  EXPECT_EQ(PrintItem(-0.25), "-0.25");
  EXPECT_EQ(PrintItem(0.0), " 0.00");
  EXPECT_EQ(PrintItem(2.0f), " 2.00");
  EXPECT_EQ(PrintItem(1.0 / 3.0), " 0.33");
}

TEST_F(DisplayTest, ItemsAreJoinedIntoOneTextDrawnAtThePosition) {
  MoveTo(750, 400);
  SetColour(screen::kRed);
  Print(MainWindow, "Found ", 5, 'x', 1.5, Text("end"));
  ASSERT_EQ(window.drawn.size(), 1u);
  EXPECT_EQ(window.drawn[0].text, "Found 5 x 1.50end");
  EXPECT_EQ(window.drawn[0].x, 750);
  EXPECT_EQ(window.drawn[0].y, 400);
  EXPECT_EQ(window.drawn[0].colour, screen::kRed);
}

TEST_F(DisplayTest, ALineEndNeverReachesTheScreen) {
  MoveTo(10, 20);
  Print(MainWindow, "\r\n");
  Print(MainWindow, "\n");
  Print(MainWindow, "");
  EXPECT_TRUE(window.drawn.empty());
  EXPECT_EQ(MainWindow.printX, 10);
  EXPECT_EQ(MainWindow.printY, 20);
  Print(MainWindow, "abc\r\n");
  Print(MainWindow, "de", "\n");
  EXPECT_EQ(window.Texts(), (std::vector<std::string>{"abc", "de"}));
  // Only the end is cut: a line end inside the text is drawn like any other character.
  Print(MainWindow, "a\r\nb");
  EXPECT_EQ(window.drawn.back().text, "a\r\nb");
}

TEST_F(DisplayTest, PrintsWithoutAMoveContinueOnTheSameLine) {
  MoveTo(300, 150);
  Print(MainWindow, "145.5");
  Print(MainWindow, "000", Spaces(2));
  ASSERT_EQ(window.drawn.size(), 2u);
  EXPECT_EQ(window.drawn[1].x, 300 + 5 * FakeWindowSystem::kCharWidth);
  EXPECT_EQ(window.drawn[1].y, 150);
  EXPECT_EQ(MainWindow.printX, 300 + 10 * FakeWindowSystem::kCharWidth);
  MoveTo(0, 30);
  Print(MainWindow, "x");
  EXPECT_EQ(window.drawn[2].x, 0);
  EXPECT_EQ(window.drawn[2].y, 30);
}

TEST_F(DisplayTest, FontAndColourStayCurrentUntilChanged) {
  SetFont("Ariel", 70, 700);
  SetColour(screen::kBlue);
  MoveTo(0, 0);
  Print(MainWindow, "one");
  MoveTo(0, 100);
  Print(MainWindow, "two");
  SetColour(screen::kBlack);
  Print(MainWindow, "three");
  ASSERT_EQ(window.drawn.size(), 3u);
  for (const auto& drawn : window.drawn) {
    EXPECT_EQ(drawn.font.face, "Ariel");
    EXPECT_EQ(drawn.font.points, 70);
    EXPECT_EQ(drawn.font.weight, 700);
  }
  EXPECT_EQ(window.drawn[1].colour, screen::kBlue);
  EXPECT_EQ(window.drawn[2].colour, screen::kBlack);
}

TEST_F(DisplayTest, APrintNamingNoWindowGoesToTheWindowNamedLast) {
  WindowRecord other;
  other.open = true;
  other.printX = 290;
  other.printY = 320;
  Print(other, "first");
  Print("Search Mode Active");
  ASSERT_EQ(window.drawn.size(), 2u);
  EXPECT_EQ(window.drawn[1].x, 290 + 5 * FakeWindowSystem::kCharWidth);
  EXPECT_EQ(other.printX, 290 + 23 * FakeWindowSystem::kCharWidth);
  EXPECT_EQ(MainWindow.printX, 0);
}

TEST_F(DisplayTest, BeforeAnyWindowIsNamedPrintsGoToStandardOutput) {
  ResetDisplayState();
  testing::internal::CaptureStdout();
  Print("no window yet", 7, "\r\n");
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "no window yet7 \n");
  EXPECT_TRUE(window.drawn.empty());
}

TEST_F(DisplayTest, APrintToAClosedWindowDrawsNothing) {
  MainWindow.open = false;
  MoveTo(5, 5);
  Print(MainWindow, "gone");
  EXPECT_TRUE(window.drawn.empty());
  EXPECT_EQ(MainWindow.printX, 5);
}

TEST_F(DisplayTest, SearchSettingsAreDrawnAsOneLineInOrder) {
  SearchStartText = "145";
  StepText = "12.5";
  SearchEndText = "146";
  StopMode = 1;
  SetFont("Ariel", 50, 700);
  SetColour(screen::kBlue);
  ShowSearchSettings();
  ASSERT_EQ(window.drawn.size(), 4u);
  EXPECT_EQ(window.Texts(),
            (std::vector<std::string>{"145" + std::string(10, ' '), "12.5" + std::string(9, ' '),
                                      "STOP", "146" + std::string(8, ' ')}));
  const int xs[] = {80, 300, 500, 750};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(window.drawn[i].x, xs[i]);
    EXPECT_EQ(window.drawn[i].y, 250);
    EXPECT_EQ(window.drawn[i].font.face, "Ariel");
    EXPECT_EQ(window.drawn[i].font.points, 30);
    EXPECT_EQ(window.drawn[i].font.weight, 700);
    EXPECT_EQ(window.drawn[i].colour, screen::kBlack);
  }
  StopMode = 0;
  ShowSearchSettings();
  EXPECT_EQ(window.drawn[6].text, "CONT");
  // The line's font and colour stay current for whatever is printed next.
  Print(MainWindow, "next");
  EXPECT_EQ(window.drawn.back().font.points, 30);
  EXPECT_EQ(window.drawn.back().colour, screen::kBlack);
}

TEST_F(DisplayTest, EveryTextDrawnIsAJournalLine) {
  OpenJournal("journal.txt");
  MoveTo(300, 150);
  SetFont("Ariel", 50, 700);
  SetColour(screen::kBlue);
  Print(MainWindow, "145.5\t");
  Print(MainWindow, "\r\n");
  CloseJournal();
  std::ifstream in("journal.txt");
  std::string line;
  std::vector<std::string> lines;
  while (std::getline(in, line)) lines.push_back(line.substr(line.find('\t')));
  EXPECT_EQ(lines,
            (std::vector<std::string>{"\tPRINT\t300\t150\tAriel\t50\t700\t16711680\t145.5\\t"}));
}

}  // namespace
}  // namespace kestrel
