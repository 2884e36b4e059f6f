#include <gtest/gtest.h>

#include "polling_fixture.h"

namespace kestrel {
namespace {

constexpr int kPortHandle = 42;

class PromptTicksTest : public PollingTest {
 protected:
  void SetUp() override {
    PollingTest::SetUp();
    ASSERT_EQ(OpenWindow(MainWindow, 250, 100, 950, 500, 0, nullptr, "panel", HandleWindowEvent),
              1);
    line->waitHandle = kPortHandle;
  }
  void Type(int key) {
    Press(key);
    Release(key);
  }
  // The port's descriptor turns readable and the event loop hands that on.
  void PortReadable() {
    window.QueueBatch({{platform::kEventReadable, kPortHandle, 0}});
    ProcessEvents(0);
  }
};

TEST_F(PromptTicksTest, AKeyAtRestIsServedAtOnceAndBehindALevelRequestOnceTheReplyIsWhole) {
  // Nothing awaits a reply: the key's tick comes at once; the tick that reads its answer
  // keeps the beat.
  Type('1');
  EXPECT_EQ(window.ticksBroughtForward, 1);
  Tick();
  EXPECT_EQ(sound.Words(), std::vector<std::string>{"1"});
  Tick();
  EXPECT_EQ(window.ticksBroughtForward, 1);

  // The level request is out: the key waits until the whole reply has come, the reply is
  // read on the tick that follows, and the key's tick follows that at once.
  Tick();
  Tick();
  ASSERT_EQ(line->TakeWritten(), "LM\r");
  Type('2');
  EXPECT_EQ(window.ticksBroughtForward, 1);
  EXPECT_EQ(window.watched, std::vector<int>{kPortHandle});
  line->Feed("LM 1");
  PortReadable();
  EXPECT_EQ(window.ticksBroughtForward, 1);
  line->Feed("20\r\n");
  PortReadable();
  EXPECT_EQ(window.ticksBroughtForward, 2);
  EXPECT_TRUE(window.watched.empty());
  Tick();
  EXPECT_EQ(DrawnAt(320, 30).back(), "**********>                 ");
  EXPECT_EQ(window.ticksBroughtForward, 3);
  Tick();
  EXPECT_EQ(sound.Words(), (std::vector<std::string>{"1", "2"}));

  // Woken with nothing new, the key stops hurrying: the reply is read on its own beat.
  Tick();
  Tick();
  Tick();
  ASSERT_EQ(line->TakeWritten(), "LM\r");
  Type('3');
  PortReadable();
  EXPECT_TRUE(window.watched.empty());
  line->Feed("LM 120\r\n");
  Tick();
  EXPECT_EQ(window.ticksBroughtForward, 3);
}

}  // namespace
}  // namespace kestrel
