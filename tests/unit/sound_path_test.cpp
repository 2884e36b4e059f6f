#include "runtime/platform/sound_path.h"

#include <filesystem>
#include <string>
#include <vector>

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
  EXPECT_EQ(ResolveSoundPath("scan"), "");  // speech off: a bare word
  EXPECT_EQ(ResolveSoundPath("voice\\scan"), "");
  EXPECT_EQ(ResolveSoundPath("wave\\sub"), "");  // a folder is no sound
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

TEST_F(SoundPathTest, AWordMissingFromTheWorkingFolderComesFromTheFirstVoiceFolderThatHasIt) {
  for (const char* name : {"user/kestrel/wave", "system/kestrel/wave/Sub"}) {
    std::filesystem::create_directories(folder / name);
  }
  WriteFile("user/kestrel/wave/lost.wav", "x");
  WriteFile("system/kestrel/wave/lost.wav", "x");
  WriteFile("system/kestrel/wave/OK.WAV", "x");
  WriteFile("system/kestrel/wave/scan.wav", "x");
  WriteFile("system/kestrel/wave/secret.wav", "x");
  const std::string user = (folder / "user/kestrel/wave").string();
  const std::string system = (folder / "system/kestrel/wave").string();
  const std::vector<std::string> voice = {user, system};
  EXPECT_EQ(ResolveSoundPath("wave\\scan", voice), "wave/scan.wav");  // own recordings win
  EXPECT_EQ(ResolveSoundPath("wave\\lost", voice), user + "/lost.wav");
  EXPECT_EQ(ResolveSoundPath("WAVE\\ok", voice), system + "/OK.WAV");
  EXPECT_EQ(ResolveSoundPath("wave\\nothing", voice), "");
  // Only words of the voice folder are looked for elsewhere, under the same rules.
  EXPECT_EQ(ResolveSoundPath("secret", voice), "secret.wav");
  EXPECT_EQ(ResolveSoundPath("lost", voice), "");
  EXPECT_EQ(ResolveSoundPath("wave\\..\\wave\\lost", voice), "");
  EXPECT_EQ(ResolveSoundPath("wave\\sub", voice), "");
}

TEST(VoiceFoldersTest, TheSearchOrderFollowsTheDataFoldersThenTheInstallation) {
  VoicePlaces places;
  places.dataHome = "/home/op/data";
  places.home = "/home/op";
  places.dataDirs = "/opt/share::relative/share:/usr/share";
  places.installedData = "/usr/share";
  places.executableFolder = "/opt/kestrel/bin";
  EXPECT_EQ(
      VoiceFolders(places),
      (std::vector<std::string>{"/home/op/data/kestrel/wave", "/opt/share/kestrel/wave",
                                "/usr/share/kestrel/wave", "/opt/kestrel/share/kestrel/wave"}));
  // Unset (or relative) variables take their defaults.
  places.dataHome = "data";
  places.dataDirs = "";
  places.installedData = "/usr/local/share";
  places.executableFolder = "";
  EXPECT_EQ(VoiceFolders(places),
            (std::vector<std::string>{"/home/op/.local/share/kestrel/wave",
                                      "/usr/local/share/kestrel/wave", "/usr/share/kestrel/wave"}));
}

}  // namespace
}  // namespace kestrel::platform
