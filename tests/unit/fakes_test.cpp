// The recording fakes every unit test reads its results from: what each one records.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fakes/fake_capture.h"
#include "fakes/fake_clock.h"
#include "fakes/fake_sound.h"
#include "fakes/fake_window.h"

namespace kestrel::fakes {
namespace {

using platform::WindowEvent;

TEST(FakeWindowSystemTest, RecordsTheWindowItsTextsAndItsTimerAndHandsOutQueuedBatches) {
  FakeWindowSystem window;
  const platform::FontSpec font{"Ariel", 24, 700};
  EXPECT_EQ(window.DrawText(1, 2, font, 0xff, "before"), 0);  // nothing is drawn while closed

  ASSERT_TRUE(window.Open(250, 100, 950, 500, "caption"));
  EXPECT_TRUE(window.IsOpen());
  EXPECT_EQ(window.openCount, 1);
  EXPECT_EQ(std::vector<int>({window.x, window.y, window.width, window.height}),
            std::vector<int>({250, 100, 950, 500}));
  EXPECT_EQ(window.caption, "caption");

  EXPECT_EQ(window.DrawText(300, 150, font, 0xff0000, "145.0"), 5 * FakeWindowSystem::kCharWidth);
  EXPECT_EQ(window.DrawText(0, 0, font, 0, ""), 0);
  window.DrawText(10, 20, {}, 0xff00, "ok");
  ASSERT_EQ(window.drawn.size(), 2u);
  const DrawnText& first = window.drawn[0];
  EXPECT_EQ(std::vector<int>({first.x, first.y, first.font.points, first.font.weight}),
            std::vector<int>({300, 150, 24, 700}));
  EXPECT_EQ(first.font.face, "Ariel");
  EXPECT_EQ(first.colour, 0xff0000u);
  EXPECT_EQ(window.Texts(), (std::vector<std::string>{"145.0", "ok"}));

  window.StartTimer(100, 1);
  EXPECT_TRUE(window.timerRunning);
  EXPECT_EQ(window.timerPeriodMs, 100);
  EXPECT_EQ(window.timerNumber, 1);

  window.QueueBatch({{platform::kEventKeyDown, 65}, {platform::kEventKeyUp, 65}});
  window.QueueBatch({{platform::kEventTimer, 1}});
  EXPECT_EQ(window.WaitEvents().size(), 2u);
  const std::vector<WindowEvent> second = window.WaitEvents();
  ASSERT_EQ(second.size(), 1u);
  EXPECT_EQ(second[0].code, platform::kEventTimer);
  EXPECT_TRUE(window.WaitEvents().empty());

  window.Close();
  window.Close();
  EXPECT_FALSE(window.IsOpen());
  EXPECT_FALSE(window.timerRunning);
  EXPECT_EQ(window.closeCount, 1);
}

TEST(FakeSoundPlayerTest, RecordsEveryPlayAndReportsMissingFilesAndStopsAsNothingPlayed) {
  FakeSoundPlayer sound;
  sound.missing = {"wave\\gone"};
  EXPECT_EQ(sound.Play("wave\\scan", true), "wave\\scan");
  EXPECT_EQ(sound.Play("wave\\gone", false), "");
  EXPECT_EQ(sound.Play("", false), "");
  EXPECT_EQ(sound.Play("wave\\shdel", false), "wave\\shdel");
  EXPECT_EQ(sound.Play("beep", false), "beep");

  EXPECT_EQ(sound.Paths(),
            (std::vector<std::string>{"wave\\scan", "wave\\gone", "", "wave\\shdel", "beep"}));
  EXPECT_TRUE(sound.played[0].background);
  EXPECT_FALSE(sound.played[1].background);
  EXPECT_EQ(sound.Words(), (std::vector<std::string>{"scan", "gone", "", "beep"}));
  EXPECT_EQ(sound.Words(true), (std::vector<std::string>{"scan", "gone", "", "shdel", "beep"}));

  sound.Clear();
  EXPECT_TRUE(sound.Paths().empty());
}

TEST(FakeSoundCaptureTest, OpensOnlyItsInputsAndFeedsTheOpenOneUntilClosed) {
  FakeSoundCapture capture;
  std::size_t taken = 0;
  const platform::CaptureSink sink = [&taken](const std::int16_t*, std::size_t count) {
    taken += count;
  };
  EXPECT_FALSE(capture.Open("USB Audio", 16000, sink).empty());
  EXPECT_FALSE(capture.Feed(100));
  EXPECT_EQ(capture.Open("Line In", 16000, sink), "");
  EXPECT_TRUE(capture.Feed(100));
  EXPECT_EQ(taken, 100u);
  capture.Close();
  EXPECT_FALSE(capture.Feed(100));
  EXPECT_EQ(capture.opened, (std::vector<std::string>{"", "Line In@16000"}));
  EXPECT_EQ(capture.closes, 1);
}

TEST(FakeClockTest, TheInstalledClockShowsWhatTheTestSets) {
  FakeClock clock;
  platform::InstallClock(&clock);
  clock.now = {2027, 2, 28, 23, 59, 58};
  const platform::LocalTime now = platform::GetClock().Now();
  platform::InstallClock(nullptr);
  EXPECT_EQ(std::vector<int>({now.year, now.month, now.day, now.hour, now.minute, now.second}),
            std::vector<int>({2027, 2, 28, 23, 59, 58}));
}

}  // namespace
}  // namespace kestrel::fakes
