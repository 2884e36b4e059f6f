#include "runtime/platform/sound_path.h"

#include <filesystem>
#include <string>

#include "fakes/kestrel_test.h"

namespace kestrel::platform {
namespace {

class SoundPathTest : public fakes::KestrelTest {
 protected:
  void SetUp() override {
    fakes::KestrelTest::SetUp();
    std::filesystem::create_directories(folder / "wave" / "Sub");
    WriteFile("wave/scan.wav", "x");
    WriteFile("wave/FM.WAV", "x");
    WriteFile("wave/1.wav", "x");
    WriteFile("wave/Sub/deep.wav", "x");
    WriteFile("secret.wav", "x");
  }
};

TEST_F(SoundPathTest, AWordWithoutExtensionNamesItsWavFile) {
  EXPECT_EQ(ResolveSoundPath("wave\\scan"), "wave/scan.wav");
  EXPECT_EQ(ResolveSoundPath("wave\\1"), "wave/1.wav");
  EXPECT_EQ(ResolveSoundPath("wave\\scan.wav"), "wave/scan.wav");
  EXPECT_EQ(ResolveSoundPath("wave/scan"), "wave/scan.wav");
  EXPECT_EQ(ResolveSoundPath("secret"), "secret.wav");
}

TEST_F(SoundPathTest, LetterCaseIsIgnoredInFileAndFolderNames) {
  EXPECT_EQ(ResolveSoundPath("wave\\fm.wav"), "wave/FM.WAV");
  EXPECT_EQ(ResolveSoundPath("wave\\Fm"), "wave/FM.WAV");
  EXPECT_EQ(ResolveSoundPath("WAVE\\SCAN"), "wave/scan.wav");
  EXPECT_EQ(ResolveSoundPath("wave\\sub\\DEEP"), "wave/Sub/deep.wav");
}

TEST_F(SoundPathTest, AnExactMatchWinsAndTheChoiceAmongOthersIsStable) {
  WriteFile("wave/Scan.wav", "x");
  WriteFile("wave/SCAN.wav", "x");
  EXPECT_EQ(ResolveSoundPath("wave\\Scan"), "wave/Scan.wav");
  EXPECT_EQ(ResolveSoundPath("wave\\scan"), "wave/scan.wav");
  EXPECT_EQ(ResolveSoundPath("wave\\sCAN"), "wave/SCAN.wav");  // first in byte order
}

TEST_F(SoundPathTest, MissingFilesAndFoldersFindNothing) {
  EXPECT_EQ(ResolveSoundPath("wave\\nothing"), "");
  EXPECT_EQ(ResolveSoundPath("scan"), "");        // speech off: a bare word
  EXPECT_EQ(ResolveSoundPath("voice\\scan"), "");
  EXPECT_EQ(ResolveSoundPath("wave\\sub"), "");   // a folder is no sound
  EXPECT_EQ(ResolveSoundPath("wave"), "");
  EXPECT_EQ(ResolveSoundPath(""), "");
  EXPECT_EQ(ResolveSoundPath("wave\\"), "");
  EXPECT_EQ(ResolveSoundPath("wave\\CW "), "");
}

TEST_F(SoundPathTest, NothingOutsideTheWorkingFolderIsReached) {
  EXPECT_EQ(ResolveSoundPath("wave\\..\\secret"), "");
  EXPECT_EQ(ResolveSoundPath("wave\\sub\\..\\..\\secret"), "");
  EXPECT_EQ(ResolveSoundPath(".\\secret"), "");
  EXPECT_EQ(ResolveSoundPath("wave\\\\scan"), "");
  EXPECT_EQ(ResolveSoundPath((folder / "secret.wav").string()), "");
  EXPECT_EQ(ResolveSoundPath("\\" + (folder / "secret").string().substr(1)), "");
  EXPECT_EQ(ResolveSoundPath("/etc/passwd"), "");
  EXPECT_EQ(ResolveSoundPath("wave\\/etc/passwd"), "");
  EXPECT_EQ(ResolveSoundPath("wave\\.."), "");
  EXPECT_EQ(ResolveSoundPath("wave\\/"), "");
}

TEST_F(SoundPathTest, ControlAndNonAsciiBytesFindNothing) {
  EXPECT_EQ(ResolveSoundPath(std::string("wave\\scan\0x", 11)), "");
  EXPECT_EQ(ResolveSoundPath(std::string("wave\\\0", 6)), "");
  WriteFile("wave/\xe9t\xe9.wav", "x");
  EXPECT_EQ(ResolveSoundPath("wave\\\xe9t\xe9"), "");
  EXPECT_EQ(ResolveSoundPath("wave\\sc\nan"), "");
  EXPECT_EQ(ResolveSoundPath("wave\\" + std::string(300, 'a')), "");
}

}  // namespace
}  // namespace kestrel::platform
