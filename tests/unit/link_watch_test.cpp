#include <gtest/gtest.h>

#include "link/link_recovery.h"
#include "polling_fixture.h"
#include "state/banks.h"
#include "state/commands.h"
#include "state/controls.h"

namespace kestrel {
namespace {

class LinkWatchTest : public PollingTest {
 protected:
  void SetUp() override {
    PollingTest::SetUp();
    BaudRate = 9600;
    FrequencyText = "145.5";
    FrequencyEntryFresh = 1;
    ModeText = "AM";
    StepText = "25";
    AttenuatorOn = 0;
  }
  // Ticks until the condition holds; the ticks it took, or -1 after `most`.
  template <typename Condition>
  int TicksUntil(Condition done, int most) {
    for (int tick = 1; tick <= most; ++tick) {
      Tick();
      if (done()) return tick;
    }
    return -1;
  }
  int OpenAttempts() const { return static_cast<int>(ports.OpenAttempts().size()); }
};

TEST_F(LinkWatchTest, ALostLinkIsSaidEndsTheSearchServesKeysAndIsTakenBackOnceASecond) {
  // A search runs with one find when the adapter is pulled.
  SearchActive = 1;
  FoundCount = 1;
  BankFileName = "bank00.dat";
  ListLines[0] = "Srchbank";
  ListLines[4] = "145.1";
  ListLines[5] = " ";
  ListLines[6] = EndMarker;
  PollState = 2;
  line->vanished = true;
  Tick();
  EXPECT_EQ(sound.Words(), (std::vector<std::string>{"lost", "1"}));
  EXPECT_EQ(SearchActive, 0);
  EXPECT_EQ(ReadFile("bank00.dat"), "Srchbank\r\n\r\n\r\n\r\n145.1\r\n \r\n9999\r\n");
  EXPECT_EQ(DrawnAt(270, 320).back(), "   *** RECEIVER LOST ***  ");
  EXPECT_EQ(line->closes, 1);

  // Keys are still answered; nothing is asked of the lost receiver. The device stays
  // away: the reopened port is found gone at once, and tried again a second later.
  Forget();
  const int attemptsBefore = OpenAttempts();
  Press('1');
  Release('1');
  for (int tick = 0; tick < 25; ++tick) Tick();
  EXPECT_EQ(sound.Words(), std::vector<std::string>{"1"});
  EXPECT_EQ(OpenAttempts() - attemptsBefore, 2);
  EXPECT_EQ(line->written, "");

  // The adapter is back and the receiver answers its level request: "connected", and the
  // receiver is given the panel's state.
  line->vanished = false;
  line->onWrite = [](fakes::FakeLine& self, const std::string& block) {
    if (block == "LM\r") self.Feed("LM 048\r\n");
  };
  FrequencyEntryFresh = 1;
  FrequencyText = "145.5";
  Forget();
  EXPECT_GT(TicksUntil([&] { return !sound.Words().empty(); }, 12), 0);
  EXPECT_EQ(sound.Words(), std::vector<std::string>{"connected"});
  EXPECT_EQ(line->TakeWritten(), "LM\rVA0145.50000\rMD2\rST025000\rAT0\r");
  EXPECT_EQ(DrawnAt(270, 320).back(), std::string(26, ' '));
  EXPECT_EQ(LinkLost, kLinkWorking);
  Tick();
  Tick();
  EXPECT_EQ(line->written, "LM\r");  // polling goes on
}

TEST_F(LinkWatchTest, AReopenedPortThatStaysSilentIsClosedAndTriedAgain) {
  line->vanished = true;
  Tick();
  line->vanished = false;  // the device is there, the receiver does not answer
  EXPECT_GT(TicksUntil([&] { return LinkLost == kLinkReopened; }, 10), 0);
  EXPECT_GT(TicksUntil([&] { return LinkLost == kLinkLost; }, 10), 0);
  EXPECT_EQ(sound.Words(), std::vector<std::string>{"lost"});
  EXPECT_EQ(line->open, false);
  EXPECT_GT(TicksUntil([&] { return LinkLost == kLinkReopened; }, 10), 0);
}

}  // namespace
}  // namespace kestrel
