#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include <gtest/gtest.h>

#include "runtime/platform/linux_serial.h"

namespace kestrel::platform {
namespace {

// A pseudo-terminal whose slave is linked as ./COM1 in a fresh working folder.
class PseudoTerminalTest : public ::testing::Test {
 protected:
  void SetUp() override {
    previous_ = std::filesystem::current_path();
    std::string pattern = (std::filesystem::temp_directory_path() / "kestrel-pty-XXXXXX").string();
    folder_ = ::mkdtemp(pattern.data());
    std::filesystem::current_path(folder_);
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(master_, 0);
    ASSERT_EQ(::grantpt(master_), 0);
    ASSERT_EQ(::unlockpt(master_), 0);
    termios tio{};
    ::tcgetattr(master_, &tio);
    ::cfmakeraw(&tio);
    ::tcsetattr(master_, TCSANOW, &tio);
    std::filesystem::create_symlink(::ptsname(master_), "COM1");
  }
  void TearDown() override {
    if (master_ >= 0) ::close(master_);
    std::filesystem::current_path(previous_);
    std::filesystem::remove_all(folder_);
  }
  // What the far side received within a short while.
  std::string ReceiveAtMaster(std::size_t expected) {
    std::string got;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (got.size() < expected && std::chrono::steady_clock::now() < deadline) {
      pollfd p{master_, POLLIN, 0};
      if (::poll(&p, 1, 50) > 0 && (p.revents & POLLIN)) {
        char buffer[256];
        const ssize_t n = ::read(master_, buffer, sizeof buffer);
        if (n > 0) got.append(buffer, static_cast<std::size_t>(n));
      }
    }
    return got;
  }
  int WaitForBytes(SerialDevice& device) {
    for (int i = 0; i < 200; ++i) {
      if (const int n = device.BytesWaiting(); n > 0) return n;
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return 0;
  }

  int master_ = -1;
  std::filesystem::path folder_;
  std::filesystem::path previous_;
};

TEST_F(PseudoTerminalTest, SendsAndReceivesThroughTheComLinkThenSurvivesAHangUp) {
  TermiosSerialPorts ports;
  auto device = ports.Open("COM1");
  ASSERT_TRUE(device);
  SerialSettings settings;
  ASSERT_TRUE(device->GetSettings(settings));
  settings.baud = 9600;
  settings.dataBits = 8;
  settings.parity = 0;
  settings.stopBits = 2;
  ASSERT_TRUE(device->SetSettings(settings));
  ASSERT_TRUE(device->SetReadTimeouts({-1, 0, 0}));
  SerialSettings read_back;
  ASSERT_TRUE(device->GetSettings(read_back));
  EXPECT_EQ(read_back.baud, 9600);
  EXPECT_EQ(read_back.stopBits, 2);

  EXPECT_EQ(device->Write("LM\r", 3), 3);
  EXPECT_EQ(ReceiveAtMaster(3), "LM\r");

  char buffer[64];
  EXPECT_EQ(device->BytesWaiting(), 0);
  EXPECT_EQ(device->Read(buffer, 64), 0);
  ASSERT_EQ(::write(master_, "LM 087\r\n", 8), 8);
  ASSERT_EQ(WaitForBytes(*device), 8);
  EXPECT_EQ(device->Read(buffer, 64), 8);
  EXPECT_EQ(std::string(buffer, 8), "LM 087\r\n");

  ::close(master_);
  master_ = -1;
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < 1000; ++i) {
    EXPECT_EQ(device->BytesWaiting(), 0);
    EXPECT_EQ(device->Read(buffer, 64), 0);
  }
  EXPECT_EQ(device->Write("EX\r", 3), 0);
  device->Close();
  device->Close();
  // A thousand polls of a vanished device return at once; a stuck read would take seconds.
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
}

TEST_F(PseudoTerminalTest, AReopenTakesWhatTheNameReachedBeforeAndNeverAnotherDevice) {
  TermiosSerialPorts ports;
  const std::string terminal = ::ptsname(master_);
  auto device = ports.Open("COM1");
  ASSERT_TRUE(device);
  device->Close();
  // The link has gone: not even the terminal it led to is opened, though it is still there.
  std::filesystem::remove("COM1");
  EXPECT_FALSE(ports.Reopen("COM1"));
  EXPECT_EQ(ports.LastOpenProblem(), terminal + " has gone and is not opened again");
  // The link is there again: it is followed.
  std::filesystem::create_symlink(terminal, "COM1");
  device = ports.Reopen("COM1");
  ASSERT_TRUE(device) << ports.LastOpenProblem();
  device->Close();

  // Where a name's link has gone, the device it held is opened (an adapter plugged in
  // again), never the name's /dev/ttyS device.
  EXPECT_EQ(ReopenedPath("./COM1", terminal), "./COM1");
  EXPECT_EQ(ReopenedPath("./COM2", "/dev/serial/by-id/usb-adapter"),
            "/dev/serial/by-id/usb-adapter");
  EXPECT_EQ(ReopenedPath("./COM2", "tcp:127.0.0.1:3001"), "tcp:127.0.0.1:3001");
  EXPECT_EQ(ReopenedPath("./COM2", "/dev/pts/7"), "");
}

TEST_F(PseudoTerminalTest, BytesLookedAtAreStillWaitingAndReadInOrder) {
  TermiosSerialPorts ports;
  auto device = ports.Open("COM1");
  ASSERT_TRUE(device);
  ASSERT_TRUE(device->SetReadTimeouts({-1, 0, 0}));
  ASSERT_GE(device->WaitHandle(), 0);
  ASSERT_EQ(::write(master_, "LM 0", 4), 4);
  ASSERT_EQ(WaitForBytes(*device), 4);
  char buffer[64];
  EXPECT_EQ(device->Peek(buffer, 64), 4);
  EXPECT_EQ(std::string(buffer, 4), "LM 0");
  // The descriptor now waits for new bytes only.
  pollfd p{device->WaitHandle(), POLLIN, 0};
  EXPECT_EQ(::poll(&p, 1, 0), 0);
  ASSERT_EQ(::write(master_, "87\r\n", 4), 4);
  EXPECT_EQ(::poll(&p, 1, 2000), 1);
  EXPECT_EQ(device->Peek(buffer, 2), 2);
  EXPECT_EQ(device->BytesWaiting(), 8);
  EXPECT_EQ(device->Read(buffer, 3), 3);
  EXPECT_EQ(std::string(buffer, 3), "LM ");
  EXPECT_EQ(device->Read(buffer, 64), 5);
  EXPECT_EQ(std::string(buffer, 5), "087\r\n");
  EXPECT_EQ(device->BytesWaiting(), 0);
}

TEST_F(PseudoTerminalTest, ASecondOpenOfTheSamePortIsRefused) {
  TermiosSerialPorts ports;
  auto first = ports.Open("COM1");
  ASSERT_TRUE(first);
  EXPECT_FALSE(ports.Open("COM1"));
  first->Close();
  EXPECT_TRUE(ports.Open("COM1"));
}

TEST_F(PseudoTerminalTest, CloseLetsTheLastCommandLeave) {
  TermiosSerialPorts ports;
  auto device = ports.Open("COM1");
  ASSERT_TRUE(device);
  EXPECT_EQ(device->Write("EX\r", 3), 3);
  device->Close();
  EXPECT_EQ(ReceiveAtMaster(3), "EX\r");
}

TEST_F(PseudoTerminalTest, NamesMapToTheWorkingFolderOrTheSerialDevices) {
  EXPECT_EQ(SerialDevicePath("COM1"), "./COM1");
  EXPECT_EQ(SerialDevicePath("COM3"), "/dev/ttyS2");
  EXPECT_EQ(SerialDevicePath("\\\\.\\COM12"), "/dev/ttyS11");
  std::filesystem::create_symlink(::ptsname(master_), "COM12");
  EXPECT_EQ(SerialDevicePath("\\\\.\\COM12"), "./COM12");
  EXPECT_EQ(SerialDevicePath("COM0"), "");
  EXPECT_EQ(SerialDevicePath("COM"), "");
  EXPECT_EQ(SerialDevicePath("COM1/../x"), "");
  EXPECT_EQ(SerialDevicePath("../COM1"), "");
}

TEST_F(PseudoTerminalTest, MissingDevicesAndPlainFilesDoNotOpen) {
  TermiosSerialPorts ports;
  std::ofstream("COM5") << "not a tty";
  EXPECT_FALSE(ports.Open("COM5"));
  std::filesystem::create_symlink("/nonexistent/tty", "COM6");
  EXPECT_FALSE(ports.Open("COM6"));
  EXPECT_FALSE(ports.Open("LPT1"));
}

}  // namespace
}  // namespace kestrel::platform
