#include "receiver_fixture.h"

namespace kestrel::sim {
namespace {

constexpr const char* kDone = "\r\n";
constexpr const char* kRefused = "?\r\n";

TEST_F(ReceiverTest, VfoTakesADecimalOrATenDigitFrequency) {
  EXPECT_EQ(Ask("RX"), "VA RF0145000000 ST012500 AU0 MD1 AT0\r\n");
  EXPECT_EQ(Ask("VA0145.51250"), kDone);
  EXPECT_EQ(Ask("RX"), "VA RF0145512500 ST012500 AU0 MD1 AT0\r\n");
  EXPECT_EQ(Ask("VB0433500000"), kDone);
  EXPECT_EQ(Ask("RX"), "VB RF0433500000 ST012500 AU0 MD1 AT0\r\n");
  EXPECT_EQ(Ask("VA"), kDone);
  EXPECT_EQ(Ask("RX"), "VA RF0145512500 ST012500 AU0 MD1 AT0\r\n");
  EXPECT_EQ(Ask("RF0001.20000"), kDone);
  EXPECT_EQ(Ask("RX"), "VA RF0001200000 ST012500 AU0 MD1 AT0\r\n");
}

TEST_F(ReceiverTest, FrequencyOutOfRangeOrMalformedIsRefusedAndChangesNothing) {
  for (const char* bad :
       {"VA2041.00000", "VA0000050000", "VB014550000", "RF", "RFabc", "VA0145.5x000"}) {
    EXPECT_EQ(Ask(bad), kRefused) << bad;
  }
  EXPECT_EQ(Ask("RX"), "VA RF0145000000 ST012500 AU0 MD1 AT0\r\n");
}

TEST_F(ReceiverTest, StepInBothFormsAndItsReadBack) {
  EXPECT_EQ(Ask("ST006.25"), kDone);
  EXPECT_EQ(Ask("ST"), "ST006250\r\n");
  EXPECT_EQ(Ask("ST100000"), kDone);
  EXPECT_EQ(Ask("ST"), "ST100000\r\n");
  EXPECT_EQ(Ask("ST000125"), kRefused);
  EXPECT_EQ(Ask("ST012.5"), kDone);  // the panel's own form may be one digit short
  EXPECT_EQ(Ask("ST"), "ST012500\r\n");
}

TEST_F(ReceiverTest, SettingsAndTheirReadBacks) {
  EXPECT_EQ(Ask("MD5"), kDone);
  EXPECT_EQ(Ask("AU1"), kDone);
  EXPECT_EQ(Ask("AT1"), kDone);
  EXPECT_EQ(Ask("NL1"), kDone);
  EXPECT_EQ(Ask("MD"), "MD5\r\n");
  EXPECT_EQ(Ask("AU"), "AU1 MD5\r\n");
  EXPECT_EQ(Ask("AT"), "AT1\r\n");
  EXPECT_EQ(Ask("NL"), "NL1\r\n");
  EXPECT_EQ(Ask("LC"), "LC0\r\n");
  EXPECT_EQ(Ask("RX"), "VA RF0145000000 ST012500 AU1 MD5 AT1\r\n");
  EXPECT_EQ(Ask("MD9"), kRefused);
  EXPECT_EQ(Ask("AT2"), kRefused);
  EXPECT_EQ(Ask("MD"), "MD5\r\n");
}

TEST_F(ReceiverTest, UnknownOrImpossibleCommandsAnswerAQuestionMark) {
  EXPECT_EQ(Ask("EX"), "");  // the set gives the panel back without a word
  for (const char* bad : {"XX",   "",      "va0145000000", "L",     "LMX",
                          "RX1",  "EX1",   "MAK",          "MA",    "VS" /* VFO A equals VFO B */,
                          "MQA%", "MQA",   "MWK",          "MWA95", "MWA9",
                          "MR",   "MRA05", "MP1",          "MP",    "MS",
                          "MSA"}) {
    EXPECT_EQ(Ask(bad), kRefused) << "[" << bad << "]";
  }
}

TEST_F(ReceiverTest, LineEndsWithCrAloneWhenAsked) {
  options_.lineEnd = "\r";
  EXPECT_EQ(Ask("MD"), "MD1\r");
  EXPECT_EQ(Ask("MD2"), "\r");
  EXPECT_EQ(Ask("?"), "?\r");
}

TEST_F(ReceiverTest, LevelFlagFollowsTheSquelchOnAVfo) {
  scenario_.Add({145'500'000, 87, 0, kNever});
  scenario_.Add({146'000'000, 39, 0, kNever});
  EXPECT_EQ(Ask("LM"), "LM%000\r\n");
  Ask("VA0145500000");
  EXPECT_EQ(Ask("LM"), "LM 087\r\n");
  Ask("VA0146000000");
  EXPECT_EQ(Ask("LM"), "LM%039\r\n");  // below the squelch
}

TEST_F(ReceiverTest, UpByteTunesOneStepUpOnAVfo) {
  Ask("VA0145500000");
  Ask("ST005000");
  EXPECT_EQ(Up(), "");
  EXPECT_EQ(Ask("RX"), "VA RF0145505000 ST005000 AU0 MD1 AT0\r\n");
  Ask("VA2040.00000");
  Up();
  EXPECT_EQ(Ask("RX"), "VA RF2040000000 ST005000 AU0 MD1 AT0\r\n");
}

TEST_F(ReceiverTest, BankSplitAnswersItsSizesAndChangesAfterADelay) {
  EXPECT_EQ(Ask("MWA"), "MW A:50 a:50\r\n");
  const Replies replies = receiver().Command("MWa90", now_);
  ASSERT_EQ(replies.size(), 1u);
  EXPECT_EQ(replies[0].bytes, kDone);
  EXPECT_EQ(replies[0].delayMs, 1500);
  EXPECT_EQ(Ask("MWA"), "MW A:90 a:10\r\n");
  // Characters 6 and 7 of the answer are the upper bank's size.
  EXPECT_EQ(Ask("MWa").substr(5, 2), "90");
  EXPECT_EQ(Ask("MXA89 RF0145500000"), kDone);
  EXPECT_EQ(Ask("MXa10 RF0145500000"), kRefused);
  EXPECT_EQ(Ask("MWA10"), kDone);
  EXPECT_EQ(Ask("MWA"), "MW A:10 a:90\r\n");
  EXPECT_EQ(Ask("MXA10 RF0145500000"), kRefused);
  EXPECT_EQ(Ask("MXa89 RF0145500000"), kDone);
}

TEST_F(ReceiverTest, BankSplitEraseChannelsItCutsOff) {
  Store({'B', 40}, 145'000'000);
  Store({'b', 40}, 146'000'000);
  Store({'b', 5}, 147'000'000);
  EXPECT_EQ(Ask("MWB60"), kDone);
  EXPECT_EQ(Ask("MWB50"), kDone);
  EXPECT_EQ(Ask("MRB40"), kDone);
  EXPECT_EQ(Ask("MRb40"), kRefused);  // b40 no longer fitted when b had 40 channels
  EXPECT_EQ(Ask("MRb05"), kDone);
}

TEST_F(ReceiverTest, StoredChannelListsBackTheSame) {
  EXPECT_EQ(Ask("MD2"), kDone);
  EXPECT_EQ(Ask("MXA05 RF0145500000 ST012500 MD1 TMTOWER       "), kDone);
  EXPECT_EQ(Ask("MXA01 RF0433500000 MD TMno mode"), kDone);  // takes the working mode
  const std::string listing = Ask("MAA");
  EXPECT_EQ(listing,
            "MXA00 ---\r\n"
            "MXA01 MP0 RF0433500000 ST012500 AU0 MD2 AT0 TMno mode\r\n"
            "MXA02 ---\r\nMXA03 ---\r\nMXA04 ---\r\n"
            "MXA05 MP0 RF0145500000 ST012500 AU0 MD1 AT0 TMTOWER       \r\n"
            "MXA06 ---\r\nMXA07 ---\r\nMXA08 ---\r\nMXA09 ---\r\n");
  // A listed line stores the same channel again.
  std::string line = listing.substr(listing.find("MXA05"));
  line = line.substr(0, line.find('\r')).replace(2, 3, "A06");
  EXPECT_EQ(Ask(line), kDone);
  EXPECT_EQ(Ask("MRA06"), kDone);
  EXPECT_EQ(Ask("MR"), "MXA06 MP0 RF0145500000 ST012500 AU0 MD1 AT0 TMTOWER       \r\n");
}

TEST_F(ReceiverTest, StoreRefusesChannelsBeyondTheBankAndMalformedFields) {
  EXPECT_EQ(Ask("MXA50 RF0145500000"), kRefused);
  EXPECT_EQ(Ask("MXK05 RF0145500000"), kRefused);
  EXPECT_EQ(Ask("MXA05 MD1"), kRefused);  // an empty channel needs a frequency
  EXPECT_EQ(Ask("MXA05 RF0145500000 MD9"), kRefused);
  EXPECT_EQ(Ask("MXA5 RF0145500000"), kRefused);
  EXPECT_EQ(Ask("MAA").substr(0, 22), "MXA00 ---\r\nMXA01 ---\r\n");
}

TEST_F(ReceiverTest, EraseTakesEveryChannelOfOneBankOnly) {
  Store({'C', 3}, 145'000'000);
  Store({'C', 49}, 145'100'000);
  Store({'c', 3}, 145'200'000);
  EXPECT_EQ(Ask("MQC%%"), kDone);
  EXPECT_EQ(Ask("MRC03"), kRefused);
  EXPECT_EQ(Ask("MRC49"), kRefused);
  EXPECT_EQ(Ask("MRc03"), kDone);
}

TEST_F(ReceiverTest, RecalledChannelIsReportedWithItsSettingsAndPassFlag) {
  Channel* channel = memory_.Find({'D', 7});
  *channel = Channel{true, 121'500'000, 25'000, 2, 0, 1, 0, "AIR"};
  EXPECT_EQ(Ask("MRD07"), kDone);
  EXPECT_EQ(Ask("RX"), "MR MXD07 MP0 RF0121500000 ST025000 AU0 MD2 AT1 TMAIR\r\n");
  EXPECT_EQ(Ask("MP1"), kDone);
  EXPECT_EQ(Ask("MP"), "MP1\r\n");
  EXPECT_EQ(Ask("MR"), "MXD07 MP1 RF0121500000 ST025000 AU0 MD2 AT1 TMAIR\r\n");
  EXPECT_EQ(Ask("MAD").substr(77, 20), "MXD07 MP1 RF01215000");
  EXPECT_EQ(Ask("VA"), kDone);
  EXPECT_EQ(Ask("MR"), kRefused);
  EXPECT_EQ(Ask("MP0"), kRefused);
}

}  // namespace
}  // namespace kestrel::sim
