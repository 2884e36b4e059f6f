#include <filesystem>
#include <set>

#include "bank_test_files.h"
#include "banks/banks.h"
#include "state/banks.h"
#include "state/commands.h"
#include "state/controls.h"

namespace kestrel::testing {
namespace {

using Words = std::vector<std::string>;

class BankOperationsTest : public BankTest {
 protected:
  void SetUp() override {
    BankTest::SetUp();
    ModeText = "FM";
    StepText = "12.5";
    FrequencyText = "145.5";
    ArgumentText = "05";
  }
};

// Every file and folder below the given one, by relative path.
std::set<std::string> FilesBelow(const std::filesystem::path& top) {
  std::set<std::string> files;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(top)) {
    files.insert(std::filesystem::relative(entry.path(), top).string());
  }
  return files;
}

// --- put ---

TEST_F(BankOperationsTest, PutIntoAMissingBankCreatesIt) {
  PutFrequency();
  EXPECT_EQ(sound.Words(), (Words{"bnf", "create", "0", "5", "ok"}));
  EXPECT_EQ(ReadFile("bank05.dat"), BankBytes({"bank05", "FM", "12.5", " ", "145.5", " ", "9999"}));
}

TEST_F(BankOperationsTest, PutWithFourCharactersStoresInTheBankOfTheLastTwo) {
  ArgumentText = "0107";
  PutFrequency();
  EXPECT_EQ(sound.Words(), (Words{"bnf", "create", "0", "7", "ok"}));
  EXPECT_EQ(ReadFile("bank07.dat"), BankBytes(BankLines("bank0107", "FM", {{"145.5"}})));
  EXPECT_FALSE(FileExists("bank01.dat"));
}

TEST_F(BankOperationsTest, PutOfAFrequencyTheBankHoldsLeavesTheFileAsItWas) {
  const auto bank = BankLines("bank05", "FM", {{"146.0", "rpt"}, {"145.5", "home"}});
  WriteBank("bank05.dat", bank);
  PutFrequency();
  EXPECT_EQ(sound.Words(), Words{"ok"});
  EXPECT_EQ(ReadFile("bank05.dat"), BankBytes(bank));
}

TEST_F(BankOperationsTest, PutAppendsAfterTheLastEntry) {
  WriteBank("bank05.dat", BankLines("bank05", "FM", {{"146.0", "rpt"}}));
  FrequencyText = "145.50";  // written differently from 145.5: another entry
  PutFrequency();
  FrequencyText = "145.5";
  PutFrequency();
  EXPECT_EQ(sound.Words(), (Words{"ok", "ok"}));
  EXPECT_EQ(ReadFile("bank05.dat"),
            BankBytes(BankLines("bank05", "FM", {{"146.0", "rpt"}, {"145.50"}, {"145.5"}})));
  EXPECT_EQ(ListLast, 8);
}

TEST_F(BankOperationsTest, PutIntoABankOfAnotherModeSaysIncmode) {
  const auto bank = BankLines("bank05", "CW", {{"7.030"}});
  WriteBank("bank05.dat", bank);
  ModeText = "CW ";  // as the CW key stores it
  PutFrequency();
  EXPECT_EQ(sound.Words(), Words{"incmode"});
  EXPECT_EQ(ReadFile("bank05.dat"), BankBytes(bank));
}

TEST_F(BankOperationsTest, AFullBankTakesNoNewEntry) {
  const auto bank = BankLines("bank05", "FM", NumberedEntries(91));
  WriteBank("bank05.dat", bank);
  PutFrequency();
  EXPECT_EQ(sound.Words(), Words{"n"});
  EXPECT_EQ(ReadFile("bank05.dat"), BankBytes(bank));

  sound.Clear();
  FrequencyText = "109.0";  // already held
  PutFrequency();
  EXPECT_EQ(sound.Words(), Words{"ok"});
  EXPECT_EQ(ReadFile("bank05.dat"), BankBytes(bank));
}

TEST_F(BankOperationsTest, ABankWhoseMarkerLiesPastLine186IsLeftAlone) {
  const auto bank = BankLines("bank05", "FM", NumberedEntries(100));
  WriteBank("bank05.dat", bank);
  PutFrequency();
  FrequencyText = "100.0";
  PutFrequency();
  EXPECT_EQ(sound.Words(), (Words{"n", "n"}));
  EXPECT_EQ(ReadFile("bank05.dat"), BankBytes(bank));
}

// --- transfer ---

TEST_F(BankOperationsTest, TransferWithTwoCharactersCopiesTheSearchList) {
  WriteBank("bank00.dat", BankLines("Srchbank", "FM", {{"145.5"}, {"146.0"}}));
  TransferBank();
  EXPECT_EQ(sound.Words(), (Words{"bnf", "create", "0", "5", "ok"}));
  EXPECT_EQ(ReadFile("bank05.dat"), BankBytes(BankLines("bank05", "FM", {{"145.5"}, {"146.0"}})));
}

TEST_F(BankOperationsTest, TransferAddsOnlyWhatTheTargetLacksInTheSourceOrder) {
  WriteBank("bank01.dat",
            BankLines("bank01", "AM", {{"120.5", "a"}, {"118.1", "b"}, {"121.5", "c"}}));
  WriteBank("bank05.dat", BankLines("bank05", "AM", {{"118.1", "tower"}}));
  ArgumentText = "0105";
  TransferBank();
  EXPECT_EQ(sound.Words(), Words{"ok"});
  EXPECT_EQ(
      ReadFile("bank05.dat"),
      BankBytes(BankLines("bank05", "AM", {{"118.1", "tower"}, {"120.5", "a"}, {"121.5", "c"}})));
}

TEST_F(BankOperationsTest, TransferFromAMissingSourceCreatesBothBanks) {
  ArgumentText = "0105";
  TransferBank();
  EXPECT_EQ(sound.Words(), (Words{"bnf", "create", "0", "1", "bnf", "create", "0", "5", "ok"}));
  EXPECT_EQ(ReadFile("bank01.dat"), BankBytes(BankLines("bank0105", "FM", {})));
  EXPECT_EQ(ReadFile("bank05.dat"), BankBytes(BankLines("bank0105", "FM", {})));
}

TEST_F(BankOperationsTest, TransferFromAMissingSearchListCreatesItSpeakingTheTypedKey) {
  WriteBank("bank05.dat", BankLines("bank05", "FM", {}));
  TransferBank();
  EXPECT_EQ(sound.Words(), (Words{"bnf", "create", "0", "5", "ok"}));
  EXPECT_EQ(ReadFile("bank00.dat"), BankBytes(BankLines("bank05", "FM", {})));
}

TEST_F(BankOperationsTest, TransferFromASourceTooLongForABankStopsAtLine186) {
  auto source = BankLines("bank01", "FM", NumberedEntries(95));
  WriteBank("bank01.dat", source);
  for (auto& line : MergeLines) line = "stale";
  ArgumentText = "0105";
  TransferBank();
  EXPECT_EQ(sound.Words(), (Words{"bnf", "create", "0", "5", "ok"}));
  EXPECT_EQ(ReadFile("bank05.dat"), BankBytes(BankLines("bank0105", "FM", NumberedEntries(91))));
  EXPECT_EQ(ListLast, 184);
}

TEST_F(BankOperationsTest, ATransferThatFillsTheTargetKeepsWhatFitted) {
  WriteBank("bank01.dat", BankLines("bank01", "FM", NumberedEntries(95)));
  WriteBank("bank05.dat", BankLines("bank05", "FM", {{"99.0", "own"}}));
  ArgumentText = "0105";
  TransferBank();
  EXPECT_EQ(sound.Words(), Words{"n"});
  auto expected = NumberedEntries(90);
  expected.insert(expected.begin(), Entry{"99.0", "own"});
  EXPECT_EQ(ReadFile("bank05.dat"), BankBytes(BankLines("bank05", "FM", expected)));
}

// --- sort ---

TEST_F(BankOperationsTest, SortOrdersByValueAndDropsRepeats) {
  WriteBank(
      "bank05.dat",
      BankLines("bank05", "FM", {{"146.0", "a"}, {"145.5", "b"}, {"146.0", "c"}, {"145.5", "d"}}));
  SortBankFile();
  EXPECT_EQ(sound.Words(), Words{"ok"});
  EXPECT_EQ(ReadFile("bank05.dat"),
            BankBytes(BankLines("bank05", "FM", {{"145.5", "b"}, {"146.0", "a"}})));
  EXPECT_EQ(ListLast, 6);
}

TEST_F(BankOperationsTest, SortKeepsTwoOfThreeEqualEntriesAndEqualValuesWrittenDifferently) {
  WriteBank("bank05.dat",
            BankLines("bank05", "FM", {{"145.5", "a"}, {"145.5", "b"}, {"145.5", "c"}}));
  SortBankFile();
  EXPECT_EQ(ReadFile("bank05.dat"),
            BankBytes(BankLines("bank05", "FM", {{"145.5", "a"}, {"145.5", "c"}})));

  WriteBank("bank06.dat",
            BankLines("bank06", "FM", {{"145.50", "a"}, {"145.5", "b"}, {"12.5", "c"}}));
  ArgumentText = "06";
  SortBankFile();
  EXPECT_EQ(ReadFile("bank06.dat"),
            BankBytes(BankLines("bank06", "FM", {{"12.5", "c"}, {"145.50", "a"}, {"145.5", "b"}})));
}

TEST_F(BankOperationsTest, SortRemovesRunsOfBlankEntriesAndNeverMovesTheMarker) {
  WriteBank("bank05.dat",
            BankLines("bank05", "FM", {{"12000", "x"}, {" ", " "}, {"145.5", "a"}, {" ", " "}}));
  SortBankFile();
  EXPECT_EQ(ReadFile("bank05.dat"),
            BankBytes(BankLines("bank05", "FM", {{"145.5", "a"}, {"12000", "x"}})));
}

TEST_F(BankOperationsTest, SortBankFile_NeverSavesABankWithoutItsEndMarker) {
  // A bank that lost its mode line: its "9999" falls on a label line, the label of an
  // entry without frequency, which the sort removes as it removes every blank entry.
  WriteFile("bank05.dat", BankBytes({"bank05", "12.5", " ", "145.5", " ", "9999"}));
  SortBankFile();
  EXPECT_EQ(ReadFile("bank05.dat"), BankBytes({"bank05", "12.5", " ", "145.5", "9999"}));
  EXPECT_EQ(ListLast, 2);
}

TEST_F(BankOperationsTest, SortOfAMissingBankCreatesNothing) {
  SortBankFile();
  EXPECT_EQ(sound.Words(), Words{"bnf"});
  EXPECT_FALSE(FileExists("bank05.dat"));
}

// --- arguments that name no bank ---

TEST_F(BankOperationsTest, AnArgumentThatNamesNoPlainBankFileWritesNothing) {
  // "bank/../sub/x.dat" would reach into another folder if "bank" were taken as a folder.
  std::filesystem::create_directory(folder / "bank");
  std::filesystem::create_directory(folder / "sub");
  const auto unsorted = BankLines("x", "FM", {{"146.0"}, {"145.5"}});
  WriteBank("sub/x.dat", unsorted);
  WriteBank("bank01.dat", BankLines("bank01", "FM", {{"146.0"}}));
  const auto filesBefore = FilesBelow(folder);

  struct Case {
    void (*operation)();
    std::string argument;
  };
  const Case cases[] = {
      {PutFrequency, "/x"},
      {PutFrequency, std::string("1\0", 2)},
      {PutFrequency, "01\\x"},
      {TransferBank, "/x05"},
      {TransferBank, "01/x"},
      {SortBankFile, "/../sub/x"},
      {SortBankFile, std::string(300, '1')},  // cut by the text limit: no ".dat" left
      {WriteBankToReceiver, "/.A"},
  };
  for (const auto& test : cases) {
    sound.Clear();
    ArgumentText = test.argument;
    test.operation();
    EXPECT_EQ(sound.Words(), Words{"bnf"}) << test.argument;
  }
  EXPECT_EQ(FilesBelow(folder), filesBefore);
  EXPECT_EQ(ReadFile("sub/x.dat"), BankBytes(unsorted));
}

}  // namespace
}  // namespace kestrel::testing
