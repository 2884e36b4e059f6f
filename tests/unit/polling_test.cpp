#include <gtest/gtest.h>

#include "polling_fixture.h"
#include "speech/speech.h"
#include "state/commands.h"
#include "state/key_codes.h"

namespace kestrel {
namespace {

// Keypad digits mean nothing to the command entry, so handing them over has no side effects.
constexpr int kKeypad1 = 97, kKeypad2 = 98, kKeypad3 = 99;
constexpr int kMarker = keys::kReplyMarker;

std::vector<int> QueuedKeys() { return {KeyQueue, KeyQueue + KeyQueueCount}; }

TEST_F(PollingTest, QueuedKeysAreHandedOverOnePerTickBeforeTheLevelPollResumes) {
  for (int key : {kKeypad1, kKeypad2, kKeypad3}) {
    Press(key);
    Release(key);
  }
  const std::vector<int> entries{kKeypad1, kMarker, kKeypad2, kMarker, kKeypad3, kMarker};
  EXPECT_EQ(QueuedKeys(), entries);

  std::vector<int> handed;
  for (int tick = 0; tick < 6; ++tick) {
    Tick();
    handed.push_back(KeyCode);
    EXPECT_EQ(PollState, kServeKeys);
  }
  EXPECT_EQ(handed, entries);
  EXPECT_EQ(line->written, "");
  Tick();  // the queue is found empty
  Tick();
  EXPECT_EQ(line->written, "LM\r");
}

TEST_F(PollingTest, AHeldKeyIsQueuedOnceAndASecondKeyWhileItIsDownIsIgnored) {
  Press('A');
  Press('A');  // auto-repeat
  Press('B');
  EXPECT_EQ(QueuedKeys(), (std::vector<int>{'A', kMarker}));
  KeyCode = 'A';
  Release('A');
  EXPECT_EQ(KeyHeld, 0);
  EXPECT_EQ(KeyCode, keys::kNoKey);
  Press('A');
  EXPECT_EQ(QueuedKeys(), (std::vector<int>{'A', kMarker, 'A', kMarker}));
}

// Typed through the window's event loop: more presses than the queue holds wait in the
// window's events, keep their order, and an auto-repeat among them stays suppressed.
TEST_F(PollingTest, TypeAheadBeyondTheQueueWaitsAndEveryPressIsHandedOverInOrder) {
  ASSERT_EQ(OpenWindow(MainWindow, 0, 0, 100, 100, 0, nullptr, "", HandleWindowEvent), 1);
  std::vector<platform::WindowEvent> typed;
  std::vector<int> expected;
  for (int i = 0; i < 30; ++i) {
    const int key = 96 + i % 10;
    typed.push_back({256, key, 0});
    if (i == 12) typed.push_back({256, key, 0});  // auto-repeat
    typed.push_back({257, key, 0});
    expected.insert(expected.end(), {key, kMarker});
  }
  window.QueueBatch(typed);
  ProcessEvents(0);
  EXPECT_EQ(KeyQueueCount, kKeyQueueSize);
  std::vector<int> handed;
  for (int tick = 0; tick < 60; ++tick) {
    window.QueueBatch({{275, 1, 0}});
    ProcessEvents(0);
    handed.push_back(KeyCode);
  }
  EXPECT_EQ(handed, expected);
  EXPECT_EQ(KeyQueueCount, 0);
}

TEST_F(PollingTest, TheCloseRequestEndsTheLoopAndOtherEventsAreIgnored) {
  Send(512, 'A');  // not one of the window's four events
  EXPECT_EQ(KeyQueueCount, 0);
  EXPECT_EQ(RunFlag, 1);
  Send(32770);
  EXPECT_EQ(RunFlag, 0);
  EXPECT_EQ(KeyQueueCount, 0);
  EXPECT_EQ(PollState, kServeKeys);
}

TEST_F(PollingTest, LevelRepliesDrawTheBarInGreenAndLeaveBlack) {
  const std::string end = ">" + std::string(17, ' ');
  struct Case {
    const char* reply;
    std::string bar;
    int scanning;
  } cases[] = {
      {"LM%000", ">" + std::string(26, ' '), 1},
      {"LM 120", std::string(10, '*') + end, 0},
      {"LC 110 MA05", std::string(10, '*') + end, 0},  // 110 + 10 = 120
      {"LM 011", end, 0},
      {"LM 216", std::string(18, '*') + end, 0},
      {"LM 255", std::string(18, '*') + end, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.reply);
    window.drawn.clear();
    LevelPoll(c.reply);
    ASSERT_EQ(window.drawn.size(), 1u);
    const auto& drawn = window.drawn[0];
    EXPECT_EQ(drawn.text, c.bar);
    EXPECT_EQ(drawn.x, 320);
    EXPECT_EQ(drawn.y, 30);
    EXPECT_EQ(drawn.colour, 0xff00u);
    EXPECT_EQ(drawn.font.face, "Ariel");
    EXPECT_EQ(drawn.font.points, 30);
    EXPECT_EQ(drawn.font.weight, 700);
    EXPECT_EQ(ReceiverScanning, c.scanning);
    EXPECT_EQ(MainWindow.colour, 0u);
    EXPECT_EQ(PollState, kServeKeys);
  }
}

TEST_F(PollingTest, AReplyThatIsNoLevelDividesThePreviousLevelAgain) {
  LevelPoll("LM 240");
  EXPECT_EQ(SignalLevel, 20);
  LevelPoll("VS RF0145500000 ST012500");
  EXPECT_EQ(SignalLevel, 1);
  EXPECT_EQ(DrawnAt(320, 30).back(), "*>" + std::string(17, ' '));
}

TEST_F(PollingTest, NoUsableReplyLeavesTheBarAndTheScanningFlag) {
  LevelPoll("LM%000");
  window.drawn.clear();
  LevelPoll("");
  LevelPoll("garbage");
  EXPECT_TRUE(DrawnAt(320, 30).empty());
  EXPECT_EQ(ReceiverScanning, 1);
  EXPECT_EQ(PollState, kServeKeys);
}

TEST_F(PollingTest, TheSignalLevelIsSpokenAsSAndOneDigitWithPlusAboveNine) {
  const std::pair<int, std::vector<std::string>> cases[] = {
      {0, {"s", "0"}}, {9, {"s", "9"}}, {12, {"s", "9", "plus"}}};
  for (const auto& [level, words] : cases) {
    sound.Clear();
    SignalLevel = level;
    SpeakSignalLevel();
    EXPECT_EQ(sound.Words(), words) << level;
  }
}

}  // namespace
}  // namespace kestrel
