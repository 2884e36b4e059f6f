#include <sstream>

#include "bank_test_files.h"
#include "banks/banks.h"
#include "runtime/journal.h"
#include "state/banks.h"
#include "state/commands.h"

namespace kestrel::testing {
namespace {

using Words = std::vector<std::string>;

class BankWriterTest : public BankTest {
 protected:
  void SetUp() override {
    BankTest::SetUp();
    line = &ConnectReceiver();
    ArgumentText = "05A";
    // The receiver answers every level request at once.
    line->Answer("LM\r", "LM 000\r\n");
  }
  void TearDown() override {
    CloseJournal();
    BankTest::TearDown();
  }

  // The memory commands (the erase and the writes) sent to the receiver, each without its CR.
  std::vector<std::string> Commands() const {
    std::vector<std::string> commands;
    std::istringstream in(line->written);
    for (std::string command; std::getline(in, command, '\r');) {
      if (command.starts_with("MX") || command.starts_with("MQ")) commands.push_back(command);
    }
    return commands;
  }

  fakes::FakeLine* line = nullptr;
};

std::string Blanks(int n) { return std::string(n, ' '); }

// From the journal, what was played and sent, in order: each run of pauses as "n pauses",
// each word played, each "MX" command by its first five characters.
std::vector<std::string> PausesWordsAndChannels(const std::string& journal) {
  std::vector<std::string> events;
  int pauses = 0;
  std::istringstream in(journal);
  for (std::string entry; std::getline(in, entry);) {
    if (entry.find("shdel") != std::string::npos) {
      ++pauses;
      continue;
    }
    if (pauses > 0) events.push_back(std::to_string(pauses) + " pauses");
    pauses = 0;
    if (entry.find("\tOUT\tMX") != std::string::npos) {
      events.push_back(entry.substr(entry.find("MX"), 5));
    } else if (entry.find("\tSOUND\t") != std::string::npos) {
      const auto pathEnd = entry.find('\t', entry.find("wave"));
      const auto wordStart = entry.rfind('\\', pathEnd) + 1;  // after the folder
      events.push_back(entry.substr(wordStart, pathEnd - wordStart));
    }
  }
  return events;
}

TEST_F(BankWriterTest, EachEntryBecomesOneMemoryChannel) {
  WriteBank("bank05.dat", BankLines("bank05", "FM",
                                    {{"145.5"},
                                     {"1296", "a long label text"},
                                     {".5", "x"},
                                     {"7.03", "exactly12chr"},
                                     {"0.5"},
                                     {"0.999"}}));
  WriteBankToReceiver();
  // The receiver's bank is erased right before the first channel is stored.
  EXPECT_EQ(line->written.substr(0, 53),
            "MQA%%\rMXA00 RF0145500000 ST012500 MD1 TM" + Blanks(12) + "\r");
  EXPECT_EQ(Commands(), (Words{"MQA%%", "MXA00 RF0145500000 ST012500 MD1 TM" + Blanks(12),
                               "MXA01 RF1296000000 ST012500 MD1 TMa long label",
                               "MXA02 RF0000500000 ST012500 MD1 TMx" + Blanks(11),
                               "MXA03 RF0007030000 ST012500 MD1 TMexactly12chr",
                               "MXA04 RF0000500000 ST012500 MD1 TM" + Blanks(12),
                               "MXA05 RF0000999000 ST012500 MD1 TM" + Blanks(12)}));
  EXPECT_TRUE(
      line->written.ends_with("TM" + Blanks(12) + "\rLM\r"));  // is the receiver still there?
  EXPECT_EQ(sound.Words(), (Words{"wait", "ok"}));
}

TEST_F(BankWriterTest, BytesThatAreNoFrequencyOrNoTextNeverReachTheReceiver) {
  WriteBank("bank05.dat", BankLines("bank05", "FM",
                                    {{"145.5", std::string("la\0bel\xff\x1b[2J", 12)},
                                     {"\x01\x02garbage"},
                                     {"12345678901.5"},
                                     {"1.2.3"},
                                     {"146"}}));
  line->onWrite = nullptr;  // and the receiver no longer answers
  WriteBankToReceiver();
  EXPECT_EQ(Commands(), (Words{"MQA%%", "MXA00 RF0145500000 ST012500 MD1 TMla bel  [2J ",
                               "MXA04 RF0146000000 ST012500 MD1 TM" + Blanks(12)}));
  EXPECT_EQ(sound.Words(), (Words{"wait", "inv", "failed"}));
}

TEST_F(BankWriterTest, LeadingZerosDoNotCountAndAFractionIsRoundedToTheHertz) {
  WriteBank("bank05.dat", BankLines("bank05", "FM",
                                    {{"00145.5"},
                                     {"145.1234567"},
                                     {"145.1234564999"},
                                     {"9.9999995"},
                                     {"12345.5"},
                                     {"9999.9999999"},
                                     {"0001296"}}));
  WriteBankToReceiver();
  EXPECT_EQ(Commands(), (Words{"MQA%%", "MXA00 RF0145500000 ST012500 MD1 TM" + Blanks(12),
                               "MXA01 RF0145123457 ST012500 MD1 TM" + Blanks(12),
                               "MXA02 RF0145123456 ST012500 MD1 TM" + Blanks(12),
                               "MXA03 RF0010000000 ST012500 MD1 TM" + Blanks(12),
                               "MXA06 RF1296000000 ST012500 MD1 TM" + Blanks(12)}));
  EXPECT_EQ(sound.Words(), (Words{"wait", "inv", "ok"}));
}

TEST_F(BankWriterTest, AWriteCutByTheLinkGoingAwayFails) {
  WriteBank("bank05.dat", BankLines("bank05", "FM", NumberedEntries(5)));
  line->onWrite = [](fakes::FakeLine& self, const std::string& block) {
    if (block.starts_with("MXA01")) self.vanished = true;
  };
  WriteBankToReceiver();
  EXPECT_EQ(Commands().size(), 3u);  // the erase, then channels 00 and 01
  EXPECT_EQ(sound.Words(), (Words{"wait", "failed"}));
}

TEST_F(BankWriterTest, TenEntriesTakeChannels00To09WithFewerPausesEachTimeAndOneBeep) {
  WriteBank("bank05.dat", BankLines("bank05", "FM", NumberedEntries(10)));
  OpenJournal("journal.txt");
  WriteBankToReceiver();
  CloseJournal();

  const auto events = PausesWordsAndChannels(ReadFile("journal.txt"));
  EXPECT_EQ(events, (Words{"wait",  "17 pauses", "MXA00", "5 pauses", "MXA01", "3 pauses",
                           "MXA02", "1 pauses",  "MXA03", "1 pauses", "MXA04", "1 pauses",
                           "MXA05", "1 pauses",  "MXA06", "1 pauses", "MXA07", "1 pauses",
                           "MXA08", "1 pauses",  "MXA09", "beep",     "ok"}));
}

TEST_F(BankWriterTest, AModeLineOfNoReceiverModeSendsNoDigit) {
  WriteBank("bank05.dat", BankLines("bank05", "CW ", {{"7.03"}}));
  WriteBankToReceiver();
  EXPECT_EQ(Commands(), (Words{"MQA%%", "MXA00 RF0007030000 ST012500 MD TM" + Blanks(12)}));
}

TEST_F(BankWriterTest, AtMost91ChannelsAreWritten) {
  WriteBank("bank05.dat", BankLines("bank05", "WFM", NumberedEntries(95)));
  WriteBankToReceiver();
  const auto commands = Commands();
  ASSERT_EQ(commands.size(), 92u);  // the erase and 91 channels
  EXPECT_EQ(commands.back().substr(0, 18), "MXA90 RF0109000000");
  EXPECT_NE(commands.back().find(" MD0 "), std::string::npos);
  EXPECT_EQ(sound.Words(), (Words{"wait", "beep", "beep", "beep", "beep", "beep", "beep", "beep",
                                  "beep", "ok"}));  // after lines 22, 44, ..., 176
}

TEST_F(BankWriterTest, AMissingBankSendsNothing) {
  WriteBankToReceiver();
  EXPECT_EQ(sound.Words(), Words{"bnf"});
  EXPECT_EQ(line->written, "");
}

}  // namespace
}  // namespace kestrel::testing
