#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>
#include <sstream>
#include <string>
#include <vector>

#include "link/link_recovery.h"
#include "polling_fixture.h"
#include "state/banks.h"
#include "state/commands.h"
#include "state/controls.h"
#include "state/key_codes.h"

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
  int OpenAttempts() const {
    return static_cast<int>(ports.OpenAttempts().size() + ports.ReopenAttempts().size());
  }
  void TypeKeys(std::initializer_list<int> codes) {
    for (const int code : codes) {
      Press(code);
      Release(code);
      Tick();
    }
  }
};

TEST_F(LinkWatchTest, ALostLinkIsSaidEndsTheSearchServesKeysAndIsTakenBackOnceASecond) {
  // A search runs with one find when the adapter is pulled.
  SearchActive = kSearchRunning;
  FoundCount = 1;
  BankFileName = "bank00.dat";
  ListLines[0] = "Srchbank";
  ListLines[4] = "145.1";
  ListLines[5] = " ";
  ListLines[6] = EndMarker;
  PollState = kReadLevel;
  line->vanished = true;
  Tick();
  EXPECT_EQ(sound.Words(), (std::vector<std::string>{"lost", "1"}));
  EXPECT_EQ(SearchActive, kNoSearch);
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
  line->Answer("LM\r", "LM 048\r\n");
  FrequencyEntryFresh = 1;
  FrequencyText = "145.5";
  Forget();
  EXPECT_GT(TicksUntil([&] { return !sound.Words().empty(); }, 12), 0);
  EXPECT_EQ(sound.Words(), std::vector<std::string>{"connected"});
  EXPECT_EQ(line->TakeWritten(), "LM\rVA0145.50000\rMD2\rST025000\rAT0\r");
  EXPECT_EQ(DrawnAt(270, 320).back(), std::string(26, ' '));
  EXPECT_EQ(LinkCondition, kLinkWorking);
  Tick();
  Tick();
  EXPECT_EQ(line->written, "LM\r");  // polling goes on
}

TEST_F(LinkWatchTest, OnlyWhatWasOpenIsOpenedAgainAndCommandsForALostReceiverAreNotTraced) {
  // The COM1 link goes with its device; a plain open of the name would now reach another
  // device, as /dev/ttyS0 stands behind a COM1 link that has gone.
  fakes::FakeLine& other = ports.Add("ttyS0");
  ports.fallback = "ttyS0";
  DebugFlag = 1;
  ASSERT_EQ(OpenFile(TraceFile, "debug1.dat", "W"), 0);
  line->vanished = true;
  line->removed = true;
  Tick();
  // Commands for the lost receiver (a typed frequency, the attenuator) are dropped.
  TypeKeys({'1', '4', '6', keys::kEnter, keys::Letter('A')});
  for (int tick = 0; tick < 35; ++tick) Tick();  // three and a half seconds of attempts
  EXPECT_EQ(other.opens, 0);
  EXPECT_EQ(other.written, "");
  EXPECT_GE(ports.ReopenAttempts().size(), 3u);
  EXPECT_EQ(ports.OpenAttempts(), std::vector<std::string>{"COM1"});  // the start's own

  // The link is there again: it is opened, and the receiver answers.
  line->vanished = false;
  line->removed = false;
  line->Answer("LM\r", "LM 048\r\n");
  EXPECT_GT(TicksUntil([&] { return LinkCondition == kLinkWorking; }, 12), 0);
  CloseFile(TraceFile);
  EXPECT_EQ(other.opens, 0);
  std::vector<std::string> trace;
  std::istringstream in(ReadFile("debug1.dat"));
  for (std::string text; std::getline(in, text, '\r');) {
    if (!text.empty() && text.front() == '\n') text.erase(0, 1);
    if (text.starts_with("TX=") || text.starts_with("receiver")) trace.push_back(text);
  }
  ASSERT_GE(trace.size(), 4u);
  EXPECT_EQ(trace[0], "receiver lost");
  EXPECT_EQ(trace[1], "receiver lost: not sent, nor any command until it is back: VA0146000000");
  EXPECT_EQ(trace[2], "TX= LM");  // the reopened port's question, then the panel's state
  EXPECT_EQ(trace[3], "TX= VA0146.00000");
  EXPECT_EQ(std::count_if(trace.begin(), trace.end(),
                          [](const std::string& t) { return t.starts_with("receiver lost"); }),
            2);
}

TEST_F(LinkWatchTest, AReopenedPortThatStaysSilentIsClosedAndTriedAgain) {
  line->vanished = true;
  Tick();
  line->vanished = false;  // the device is there, the receiver does not answer
  EXPECT_GT(TicksUntil([&] { return LinkCondition == kLinkReopened; }, 10), 0);
  EXPECT_GT(TicksUntil([&] { return LinkCondition == kLinkLost; }, 10), 0);
  EXPECT_EQ(sound.Words(), std::vector<std::string>{"lost"});
  EXPECT_EQ(line->open, false);
  EXPECT_GT(TicksUntil([&] { return LinkCondition == kLinkReopened; }, 10), 0);
}

}  // namespace
}  // namespace kestrel
