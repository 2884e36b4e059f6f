#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <filesystem>

#include "bank_test_files.h"
#include "banks/banks.h"
#include "state/banks.h"

namespace kestrel::testing {
namespace {

using Words = std::vector<std::string>;

class BankFileTest : public BankTest {
 protected:
  // The temporary files in the working folder.
  std::vector<std::string> Temporaries() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
      const std::string name = entry.path().filename().string();
      if (name.ends_with(".tmp")) names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
  }
};

const std::vector<std::string> kTwoEntryBank =
    BankLines("bank05", "FM", {{"145.5"}, {"146.0", "repeater"}});

TEST_F(BankFileTest, LoadAndSaveKeepTheBankLineForLineAndDropWhatFollowsTheMarker) {
  // Mixed line ends on the way in; CR LF on the way out.
  WriteFile("bank05.dat",
            "bank05\nFM\r12.5\r\n \r\n145.5\n \n146.0\r\nrepeater\r\n9999\r\n"
            "left over\r\n147.0\r\n");
  BankFileName = "bank05.dat";
  ASSERT_EQ(LoadBankFile(), 0);
  EXPECT_EQ(ListLast, 6);
  EXPECT_EQ(ListIndex, 6);
  EXPECT_EQ(ListLines[4], "145.5");
  EXPECT_EQ(ListLines[7], "repeater");
  EXPECT_EQ(ListLines[8], "9999");
  EXPECT_EQ(ListLines[9], "");
  EXPECT_EQ(ListLines[10], "");

  SaveBankFile();
  EXPECT_EQ(ReadFile("bank05.dat"), BankBytes(kTwoEntryBank));
  EXPECT_TRUE(Temporaries().empty());
  EXPECT_TRUE(sound.Words().empty());
}

TEST_F(BankFileTest, ABankWithoutEntriesEndsOnLineFour) {
  WriteBank("bank07.dat", BankLines("bank07", "AM", {}));
  ListLines[6] = "stale";
  BankFileName = "bank07.dat";
  ASSERT_EQ(LoadBankFile(), 0);
  EXPECT_EQ(ListLast, 2);
  EXPECT_EQ(ListIndex, 2);
  EXPECT_EQ(ListLines[4], "9999");
  EXPECT_EQ(ListLines[6], "");
}

TEST_F(BankFileTest, AMissingBankSaysBnfAndLeavesTheTableAlone) {
  ListLines[4] = "145.5";
  ListLast = 12;
  ListIndex = 8;
  BankFileName = "bank09.dat";
  EXPECT_GT(LoadBankFile(), 0);
  EXPECT_EQ(sound.Words(), Words{"bnf"});
  EXPECT_EQ(ListLines[4], "145.5");
  EXPECT_EQ(ListLast, 12);
  EXPECT_EQ(ListIndex, 8);
}

TEST_F(BankFileTest, LinesLongerThan254CharactersAreCut) {
  const std::string longLabel(300, 'x');
  WriteBank("bank05.dat", BankLines("bank05", "FM", {{"145.5", longLabel}}));
  BankFileName = "bank05.dat";
  ASSERT_EQ(LoadBankFile(), 0);
  EXPECT_EQ(ListLines[5].str(), std::string(254, 'x'));
  EXPECT_EQ(ListLines[6], "9999");
  SaveBankFile();
  EXPECT_EQ(ReadFile("bank05.dat"),
            BankBytes(BankLines("bank05", "FM", {{"145.5", std::string(254, 'x')}})));
}

TEST_F(BankFileTest, AFileWithoutEndMarkerGetsOneAfterItsLastEntry) {
  // As a table without marker used to be saved: 400 lines, the unused ones empty.
  std::vector<std::string> lines = {"bank05", "FM", "12.5", " ",     "145.5",
                                    " ",      "",   "",     "146.0", "last"};
  lines.resize(400);
  WriteBank("bank05.dat", lines);
  BankFileName = "bank05.dat";
  ASSERT_EQ(LoadBankFile(), 0);
  EXPECT_EQ(ListLines[10], "9999");
  EXPECT_EQ(ListLast, 8);
  EXPECT_EQ(ListIndex, 8);

  SaveBankFile();
  lines.resize(10);
  lines.push_back("9999");
  EXPECT_EQ(ReadFile("bank05.dat"), BankBytes(lines));
}

TEST_F(BankFileTest, AFileWithoutEndMarkerWhoseLastLabelIsLine399LosesNothing) {
  std::vector<std::string> lines = {"bank05", "FM", "12.5", " "};
  for (int i = 4; i < 400; ++i) lines.push_back("line" + std::to_string(i));
  lines.push_back("line400 is past the table's 400 file lines");
  WriteBank("bank05.dat", lines);
  BankFileName = "bank05.dat";
  ASSERT_EQ(LoadBankFile(), 0);
  EXPECT_EQ(ListLines[399], "line399");
  EXPECT_EQ(ListLines[400], "9999");
  EXPECT_EQ(ListLast, 398);

  SaveBankFile();
  lines.back() = "9999";
  EXPECT_EQ(ReadFile("bank05.dat"), BankBytes(lines));

  // Loaded again, the saved bank gives the same table.
  ASSERT_EQ(LoadBankFile(), 0);
  EXPECT_EQ(ListLines[399], "line399");
  EXPECT_EQ(ListLines[400], "9999");
  EXPECT_EQ(ListLast, 398);
}

TEST_F(BankFileTest, AFileWithNothingAfterItsHeaderEndsOnLineFour) {
  WriteFile("bank05.dat", "bank05\r\nFM\r\n");
  BankFileName = "bank05.dat";
  ASSERT_EQ(LoadBankFile(), 0);
  EXPECT_EQ(ListLast, 2);
  SaveBankFile();
  EXPECT_EQ(ReadFile("bank05.dat"), BankBytes({"bank05", "FM", "", "", "9999"}));
}

TEST_F(BankFileTest, LoadBankFile_TakesA9999LabelOrHeaderLineForTextNotForTheEnd) {
  const std::vector<std::string> lines =
      BankLines("9999", "FM", {{"145.5", "9999"}, {"146.0", "after the label"}});
  WriteBank("bank05.dat", lines);
  BankFileName = "bank05.dat";
  ASSERT_EQ(LoadBankFile(), 0);
  EXPECT_EQ(ListLast, 6);
  EXPECT_EQ(ListLines[6], "146.0");
  SaveBankFile();
  EXPECT_EQ(ReadFile("bank05.dat"), BankBytes(lines));
}

// --- the save replaces the bank in one step ---

// Runs SaveBankFile in a child whose files may grow to at most limitBytes. Past the limit a
// write fails (SIGXFSZ ignored) or the child is killed there (SIGXFSZ's default), as by a
// crash half way through the save. Returns the child's wait status.
int SaveInChildWithFileLimit(rlim_t limitBytes, bool dieAtLimit) {
  const pid_t child = ::fork();
  if (child == 0) {
    ::prctl(PR_SET_DUMPABLE, 0);
    const rlimit noCore{0, 0};
    ::setrlimit(RLIMIT_CORE, &noCore);
    std::signal(SIGXFSZ, dieAtLimit ? SIG_DFL : SIG_IGN);
    const rlimit limit{limitBytes, limitBytes};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    SaveBankFile();
    ::_exit(0);
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  return status;
}

void FillTable(const std::vector<std::string>& lines) {
  for (auto& line : ListLines) line = "";
  LoadListLines(lines);
}

TEST_F(BankFileTest, ASaveThatFailsHalfWayLeavesTheOldBankWhole) {
  WriteBank("bank05.dat", kTwoEntryBank);
  const auto newBank = BankLines("bank05", "FM", NumberedEntries(60));
  FillTable(newBank);
  BankFileName = "bank05.dat";
  const auto half = static_cast<rlim_t>(BankBytes(newBank).size() / 2);

  const int status = SaveInChildWithFileLimit(half, false);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(ReadFile("bank05.dat"), BankBytes(kTwoEntryBank));
  EXPECT_TRUE(Temporaries().empty());
}

TEST_F(BankFileTest, ACrashHalfWayThroughASaveLeavesTheOldBankWhole) {
  WriteBank("bank05.dat", kTwoEntryBank);
  const auto newBank = BankLines("bank05", "FM", NumberedEntries(60));
  FillTable(newBank);
  BankFileName = "bank05.dat";
  const auto half = static_cast<rlim_t>(BankBytes(newBank).size() / 2);

  const int status = SaveInChildWithFileLimit(half, true);
  ASSERT_TRUE(WIFSIGNALED(status));
  EXPECT_EQ(WTERMSIG(status), SIGXFSZ);
  EXPECT_EQ(ReadFile("bank05.dat"), BankBytes(kTwoEntryBank));
  const auto left = Temporaries();  // the half-written copy
  ASSERT_EQ(left.size(), 1u);
  EXPECT_TRUE(left[0].starts_with("bank05.dat."));
  EXPECT_EQ(ReadFile(left[0]).size(), half);

  // The next save goes through; the next start tidies up what the dead save left, and
  // what an older panel left under its fixed name, but nothing of another name or of a
  // panel still running (this one).
  SaveBankFile();
  EXPECT_EQ(ReadFile("bank05.dat"), BankBytes(newBank));
  const std::string running = "bank06.dat." + std::to_string(::getpid()) + "-1.tmp";
  for (const std::string& name :
       {std::string("bank07.dat.tmp"), std::string("notes.txt.tmp"), running}) {
    WriteFile(name, "x");
  }
  RemoveStaleBankTemporaries();
  EXPECT_EQ(Temporaries(), (Words{running, "notes.txt.tmp"}));
}

TEST_F(BankFileTest, AReadOnlyBankFileIsLeftAsItWas) {
  WriteBank("bank05.dat", kTwoEntryBank);
  const auto path = folder / "bank05.dat";
  const auto readOnly = std::filesystem::perms::owner_read | std::filesystem::perms::group_read |
                        std::filesystem::perms::others_read;
  std::filesystem::permissions(path, readOnly);
  FillTable(BankLines("bank05", "FM", NumberedEntries(3)));
  BankFileName = "bank05.dat";

  SaveBankFile();
  EXPECT_EQ(ReadFile("bank05.dat"), BankBytes(kTwoEntryBank));
  EXPECT_EQ(std::filesystem::status(path).permissions(), readOnly);
  EXPECT_TRUE(Temporaries().empty());
  EXPECT_TRUE(sound.Words().empty());

  // Once it may be written again, the next save goes through.
  std::filesystem::permissions(path, std::filesystem::perms::owner_write,
                               std::filesystem::perm_options::add);
  SaveBankFile();
  EXPECT_EQ(ReadFile("bank05.dat"), BankBytes(BankLines("bank05", "FM", NumberedEntries(3))));
}

TEST_F(BankFileTest, LinksInTheWorkingFolderAreReplacedNotWrittenThrough) {
  std::filesystem::create_directory(folder / "elsewhere");
  WriteFile("elsewhere/target", "untouched");
  std::filesystem::create_symlink(folder / "elsewhere/target", folder / "bank05.dat");
  std::filesystem::create_symlink(folder / "elsewhere/target", folder / "bank05.dat.tmp");
  FillTable(kTwoEntryBank);
  BankFileName = "bank05.dat";

  SaveBankFile();
  EXPECT_EQ(ReadFile("elsewhere/target"), "untouched");
  EXPECT_FALSE(std::filesystem::is_symlink(folder / "bank05.dat"));
  EXPECT_EQ(ReadFile("bank05.dat"), BankBytes(kTwoEntryBank));
}

TEST_F(BankFileTest, ANameThatIsNoBankIsNeitherReadNorWritten) {
  std::filesystem::create_directory(folder / "bank");
  WriteBank("bank/x.dat", kTwoEntryBank);
  FillTable(BankLines("bank05", "FM", {}));
  const std::vector<std::string> names = {
      "bank/x.dat", "bank/../bank/x.dat", std::string("bank1\0.dat", 10),
      "bank05.txt", "mybank05.dat",       "bank 5.dat"};
  for (const auto& name : names) {
    sound.Clear();
    BankFileName = name;
    EXPECT_GT(LoadBankFile(), 0) << name;
    EXPECT_EQ(sound.Words(), Words{"bnf"}) << name;
    SaveBankFile();
  }
  EXPECT_EQ(ReadFile("bank/x.dat"), BankBytes(kTwoEntryBank));
  std::vector<std::string> files;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    files.push_back(entry.path().filename().string());
  }
  EXPECT_EQ(files, Words{"bank"});
}

}  // namespace
}  // namespace kestrel::testing
