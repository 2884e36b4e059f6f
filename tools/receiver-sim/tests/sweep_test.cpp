#include "receiver_fixture.h"

namespace kestrel::sim {
namespace {

constexpr const char* kDone = "\r\n";

// A search from 145.000 to 145.100 MHz in 12.5 kHz steps: 145.025 is the third step.
class SearchTest : public ReceiverTest {
 protected:
  void StartSearch() {
    Ask("VA0145000000");
    Ask("VB0145100000");
    ASSERT_EQ(Ask("VS"), kDone);
  }
  std::string Searched() { return Ask("RX").substr(0, 15); }
};

TEST_F(SearchTest, MovesOneStepEverySearchStepAndWrapsPastVfoB) {
  StartSearch();
  EXPECT_EQ(Searched(), "VS RF0145000000");
  Wait(49);
  EXPECT_EQ(Searched(), "VS RF0145000000");
  Wait(1);
  EXPECT_EQ(Searched(), "VS RF0145012500");
  Wait(7 * 50);
  EXPECT_EQ(Searched(), "VS RF0145100000");
  Wait(50);
  EXPECT_EQ(Searched(), "VS RF0145000000");
  EXPECT_EQ(Ask("LM"), "LM%000\r\n");
}

TEST_F(SearchTest, RunsDownwardsWhenVfoBIsBelowVfoA) {
  Ask("VA0145100000");
  Ask("VB0145000000");
  Ask("VS");
  Wait(50);
  EXPECT_EQ(Searched(), "VS RF0145087500");
}

TEST_F(SearchTest, HaltsOnASignalAndShowsItsLevelWithTheFlagBlank) {
  scenario_.Add({145'025'000, 120, 0, kNever});
  StartSearch();
  Wait(100);
  EXPECT_EQ(Ask("LM"), "LM 120\r\n");
  EXPECT_EQ(Ask("RX"), "VS RF0145025000 ST012500 AU0 MD1 AT0\r\n");
  EXPECT_TRUE(receiver().Halted());
  Wait(5000);
  EXPECT_EQ(Searched(), "VS RF0145025000");
}

TEST_F(SearchTest, SignalBelowTheSquelchDoesNotHaltIt) {
  options_.squelch = 121;
  scenario_.Add({145'025'000, 120, 0, kNever});
  StartSearch();
  Wait(100);
  EXPECT_EQ(Ask("LM"), "LM%120\r\n");
  Wait(50);
  EXPECT_EQ(Searched(), "VS RF0145037500");
}

TEST_F(SearchTest, UpByteSendsAHaltedSearchOnAtOnce) {
  scenario_.Add({145'025'000, 120, 0, kNever});
  StartSearch();
  Wait(100);
  EXPECT_EQ(Up(), "");
  EXPECT_EQ(Searched(), "VS RF0145037500");
  EXPECT_EQ(Ask("LM"), "LM%000\r\n");
  Wait(49);
  EXPECT_EQ(Searched(), "VS RF0145037500");
  Wait(1);
  EXPECT_EQ(Searched(), "VS RF0145050000");
}

TEST_F(SearchTest, GoesOnAfterTheSignalHasEndedForTheResumeTime) {
  scenario_.Add({145'025'000, 120, 0, 1000});
  StartSearch();
  Wait(100);
  Wait(899);
  EXPECT_EQ(Ask("LM"), "LM 120\r\n");
  Wait(1);  // the signal ends at 1000
  EXPECT_EQ(Ask("LM"), "LM%000\r\n");
  Wait(1999);
  EXPECT_EQ(Searched(), "VS RF0145025000");
  Wait(1);
  EXPECT_EQ(Searched(), "VS RF0145037500");
  EXPECT_FALSE(receiver().Halted());
}

TEST_F(SearchTest, SignalBackWithinTheResumeTimeKeepsItHalted) {
  scenario_.Add({145'025'000, 120, 0, 1000});
  scenario_.Add({145'025'000, 90, 1500, kNever});
  StartSearch();
  Wait(3500);
  EXPECT_EQ(Ask("LM"), "LM 090\r\n");
  EXPECT_EQ(Searched(), "VS RF0145025000");
}

TEST_F(SearchTest, PauseSendsItOnWhileTheSignalLasts) {
  options_.pauseMs = 300;
  scenario_.Add({145'025'000, 120, 0, kNever});
  StartSearch();
  Wait(399);
  EXPECT_EQ(Searched(), "VS RF0145025000");
  Wait(1);
  EXPECT_EQ(Searched(), "VS RF0145037500");
}

TEST_F(SearchTest, CatchesUpAfterALongSilenceWithoutMissingASignal) {
  scenario_.Add({145'075'000, 120, 0, kNever});
  StartSearch();
  Wait(10'000);
  EXPECT_EQ(Searched(), "VS RF0145075000");
}

TEST_F(SearchTest, VfoOrMemoryCommandsEndIt) {
  Store({'A', 0}, 146'000'000);
  for (const char* end : {"VA", "VB", "MRA00", "MSA", "VA0145000000"}) {
    Ask("VA0145000000");
    Ask("VB0145100000");
    Ask("VS");
    Wait(100);
    EXPECT_EQ(Ask(end), kDone) << end;
    EXPECT_NE(Ask("RX").substr(0, 2), "VS") << end;
    Wait(100);
    EXPECT_NE(Ask("RX").substr(0, 2), "VS") << end;
  }
}

TEST_F(SearchTest, LevelReportsTellWhenTheSquelchOpensAndCloses) {
  scenario_.Add({145'025'000, 87, 0, 1000});
  Ask("LC1");
  StartSearch();
  EXPECT_EQ(Wait(100), "LC087 VS RF0145025000\r\n");
  EXPECT_EQ(Wait(1000), "LC%000 VS\r\n");
}

class ScanTest : public ReceiverTest {
 protected:
  void SetUp() override {
    Store({'A', 2}, 145'200'000);
    Store({'A', 5}, 145'500'000);
    Store({'A', 7}, 145'700'000, 1);  // passed
    Store({'A', 9}, 145'900'000);
    Store({'B', 0}, 146'000'000);
  }
  std::string Scanned() { return Ask("RX").substr(0, 8); }
};

TEST_F(ScanTest, VisitsTheFilledChannelsNotPassedForTheChannelTimeEach) {
  EXPECT_EQ(Ask("MSA"), kDone);
  EXPECT_EQ(Scanned(), "MS MXA02");
  EXPECT_EQ(Ask("LM"), "LM%000\r\n");
  Wait(99);
  EXPECT_EQ(Scanned(), "MS MXA02");
  Wait(1);
  EXPECT_EQ(Scanned(), "MS MXA05");
  Wait(100);
  EXPECT_EQ(Scanned(), "MS MXA09");
  Wait(100);
  EXPECT_EQ(Scanned(), "MS MXA02");
}

TEST_F(ScanTest, HaltsOnAChannelWithASignalAndReportsItUnasked) {
  scenario_.Add({145'500'000, 87, 0, 1000});
  Ask("LC1");
  EXPECT_EQ(Ask("MSA"), kDone);
  const std::string open = Wait(100);
  EXPECT_EQ(open, "LC087 MA05 RF0145500000\r\n");
  // What the panel keeps of it: 30 characters from "LC", with "RF" and at least 20 of them.
  EXPECT_GE(open.find('\r'), 20u);
  EXPECT_EQ(Ask("LM"), "LM 087\r\n");
  EXPECT_EQ(Ask("RX"), "MS MXA05 MP0 RF0145500000 ST012500 AU0 MD1 AT0 TM\r\n");
  EXPECT_EQ(Ask("MR"), "MXA05 MP0 RF0145500000 ST012500 AU0 MD1 AT0 TM\r\n");
  EXPECT_EQ(Wait(900), "LC%000 MA05\r\n");
  Wait(1999);
  EXPECT_EQ(Scanned(), "MS MXA05");
  Wait(1);
  EXPECT_EQ(Scanned(), "MS MXA09");
}

TEST_F(ScanTest, PassThenScanAloneGoesOnAndLaterSkipsThePassedChannel) {
  scenario_.Add({145'500'000, 87, 0, kNever});
  Ask("MSA");
  Wait(100);
  ASSERT_TRUE(receiver().Halted());
  EXPECT_EQ(Ask("MR").substr(0, 5), "MXA05");
  EXPECT_EQ(Ask("MP1"), kDone);
  EXPECT_EQ(Ask("MS"), kDone);
  EXPECT_EQ(Scanned(), "MS MXA09");
  Wait(200);
  EXPECT_EQ(Scanned(), "MS MXA09");  // A02, then A09 again: A05 and A07 are passed
  EXPECT_FALSE(receiver().Halted());
  // The panel gives the passes back at the end of its scan.
  EXPECT_EQ(Ask("MRA05"), kDone);
  EXPECT_EQ(Ask("MP0"), kDone);
  EXPECT_NE(Ask("MAA").find("MXA05 MP0 RF0145500000"), std::string::npos);
}

TEST_F(ScanTest, UpByteSendsAHaltedScanOn) {
  scenario_.Add({145'500'000, 87, 0, kNever});
  Ask("MSA");
  Wait(100);
  Up();
  EXPECT_EQ(Scanned(), "MS MXA09");
  EXPECT_EQ(Ask("LM"), "LM%000\r\n");
}

TEST_F(ScanTest, ScanAloneInMemoryModeGoesOnFromTheChannelInUse) {
  Ask("MRA05");
  EXPECT_EQ(Ask("MS"), kDone);
  EXPECT_EQ(Scanned(), "MS MXA09");
}

TEST_F(ScanTest, EmptyBankCannotBeScannedAndErasingOneEndsItsScan) {
  EXPECT_EQ(Ask("MSC"), "?\r\n");
  EXPECT_EQ(Ask("MSB"), kDone);
  Ask("MQB%%");
  Wait(100);
  EXPECT_EQ(Ask("RX").substr(0, 2), "VA");
}

}  // namespace
}  // namespace kestrel::sim
