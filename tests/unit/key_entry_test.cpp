#include <gtest/gtest.h>

#include "runtime/files.h"
#include "state/commands.h"
#include "state/key_codes.h"
#include "unit/commands_fixture.h"

namespace kestrel {
namespace {

using fakes::CommandsTest;
using fakes::WordList;

TEST_F(CommandsTest, TypedDigitsAreEchoedAndTheFirstAfterEnterStartsAnew) {
  Type("145.5");
  EXPECT_EQ(Words(), (WordList{"1", "4", "5", "point", "5"}));
  EXPECT_EQ(FrequencyText, "145.5");
  Type("\r");
  Press({keys::kFullStop});
  Type("5");
  EXPECT_EQ(FrequencyText, ".5");
  EXPECT_EQ(sound.Words().back(), "5");
}

TEST_F(CommandsTest, KeypadDigitsAndDigitsDuringAListScanMeanNothing) {
  for (int code = 96; code <= 105; ++code) Press({code});
  ListState = kListScanning;
  Type("1.");
  EXPECT_TRUE(Words().empty());
  EXPECT_EQ(FrequencyText, "145.0");
}

TEST_F(CommandsTest, LimitEntryKeepsItsValueUntilADigitIsTyped) {
  Type("S\r");
  EXPECT_EQ(Words(), (WordList{"start", "1", "4", "5"}));
  EXPECT_EQ(SearchStartText, "145");
  Type("S144\r");
  EXPECT_EQ(SearchStartText, "144");
  EXPECT_EQ(Words().back(), "ok");
  EXPECT_EQ(LimitEntryFresh, 0);
}

TEST_F(CommandsTest, ACommandKeyCancelsALimitEntrySilently) {
  Type("SB07");
  EXPECT_EQ(Words(), (WordList{"start", "bank", "0", "7"}));
  EXPECT_EQ(PendingCommand, kPendingBank);
  EXPECT_EQ(ArgumentText, "07");
  EXPECT_EQ(SearchStartText, "145");
}

TEST_F(CommandsTest, WriteTakesTwoDigitsThenTheReceiverBankLetter) {
  Type("W1A");
  EXPECT_EQ(Words().back(), "inv");
  EXPECT_EQ(PendingCommand, kNothingPending);
  Type("W012");
  EXPECT_EQ(Words().back(), "inv");
  EXPECT_EQ(PendingCommand, kNothingPending);
  EXPECT_EQ(line->written, "");
  Forget();
  Type("W01A");
  EXPECT_EQ(Words(), (WordList{"write", "fromb", "0", "1", "torb", "A"}));
  EXPECT_EQ(line->written, "");  // the receiver's bank is erased by the write itself
  EXPECT_EQ(ArgumentText, "01A");
}

TEST_F(CommandsTest, RadbankTakesOnlyALetterFromAToJ) {
  Type("GK");
  EXPECT_EQ(Words(), (WordList{"radbank", "inv"}));
  EXPECT_EQ(PendingCommand, kNothingPending);
  Type("GC");
  EXPECT_EQ(ArgumentText, "C");
  EXPECT_EQ(PendingCommand, kPendingRadbank);
}

TEST_F(CommandsTest, TheRawTestNeedsTheTraceAndShowsTheReply) {
  Type("X");
  EXPECT_EQ(PendingCommand, kNothingPending);
  EXPECT_TRUE(Words().empty());
  DebugFlag = 1;
  ASSERT_EQ(OpenFile(TraceFile, "debug1.dat", "W"), 0);
  line->Answer("RX \r", "VA RF0145500000");
  Type("XRX");
  Press({keys::kSpace});
  Type("\r");
  CloseFile(TraceFile);
  EXPECT_EQ(line->written, std::string("\x1e") + "RX \r");
  const auto& shown = window.drawn.back();
  EXPECT_EQ(shown.text, "TX=RX  RX=VA RF0145500000" + std::string(22, ' '));
  EXPECT_EQ(shown.x, 0);
  EXPECT_EQ(shown.y, 0);
  EXPECT_EQ(shown.font.face, "ARIEL");
  EXPECT_EQ(shown.font.points, 10);
  EXPECT_EQ(shown.colour, 0u);
  EXPECT_EQ(ReadFile("debug1.dat"), "**X\r\n**R\r\n**X\r\n**SPC\r\n**C/R\r\nTX= RX \r\n");
}

TEST_F(CommandsTest, AKeyBeforeTheReceiverEverAnsweredEndsTheProgram) {
  LinkState = kLinkConnecting;
  RunFlag = 1;
  Type("S");
  EXPECT_EQ(Words(), (WordList{"rnc"}));
  EXPECT_EQ(LinkState, kLinkGivenUp);
  EXPECT_EQ(RunFlag, 0);
  EXPECT_EQ(PendingCommand, kNothingPending);
}

TEST_F(CommandsTest, QuitExecutesThePendingCommandAndEndsTheProgram) {
  WriteFile("bank01.dat", "x");
  RunFlag = 1;
  Type("D01Q");
  EXPECT_FALSE(FileExists("bank01.dat"));
  EXPECT_EQ(Words(), (WordList{"delete", "0", "1", "ok"}));
  EXPECT_EQ(RunFlag, 0);
}

TEST_F(CommandsTest, SpaceLetsAMemoryScanGoOnAndOtherKeysEndIt) {
  MemoryScanState = kMemoryScanStarted;
  Press({keys::kSpace});
  EXPECT_EQ(line->TakeWritten(), "\x1e");
  EXPECT_EQ(MemoryScanState, kMemoryScanStarted);
  Type("J");  // a letter without a meaning of its own
  EXPECT_EQ(Words(), (WordList{"exitscan"}));
  EXPECT_EQ(MemoryScanState, kNoMemoryScan);
}

TEST_F(CommandsTest, TheMarkerAfterEachKeyReadsTheReceiversAnswer) {
  line->Feed("xxLM 087yy");
  Press({keys::kUp});
  EXPECT_EQ(ReplyText, "LM 087");
  EXPECT_EQ(KeyQueueCount, 0);
}

}  // namespace
}  // namespace kestrel
