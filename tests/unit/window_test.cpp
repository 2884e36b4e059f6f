#include <gtest/gtest.h>

#include <fstream>
#include <vector>

#include "display/display.h"
#include "fakes/kestrel_test.h"
#include "runtime/journal.h"
#include "runtime/platform/listening_wait.h"
#include "runtime/window.h"
#include "state/app.h"

namespace kestrel {
namespace {

using platform::WindowEvent;

struct SeenEvent {
  int message;
  int code;
  int data;
  bool operator==(const SeenEvent&) const = default;
};

std::vector<SeenEvent> seen;
// What the handler does besides recording: nothing, dispatch once more, or close the window.
enum class Reaction { kRecord, kDispatchNested, kCloseOnFirst };
Reaction reaction = Reaction::kRecord;
std::vector<SeenEvent> seenAfterNested;

void RecordEvent() {
  seen.push_back({EventMessage, EventCode, EventData});
  switch (reaction) {
    case Reaction::kRecord: break;
    case Reaction::kDispatchNested:
      reaction = Reaction::kRecord;
      DispatchEvent(MainWindow, 275, 1, 9);
      seenAfterNested.push_back({EventMessage, EventCode, EventData});
      break;
    case Reaction::kCloseOnFirst: CloseWindow(MainWindow); break;
  }
}

class WindowTest : public fakes::KestrelTest {
 protected:
  void SetUp() override {
    KestrelTest::SetUp();
    seen.clear();
    seenAfterNested.clear();
    reaction = Reaction::kRecord;
  }

  void Open() {
    ASSERT_EQ(OpenWindow(MainWindow, 250, 100, 950, 500, 0x20000, nullptr, "caption", RecordEvent),
              1);
  }

  std::vector<std::string> JournalLines() {
    std::ifstream in("journal.txt");
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
      lines.push_back(line.substr(line.find('\t') + 1));
    return lines;
  }
};

TEST_F(WindowTest, OpeningGivesAFreshRecordThatDrawingGoesTo) {
  window.Close();
  MainWindow = WindowRecord{};
  MainWindow.printX = 77;
  MainWindow.font = {"Ariel", 50, 700};
  MainWindow.colour = 0xff;
  WindowRecord other;
  NameWindow(other);
  Open();
  EXPECT_TRUE(window.open);
  EXPECT_EQ((std::vector<int>{window.x, window.y, window.width, window.height}),
            (std::vector<int>{250, 100, 950, 500}));
  EXPECT_EQ(window.caption, "caption");
  EXPECT_EQ(MainWindow.printX, 0);
  EXPECT_EQ(MainWindow.font.points, 0);
  EXPECT_EQ(MainWindow.colour, 0u);
  Print("title");
  ASSERT_EQ(window.drawn.size(), 1u);
  EXPECT_EQ(window.drawn[0].font.points, 0);
}

TEST_F(WindowTest, AWindowThatCannotOpenLeavesTheRecordEmpty) {
  platform::InstallWindowSystem(nullptr);
  EXPECT_EQ(OpenWindow(MainWindow, 250, 100, 950, 500, 0, nullptr, "c", RecordEvent), 0);
  EXPECT_FALSE(MainWindow.open);
  StartTimer(MainWindow, 100, 1);
  StopTimer(MainWindow, 1);
  CloseWindow(MainWindow);
  // With no window no event can ever come: the program is asked to close instead of
  // waiting forever.
  ProcessEvents(0);
  EXPECT_EQ(seen, (std::vector<SeenEvent>{{32770, 0, 0}}));
}

TEST_F(WindowTest, TimerAndCloseActOnlyOnAnOpenWindow) {
  Open();
  StartTimer(MainWindow, 100, 1);
  EXPECT_TRUE(window.timerRunning);
  EXPECT_EQ(window.timerPeriodMs, 100);
  EXPECT_EQ(window.timerNumber, 1);
  StopTimer(MainWindow, 1);
  EXPECT_FALSE(window.timerRunning);
  OpenJournal("journal.txt");
  CloseWindow(MainWindow);
  CloseWindow(MainWindow);
  StartTimer(MainWindow, 100, 1);
  CloseJournal();
  EXPECT_EQ(window.closeCount, 1);
  EXPECT_FALSE(window.timerRunning);
  EXPECT_FALSE(MainWindow.open);
  EXPECT_EQ(JournalLines(), (std::vector<std::string>{"CLOSE"}));
}

TEST_F(WindowTest, EveryQueuedEventReachesTheHandlerInOrder) {
  Open();
  window.QueueBatch({{256, 65, 0}, {275, 1, 0}, {257, 65, 0}, {32770, 0, 0}});
  window.QueueBatch({{275, 1, 0}});
  OpenJournal("journal.txt");
  ProcessEvents(0);
  CloseJournal();
  EXPECT_EQ(seen, (std::vector<SeenEvent>{{256, 65, 0}, {275, 1, 0}, {257, 65, 0}, {32770, 0, 0}}));
  EXPECT_EQ(JournalLines(), (std::vector<std::string>{"KEY\tdown\t65", "KEY\tup\t65"}));
  ProcessEvents(0);
  EXPECT_EQ(seen.size(), 5u);
}

int served_during_words = 0;
bool listening_when_served = false;
void ServeDuringWords() {
  ++served_during_words;
  listening_when_served = ListeningDuringWord();
}
void ServeBetweenWords() { ADD_FAILURE() << "served while a word was heard"; }

// While a word is heard, keys and the close request wait for the loop and only the
// descriptors watched during words are served; a key heard then is counted once, its
// auto-repeat not.
TEST_F(WindowTest, AWordsWaitServesOnlyItsDescriptorsAndKeepsWindowEventsForTheLoop) {
  Open();
  served_during_words = 0;
  WatchReadable(5, ServeDuringWords, true);
  WatchReadable(6, ServeBetweenWords);
  window.inputBatches.push_back({{256, 65, 0}, {platform::kEventReadable, 5, 0}});
  window.inputBatches.push_back({{256, 65, 0}, {257, 65, 0}, {32770, 0, 0}});
  const int heardBefore = KeyPressesHeardDuringWords();
  platform::WaitListeningMs(5);
  EXPECT_EQ(window.inputFds, std::vector<int>{5});
  EXPECT_EQ(served_during_words, 1);
  EXPECT_TRUE(listening_when_served);
  EXPECT_FALSE(ListeningDuringWord());
  EXPECT_TRUE(seen.empty());
  EXPECT_EQ(KeyPressesHeardDuringWords(), heardBefore + 1);
  window.QueueBatch({{275, 1, 0}});
  ProcessEvents(0);
  EXPECT_EQ(seen, (std::vector<SeenEvent>{
                      {256, 65, 0}, {256, 65, 0}, {257, 65, 0}, {32770, 0, 0}, {275, 1, 0}}));
}

TEST_F(WindowTest, EventsAfterTheHandlerClosedTheWindowAreNotDelivered) {
  Open();
  reaction = Reaction::kCloseOnFirst;
  window.QueueBatch({{256, 81, 0}, {257, 81, 0}});
  ProcessEvents(0);
  EXPECT_EQ(seen, (std::vector<SeenEvent>{{256, 81, 0}}));
}

TEST_F(WindowTest, TheEventVariablesHoldTheEventOnlyWhileItIsHandled) {
  Open();
  EventMessage = 1;
  EventCode = 2;
  EventData = 3;
  reaction = Reaction::kDispatchNested;
  DispatchEvent(MainWindow, 256, 40, 7);
  // The handler saw its own event, then the nested one; after the nested dispatch it finds
  // its own event again, and the caller finds what it had before.
  EXPECT_EQ(seen, (std::vector<SeenEvent>{{256, 40, 7}, {275, 1, 9}}));
  EXPECT_EQ(seenAfterNested, (std::vector<SeenEvent>{{256, 40, 7}}));
  EXPECT_EQ((std::vector<int>{EventMessage, EventCode, EventData}), (std::vector<int>{1, 2, 3}));
}

}  // namespace
}  // namespace kestrel
