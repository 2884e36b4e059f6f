#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "fakes/kestrel_test.h"
#include "runtime/files.h"

namespace kestrel {
namespace {

class LineFileTest : public fakes::KestrelTest {
 protected:
  // Every line the reader yields until the end of the file.
  std::vector<std::string> ReadAll(const std::string& bytes) {
    WriteFile("lines.txt", bytes);
    FileVariable file;
    EXPECT_EQ(OpenFile(file, "lines.txt", "R"), 0);
    std::vector<std::string> lines;
    Text line;
    while (ReadLine(file, line) == 0) lines.push_back(line.str());
    EXPECT_EQ(line, "");
    EXPECT_EQ(ReadLine(file, line), -1);
    CloseFile(file);
    return lines;
  }
};

using Lines = std::vector<std::string>;

TEST_F(LineFileTest, EveryLineEndEndsALine) {
  EXPECT_EQ(ReadAll("a\r\nb\nc\rd"), (Lines{"a", "b", "c", "d"}));
  EXPECT_EQ(ReadAll("x\r\n"), (Lines{"x"}));
  EXPECT_EQ(ReadAll("a\r\n\r\nb"), (Lines{"a", "", "b"}));
  EXPECT_EQ(ReadAll("\n\n"), (Lines{"", ""}));
  EXPECT_EQ(ReadAll("a\n\rb"), (Lines{"a", "", "b"}));
  EXPECT_EQ(ReadAll(""), Lines{});
  EXPECT_EQ(ReadAll("\r"), (Lines{""}));
}

TEST_F(LineFileTest, LinesSpanBlocksAndLongLinesAreCut) {
  const std::string long_line(300, 'q');
  const Lines lines = ReadAll(long_line + "\r\nnext\r\n");
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], std::string(254, 'q'));
  EXPECT_EQ(lines[1], "next");
  // 32 lines of 127 characters and their LF fill one read block of 4096 bytes exactly.
  const std::string exact(127, 'z');
  Lines block;
  std::string bytes;
  for (int i = 0; i < 33; ++i) {
    block.push_back(exact);
    bytes += exact + "\n";
  }
  EXPECT_EQ(ReadAll(bytes), block);
}

TEST_F(LineFileTest, CrEndingOneBlockWithLfStartingTheNextIsOneLineEnd) {
  // 40 lines of 100 characters, then 55: the CR is the block's last byte.
  Lines lines(40, std::string(100, 'a'));
  std::string bytes;
  for (const auto& line : lines) bytes += line + "\n";
  const std::string first(55, 'b');
  bytes += first;
  lines.push_back(first);
  auto with = [&lines](const Lines& more) {
    Lines all = lines;
    all.insert(all.end(), more.begin(), more.end());
    return all;
  };
  EXPECT_EQ(ReadAll(bytes + "\r\nb"), with({"b"}));
  // A CR ending the block followed by another character keeps that character.
  EXPECT_EQ(ReadAll(bytes + "\rb"), with({"b"}));
  EXPECT_EQ(ReadAll(bytes + "\r"), with({}));
}

TEST_F(LineFileTest, WriteAddsCrLfAndModeWEmptiesTheFile) {
  WriteFile("out.dat", "old content that must go\r\n");
  FileVariable file;
  ASSERT_EQ(OpenFile(file, "out.dat", "w"), 0);
  EXPECT_EQ(WriteLine(file, "TX= LM"), 8);
  EXPECT_EQ(WriteLine(file, ""), 2);
  CloseFile(file);
  EXPECT_FALSE(file.IsOpen());
  EXPECT_EQ(ReadFile("out.dat"), "TX= LM\r\n\r\n");
}

TEST_F(LineFileTest, ClosedFilesAndMissingFilesFailQuietly) {
  FileVariable file;
  Text line = "kept";
  EXPECT_EQ(ReadLine(file, line), -1);
  EXPECT_EQ(line, "kept");
  EXPECT_EQ(WriteLine(file, "x"), 0);
  CloseFile(file);
  EXPECT_EQ(OpenFile(file, "missing.cfg", "R"), 1);
  EXPECT_FALSE(file.IsOpen());
  EXPECT_EQ(OpenFile(file, "no-such-folder/x.dat", "W"), 1);
  EXPECT_EQ(OpenFile(file, ".", "R"), 1);
  DeleteFile("missing.cfg");
}

TEST_F(LineFileTest, DeleteRemovesTheFile) {
  WriteFile("bank07.dat", "x\r\n");
  DeleteFile("bank07.dat");
  EXPECT_FALSE(FileExists("bank07.dat"));
}

TEST_F(LineFileTest, OnlyAPlainFileWithoutWritePermissionIsReadOnly) {
  namespace fs = std::filesystem;
  WriteFile("bank05.dat", "x\r\n");
  EXPECT_FALSE(IsReadOnlyFile("bank05.dat"));
  fs::permissions(folder / "bank05.dat", fs::perms::owner_read | fs::perms::group_read);
  EXPECT_TRUE(IsReadOnlyFile("bank05.dat"));
  fs::create_symlink("bank05.dat", folder / "bank06.dat");
  EXPECT_FALSE(IsReadOnlyFile("bank06.dat"));  // a link is replaced, never written through
  EXPECT_FALSE(IsReadOnlyFile("missing.dat"));
  EXPECT_FALSE(IsReadOnlyFile("."));
}

}  // namespace
}  // namespace kestrel

namespace kestrel {
namespace {

long PeakKib() {
  rusage usage{};
  ::getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

class FileRulesTest : public fakes::KestrelTest {};

TEST_F(FileRulesTest, AHugeLineKeepsOnlyWhatATextHoldsAndCostsNoMemory) {
  {
    std::ofstream out(folder / "huge.dat", std::ios::binary);
    const std::string chunk(1 << 20, 'q');
    for (int i = 0; i < 48; ++i) out << chunk;
    out << "\r\nnext\r\n";
  }
  const long before = PeakKib();
  FileVariable file;
  ASSERT_EQ(OpenFile(file, "huge.dat", "R"), 0);
  Text line;
  ASSERT_EQ(ReadLine(file, line), 0);
  EXPECT_EQ(line.str(), std::string(254, 'q'));
  ASSERT_EQ(ReadLine(file, line), 0);
  EXPECT_EQ(line, "next");
  CloseFile(file);
  EXPECT_LT(PeakKib() - before, 16 * 1024);  // the 48 MB line was never held
}

TEST_F(FileRulesTest, NothingButAPlainFileIsReadAndNoWriteGoesThroughALink) {
  ASSERT_EQ(::mkfifo((folder / "fifo.dat").c_str(), 0644), 0);
  std::filesystem::create_directory(folder / "elsewhere");
  WriteFile("elsewhere/target", "untouched");
  std::filesystem::create_symlink(folder / "elsewhere/target", folder / "debug1.dat");
  std::filesystem::create_symlink("fifo.dat", folder / "linked-fifo.dat");

  FileVariable file;
  EXPECT_EQ(OpenFile(file, "fifo.dat", "R"), 1);  // at once: nobody writes to it
  EXPECT_EQ(OpenFile(file, "linked-fifo.dat", "R"), 1);
  EXPECT_EQ(OpenFile(file, ".", "R"), 1);
  EXPECT_EQ(OpenFile(file, "debug1.dat", "R"), 0);  // a link to a plain file may be read
  CloseFile(file);

  ASSERT_EQ(OpenFile(file, "debug1.dat", "W"), 0);
  WriteLine(file, "trace");
  CloseFile(file);
  EXPECT_EQ(ReadFile("elsewhere/target"), "untouched");
  EXPECT_FALSE(std::filesystem::is_symlink(folder / "debug1.dat"));
  EXPECT_EQ(ReadFile("debug1.dat"), "trace\r\n");
  ASSERT_EQ(OpenFile(file, "fifo.dat", "W"), 0);  // replaced by a plain file, never blocks
  CloseFile(file);
  EXPECT_TRUE(std::filesystem::is_regular_file(folder / "fifo.dat"));
}

}  // namespace
}  // namespace kestrel

// What fsync was asked to sync, by path: a rename is on the disk only once its folder is.
namespace {
std::vector<std::string> synced_paths;
}  // namespace

extern "C" int fsync(int fd) {
  char path[4096];
  const ssize_t length =
      ::readlink(("/proc/self/fd/" + std::to_string(fd)).c_str(), path, sizeof path);
  synced_paths.emplace_back(path, length > 0 ? static_cast<std::size_t>(length) : 0);
  return static_cast<int>(::syscall(SYS_fsync, fd));
}

namespace kestrel {
namespace {

TEST_F(FileRulesTest, AFileWithOtherNamesIsWrittenAnewAndARenameSyncsItsFolder) {
  WriteFile("elsewhere.txt", "keep");
  std::filesystem::create_hard_link(folder / "elsewhere.txt", folder / "debug1.dat");
  EXPECT_TRUE(HasOtherNames("debug1.dat"));
  FileVariable file;
  ASSERT_EQ(OpenFile(file, "debug1.dat", "W"), 0);
  WriteLine(file, "trace");
  CloseFile(file);
  EXPECT_EQ(ReadFile("elsewhere.txt"), "keep");
  EXPECT_EQ(ReadFile("debug1.dat"), "trace\r\n");
  EXPECT_FALSE(HasOtherNames("debug1.dat"));

  synced_paths.clear();
  ASSERT_TRUE(RenameFile("debug1.dat", "bank05.dat"));
  EXPECT_EQ(synced_paths, std::vector<std::string>{std::filesystem::canonical(folder).string()});
}

}  // namespace
}  // namespace kestrel
