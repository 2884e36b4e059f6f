#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "panelset.h"
#include "runtime/files.h"
#include "runtime/text.h"

namespace kestrel::panelset {
namespace {

namespace fs = std::filesystem;
using Args = std::vector<std::string>;

// What the panel takes from KESTREL.CFG at start-up.
struct PanelView {
  std::string portText;
  int port = 0;
  int baud = 0;
  int voice = 0;
  int debug = 0;
};

class PanelsetTest : public ::testing::Test {
 protected:
  void SetUp() override {
    previous_ = fs::current_path();
    std::string pattern = (fs::temp_directory_path() / "panelset-XXXXXX").string();
    folder_ = ::mkdtemp(pattern.data());
    fs::current_path(folder_);
  }
  void TearDown() override {
    fs::current_path(previous_);
    std::error_code ignored;
    fs::remove_all(folder_, ignored);
  }

  int Run(const Args& args) {
    std::ostringstream out;
    std::ostringstream err;
    const int code = RunPanelset(args, out, err);
    out_ = out.str();
    err_ = err.str();
    return code;
  }

  // Reads the file line by line and character by character as the panel does.
  PanelView ReadAsThePanel() {
    FileVariable file;
    EXPECT_EQ(OpenFile(file, kConfigFileName, "R"), 0);
    Text lines[5];
    for (Text& line : lines) ReadLine(file, line);
    CloseFile(file);
    PanelView view;
    view.portText = Mid(lines[0].str(), 5);
    view.port = StoreInteger(TextToNumber(Right(view.portText, 1)));
    view.baud = StoreInteger(TextToNumber(Mid(lines[1].str(), 7)));
    view.voice = StoreInteger(TextToNumber(Mid(lines[3].str(), 7, 1)));
    view.debug = StoreInteger(TextToNumber(Mid(lines[4].str(), 7, 1)));
    return view;
  }

  static std::string Contents(const std::string& name) {
    std::ifstream in(name, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
  }

  static std::set<std::string> FolderEntries() {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(".")) names.insert(entry.path().filename().string());
    return names;
  }

  std::string out_;
  std::string err_;

 private:
  fs::path previous_;
  fs::path folder_;
};

TEST_F(PanelsetTest, DefaultsGiveComOneAt9600WithVoiceAndNoTrace) {
  ASSERT_EQ(Run({}), kDone);
  EXPECT_EQ(Contents(kConfigFileName),
            "Com=COM1\r\nBaud: 9600\r\nBits:8N2\r\nVoice:1\r\nDebug:0\r\n");
  const PanelView view = ReadAsThePanel();
  EXPECT_EQ(view.portText, "COM1");
  EXPECT_EQ(view.port, 1);
  EXPECT_EQ(view.baud, 9600);
  EXPECT_EQ(view.voice, 1);
  EXPECT_EQ(view.debug, 0);
  EXPECT_EQ(FolderEntries(), std::set<std::string>{kConfigFileName});
}

TEST_F(PanelsetTest, OptionsReachThePanelsPositions) {
  ASSERT_EQ(Run({"--port", "3", "--baud", "19200", "--voice", "off", "--debug", "on"}), kDone);
  PanelView view = ReadAsThePanel();
  EXPECT_EQ(view.portText, "COM3");
  EXPECT_EQ(view.port, 3);
  EXPECT_EQ(view.baud, 19200);
  EXPECT_EQ(view.voice, 0);
  EXPECT_EQ(view.debug, 1);

  ASSERT_EQ(Run({"--port=9", "--baud=460800"}), kDone);
  view = ReadAsThePanel();
  EXPECT_EQ(view.port, 9);
  EXPECT_EQ(view.baud, 460800);
}

TEST_F(PanelsetTest, AnExistingFileGivesTheDefaults) {
  ASSERT_EQ(Run({"--port", "4", "--baud", "4800", "--voice", "off"}), kDone);
  ASSERT_EQ(Run({"--debug", "on"}), kDone);
  const PanelView view = ReadAsThePanel();
  EXPECT_EQ(view.port, 4);
  EXPECT_EQ(view.baud, 4800);
  EXPECT_EQ(view.voice, 0);
  EXPECT_EQ(view.debug, 1);
}

TEST_F(PanelsetTest, TheSystemVoiceIsTheSpeechCharacterTwoAndIsKept) {
  ASSERT_EQ(Run({"--voice", "system"}), kDone);
  EXPECT_EQ(ReadAsThePanel().voice, 2);
  ASSERT_EQ(Run({"--debug", "on"}), kDone);
  EXPECT_EQ(ReadAsThePanel().voice, 2);
  ASSERT_EQ(Run({"--voice=on"}), kDone);
  EXPECT_EQ(ReadAsThePanel().voice, 1);
}

TEST_F(PanelsetTest, UnusableValuesOfAnExistingFileFallBackToTheDefaults) {
  std::ofstream("KESTREL.CFG") << "Com=COM0\r\nBaud: 1234\r\n";
  ASSERT_EQ(Run({"--voice", "on"}), kDone);
  const PanelView view = ReadAsThePanel();
  EXPECT_EQ(view.port, 1);
  EXPECT_EQ(view.baud, 9600);
  EXPECT_EQ(view.voice, 1);
  EXPECT_EQ(view.debug, 0);
}

TEST_F(PanelsetTest, EveryStandardSpeedIsAccepted) {
  for (const int baud : {50, 75, 110, 134, 150, 200, 300, 600, 1200, 1800, 2400, 4800, 9600,
                         19200, 38400, 57600, 115200, 230400, 460800}) {
    SCOPED_TRACE(baud);
    ASSERT_EQ(Run({"--baud", std::to_string(baud)}), kDone);
    EXPECT_EQ(ReadAsThePanel().baud, baud);
  }
}

TEST_F(PanelsetTest, RefusalsSayWhyAndWriteNothing) {
  std::ofstream("regular") << "not a device";
  const std::vector<Args> refused = {
      {"--port", "0"},      {"--port", "10"},      {"--port", "x"},     {"--port", "-1"},
      {"--baud", "12345"},  {"--baud", "9600.5"},  {"--baud", "921600"}, {"--baud", ""},
      {"--voice", "yes"},   {"--debug", "1"},      {"--bogus"},         {"--port"},
      {"--device", "/no/such/device"},             {"--device", "regular"}, {"extra"},
  };
  for (const Args& args : refused) {
    SCOPED_TRACE(args.front() + " " + (args.size() > 1 ? args[1] : ""));
    EXPECT_EQ(Run(args), kRefused);
    EXPECT_EQ(err_.rfind("panelset: ", 0), 0u) << err_;
    EXPECT_EQ(FolderEntries(), std::set<std::string>{"regular"});
  }
}

TEST_F(PanelsetTest, ARefusalLeavesAnExistingFileAlone) {
  ASSERT_EQ(Run({"--port", "5"}), kDone);
  const std::string before = Contents(kConfigFileName);
  EXPECT_EQ(Run({"--port", "6", "--baud", "300000"}), kRefused);
  EXPECT_NE(err_.find("300000"), std::string::npos);
  EXPECT_EQ(Contents(kConfigFileName), before);
}

TEST_F(PanelsetTest, DeviceIsLinkedAsTheConfiguredPort) {
  ASSERT_EQ(Run({"--port", "3", "--device", "/dev/null"}), kDone);
  ASSERT_TRUE(fs::is_symlink("COM3"));
  EXPECT_EQ(fs::read_symlink("COM3"), "/dev/null");
  EXPECT_EQ(ReadAsThePanel().port, 3);
  EXPECT_EQ(FolderEntries(), (std::set<std::string>{"COM3", kConfigFileName}));
}

TEST_F(PanelsetTest, AnOldLinkIsReplaced) {
  fs::create_symlink("/gone/ttyUSB7", "COM2");
  ASSERT_EQ(Run({"--port", "2", "--device", "/dev/zero"}), kDone);
  EXPECT_EQ(fs::read_symlink("COM2"), "/dev/zero");
}

TEST_F(PanelsetTest, ARegularFileNamedLikeThePortIsNeverReplaced) {
  std::ofstream("COM1") << "keep me";
  EXPECT_EQ(Run({"--device", "/dev/null"}), kRefused);
  EXPECT_NE(err_.find("COM1"), std::string::npos);
  EXPECT_EQ(Contents("COM1"), "keep me");
  EXPECT_FALSE(fs::exists(kConfigFileName));
}

TEST_F(PanelsetTest, HelpWritesNothing) {
  EXPECT_EQ(Run({"--port", "3", "--help"}), kDone);
  EXPECT_NE(out_.find("--device PATH"), std::string::npos);
  EXPECT_TRUE(FolderEntries().empty());
}

}  // namespace
}  // namespace kestrel::panelset
