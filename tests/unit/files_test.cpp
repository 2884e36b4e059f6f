#include <filesystem>
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
  const std::string exact(128, 'z');
  EXPECT_EQ(ReadAll(exact + "\n" + exact), (Lines{exact, exact}));
}

TEST_F(LineFileTest, CrEndingOneBlockWithLfStartingTheNextIsOneLineEnd) {
  const std::string first(127, 'a');
  EXPECT_EQ(ReadAll(first + "\r\nb"), (Lines{first, "b"}));
  // A CR ending the block followed by another character keeps that character.
  EXPECT_EQ(ReadAll(first + "\rb"), (Lines{first, "b"}));
  EXPECT_EQ(ReadAll(first + "\r"), (Lines{first}));
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
