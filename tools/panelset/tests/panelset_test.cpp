#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "fakes/fake_serial.h"
#include "link/speed_probe.h"
#include "panelset.h"
#include "port_list.h"
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
    for (const auto& entry : fs::directory_iterator("."))
      names.insert(entry.path().filename().string());
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
  for (const int baud : {50, 75, 110, 134, 150, 200, 300, 600, 1200, 1800, 2400, 4800, 9600, 19200,
                         38400, 57600, 115200, 230400, 460800}) {
    SCOPED_TRACE(baud);
    ASSERT_EQ(Run({"--baud", std::to_string(baud)}), kDone);
    EXPECT_EQ(ReadAsThePanel().baud, baud);
  }
}

TEST_F(PanelsetTest, RefusalsSayWhyAndWriteNothing) {
  std::ofstream("regular") << "not a device";
  const std::vector<Args> refused = {
      {"--port", "0"},
      {"--port", "10"},
      {"--port", "x"},
      {"--port", "-1"},
      {"--baud", "12345"},
      {"--baud", "9600.5"},
      {"--baud", "921600"},
      {"--baud", ""},
      {"--voice", "yes"},
      {"--debug", "1"},
      {"--bogus"},
      {"--port"},
      {"--device", "/no/such/device"},
      {"--device", "regular"},
      {"extra"},
  };
  for (const Args& args : refused) {
    SCOPED_TRACE(args.front() + " " + (args.size() > 1 ? args[1] : ""));
    EXPECT_EQ(Run(args), kRefused);
    EXPECT_EQ(err_.rfind("panelset: ", 0), 0u) << err_;
    EXPECT_EQ(FolderEntries(), std::set<std::string>{"regular"});
  }
  Run({"--device", "/no/such/device"});
  EXPECT_NE(err_.find("no such device"), std::string::npos) << err_;
  Run({"--device", "regular"});
  EXPECT_NE(err_.find("not a serial device"), std::string::npos) << err_;
  EXPECT_EQ(Run({"--list", "--port", "1"}), kRefused);
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

TEST_F(PanelsetTest, ASoundInputAddsTwoLinesAfterTheFiveThatLaterRunsKeep) {
  const std::string five = "Com=COM3\r\nBaud: 9600\r\nBits:8N2\r\nVoice:1\r\nDebug:0\r\n";
  ASSERT_EQ(Run({"--port", "3", "--audio-in", "Line In", "--recordings-mb", "20"}), kDone) << err_;
  EXPECT_EQ(Contents(kConfigFileName), five + "AudioIn:Line In\r\nRecordingsMB:20\r\n");
  EXPECT_EQ(ReadAsThePanel().port, 3);
  ASSERT_EQ(Run({"--debug", "on"}), kDone);
  EXPECT_NE(Contents(kConfigFileName).find("Debug:1\r\nAudioIn:Line In\r\nRecordingsMB:20\r\n"),
            std::string::npos);
  ASSERT_EQ(Run({"--audio-in", "none"}), kDone);
  EXPECT_NE(Contents(kConfigFileName).find("AudioIn:\r\n"), std::string::npos);
  EXPECT_EQ(Run({"--recordings-mb", "0"}), kRefused);
}

}  // namespace
TEST_F(PanelsetTest, ANetworkReceiverIsLinkedByItsTargetText) {
  ASSERT_EQ(Run({"--port", "2", "--device", "tcp:shack-pi:3001"}), kDone);
  EXPECT_EQ(fs::read_symlink("COM2"), "tcp:shack-pi:3001");
  EXPECT_EQ(ReadAsThePanel().port, 2);
  fs::remove(kConfigFileName);
  EXPECT_EQ(Run({"--device", "tcp:shack-pi"}), kRefused);
  EXPECT_NE(err_.find("tcp:HOST:PORT"), std::string::npos);
  EXPECT_FALSE(fs::exists(kConfigFileName));
}

TEST_F(PanelsetTest, AnUnreachableNetworkReceiverGivesTheCause) {
  // A port that was free a moment ago: nothing listens there.
  const int probe = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t size = sizeof address;
  ASSERT_EQ(::bind(probe, reinterpret_cast<sockaddr*>(&address), size), 0);
  ::getsockname(probe, reinterpret_cast<sockaddr*>(&address), &size);
  ::close(probe);
  const std::string target = "tcp:127.0.0.1:" + std::to_string(ntohs(address.sin_port));
  EXPECT_EQ(Run({"--device", target, "--probe"}), kWriteFailed);
  EXPECT_NE(err_.find("cannot be opened: no connection to " + target + ": connection refused"),
            std::string::npos)
      << err_;
}

TEST_F(PanelsetTest, TheFolderOptionsChooseWhereTheFilesGo) {
  ASSERT_EQ(Run({"--folder", "elsewhere", "--port", "4"}), kRefused);  // it must exist
  fs::create_directory("elsewhere");
  ASSERT_EQ(Run({"--folder", "elsewhere", "--port", "4"}), kDone);
  EXPECT_TRUE(fs::exists(kConfigFileName));  // now the working folder
  const fs::path data = fs::current_path() / "data";
  ::setenv("XDG_DATA_HOME", data.c_str(), 1);
  const int code = Run({"--user-folder", "--port", "5"});
  ::unsetenv("XDG_DATA_HOME");
  ASSERT_EQ(code, kDone);
  EXPECT_EQ(fs::current_path(), data / "kestrel");
  EXPECT_EQ(ReadAsThePanel().port, 5);
  EXPECT_EQ(Run({"--user-folder", "--folder", "x"}), kRefused);
}

TEST(ProbeTest, TheLevelRequestGoesOutAtEachSpeedUntilTheReceiverAnswers) {
  fakes::FakeSerialPorts ports;
  fakes::FakeLine& line = ports.Add("COM1");
  line.onWrite = [](fakes::FakeLine& self, const std::string&) {
    if (self.settings.baud == 19200) self.Feed("LM%012\r\n");
  };
  const ProbeResult found = ProbeSpeed(ports, "COM1", 50);
  EXPECT_TRUE(found.opened);
  EXPECT_EQ(found.baud, 19200);
  EXPECT_EQ(found.reply, "LM%012");
  EXPECT_EQ(line.written, "LM\rLM\r");  // nothing but the level request
  EXPECT_EQ(line.settings.stopBits, 2);
  EXPECT_EQ(line.closes, 1);

  line.onWrite = nullptr;
  line.written.clear();
  EXPECT_EQ(ProbeSpeed(ports, "COM1", 50).baud, 0);
  EXPECT_EQ(line.written, "LM\rLM\rLM\r");
  EXPECT_FALSE(ProbeSpeed(ports, "COM9", 50).opened);
}

// A system as /sys, /dev and /proc show it, in the test's folder.
class PortListTest : public PanelsetTest {
 protected:
  void SetUp() override {
    PanelsetTest::SetUp();
    const fs::path root = fs::current_path();
    folders_ = {(root / "sys/class/tty").string(), (root / "dev").string(),
                (root / "dev/serial/by-id").string(), (root / "proc").string()};
    const fs::path usb = root / "sys/devices/usb1/1-1";
    MakeDevice(usb / "1-1:1.0/ttyUSB0", "ftdi_sio");
    Write(usb / "idVendor", "0403");
    Write(usb / "idProduct", "6001");
    Write(usb / "product", "FT232R USB UART");
    Write(usb / "serial", "A1B2C3");
    const fs::path pnp = root / "sys/devices/pnp0/00:04";
    MakeDevice(pnp / "00:04:0/00:04:0.0", "port");  // the generic port object
    fs::create_directories(root / "sys/bus/drivers/serial");
    fs::create_directory_symlink(root / "sys/bus/drivers/serial", pnp / "driver");
    MakeDevice(pnp / "other/00:04:1.0", "port");
    fs::create_directories(folders_.sysClassTty);
    Link(usb / "1-1:1.0/ttyUSB0", "ttyUSB0", "");
    Link(pnp / "00:04:0/00:04:0.0", "ttyS0", "4");
    Link(pnp / "other/00:04:1.0", "ttyS1", "0");                      // no UART there
    fs::create_directories(fs::path(folders_.sysClassTty) / "tty1");  // no device
    fs::create_directories(folders_.byId);
    fs::create_symlink("../../ttyUSB0", fs::path(folders_.byId) / "usb-FTDI_A1B2C3-if00-port0");
    Write(root / "dev/ttyUSB0", "");
    Write(root / "dev/ttyS0", "");
    fs::create_directories(root / "proc/612/fd");
    fs::create_symlink(root / "dev/ttyS0", root / "proc/612/fd/7");
    Write(root / "proc/612/comm", "ModemManager");
    fs::create_symlink(root / "dev/ttyUSB0", "COM3");
    Write(root / "proc/cmdline", "BOOT_IMAGE=/vmlinuz root=/dev/vda1 console=ttyS0,115200n8");
    Write(root / "dev/pts/4", "");
    fs::create_symlink(root / "dev/pts/4", "COM2");  // a simulator's terminal
  }
  static void Write(const fs::path& file, const std::string& text) {
    fs::create_directories(file.parent_path());
    std::ofstream(file) << text << "\n";
  }
  void MakeDevice(const fs::path& device, const std::string& driver) {
    fs::create_directories(device);
    const fs::path target = fs::current_path() / "sys/bus/drivers" / driver;
    fs::create_directories(target);
    fs::create_directory_symlink(target, device / "driver");
  }
  void Link(const fs::path& device, const std::string& name, const std::string& type) {
    const fs::path entry = fs::path(folders_.sysClassTty) / name;
    fs::create_directories(entry);
    fs::create_directory_symlink(device, entry / "device");
    if (!type.empty()) Write(entry / "type", type);
  }
  SystemFolders folders_;
};

TEST_F(PortListTest, EachPortWithHardwareIsOneLineWithWhatKeepsThePanelFromIt) {
  const std::vector<PortInfo> ports = ListPorts(folders_);
  ASSERT_EQ(ports.size(), 3u);
  const std::string dev = folders_.dev;
  EXPECT_EQ(DescribePort(ports[0]),
            dev +
                "/ttyS0, driver serial, console: the machine's own messages go out here, "
                "never probed, you may open it, held by ModemManager (pid 612), "
                "no COM link here");
  EXPECT_EQ(DescribePort(ports[1]),
            folders_.byId + "/usb-FTDI_A1B2C3-if00-port0 -> " + dev +
                "/ttyUSB0, driver ftdi_sio, USB 0403:6001, product \"FT232R USB UART\", "
                "serial A1B2C3, you may open it, not in use, COM3 points to it");
  EXPECT_EQ(DescribePort(ports[2]), dev +
                                        "/pts/4, driver pseudo-terminal, you may open it, "
                                        "not in use, COM2 points to it");
  EXPECT_EQ(ByIdPath("usb-FTDI_A1B2C3-if00-port0", folders_),
            folders_.byId + "/usb-FTDI_A1B2C3-if00-port0");
  EXPECT_EQ(ByIdPath("usb-other", folders_), "");
}

}  // namespace kestrel::panelset
