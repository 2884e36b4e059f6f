#include <string>
#include <vector>

#include "fakes/kestrel_test.h"
#include "link/port.h"
#include "runtime/journal.h"

namespace kestrel {
namespace {

using PortTest = fakes::KestrelTest;

TEST_F(PortTest, DeviceNamesFollowThePortNumber) {
  EXPECT_EQ(PortDeviceName(3), "COM3");
  EXPECT_EQ(PortDeviceName(9), "COM9");
  EXPECT_EQ(PortDeviceName(12), "\\\\.\\COM12");
  ports.Add("\\\\.\\COM12");
  EXPECT_EQ(OpenPort(12, 9600), 1);
  EXPECT_EQ(ports.OpenAttempts(), (std::vector<std::string>{"\\\\.\\COM12"}));
}

TEST_F(PortTest, PortsOutsideTheTableOpenNothingAndDoNothing) {
  ports.Add("COM1");
  char buffer[8];
  for (const int port : {0, 257, -1}) {
    EXPECT_EQ(OpenPort(port, 9600), 0);
    EXPECT_EQ(SetLineShape(port, 8, 0, 2), 0);
    EXPECT_EQ(SetReadTimeouts(port, -1), 0);
    EXPECT_EQ(PortBytesWaiting(port), 0);
    EXPECT_EQ(ReadPort(port, buffer, 8), 0);
    EXPECT_EQ(WritePort(port, "LM\r", 3), 0);
    EXPECT_EQ(ClosePort(port), 0);
  }
  EXPECT_TRUE(ports.OpenAttempts().empty());
}

TEST_F(PortTest, OpeningSetsSpeedEightBitsNoParityOneStopAndTimeouts) {
  auto& line = ports.Add("COM3");
  line.settings = {4800, 7, 2, 2};
  ASSERT_EQ(OpenPort(3, 19200), 1);
  EXPECT_EQ(line.settings.baud, 19200);
  EXPECT_EQ(line.settings.dataBits, 8);
  EXPECT_EQ(line.settings.parity, 0);
  EXPECT_EQ(line.settings.stopBits, 1);
  EXPECT_EQ(line.timeouts.intervalMs, 1000);
  EXPECT_EQ(line.timeouts.totalMultiplierMs, 5);
  EXPECT_EQ(SetReadTimeouts(3, -1), 0);
  EXPECT_EQ(line.timeouts.intervalMs, -1);
  EXPECT_EQ(line.timeouts.totalMultiplierMs, 0);
  EXPECT_EQ(SetLineShape(3, 8, 0, 2), 0);
  EXPECT_EQ(line.settings.stopBits, 2);
  EXPECT_EQ(SetLineShape(3, 8, 0, 1), 0);
  EXPECT_EQ(line.settings.stopBits, 1);
}

TEST_F(PortTest, ADeviceThatRefusesItsSettingsIsClosedAgain) {
  auto& line = ports.Add("COM2");
  line.failSetSettings = true;
  EXPECT_EQ(OpenPort(2, 9600), 0);
  EXPECT_FALSE(line.open);
  EXPECT_EQ(WritePort(2, "LM\r", 3), 0);
  line.failSetSettings = false;
  ASSERT_EQ(OpenPort(2, 9600), 1);
  line.failSetSettings = true;
  EXPECT_EQ(SetLineShape(2, 8, 0, 2), 1);
}

TEST_F(PortTest, MissingDevicesFailToOpen) {
  EXPECT_EQ(OpenPort(4, 9600), 0);
  EXPECT_EQ(PortBytesWaiting(4), 0);
}

TEST_F(PortTest, CloseEmptiesTheEntry) {
  auto& line = ports.Add("COM1");
  ASSERT_EQ(OpenPort(1, 9600), 1);
  EXPECT_EQ(ClosePort(1), 0);
  EXPECT_FALSE(line.open);
  EXPECT_EQ(WritePort(1, "EX\r", 3), 0);
  EXPECT_EQ(line.written, "");
  ASSERT_EQ(OpenPort(1, 9600), 1);
  EXPECT_EQ(line.opens, 2);
}

TEST_F(PortTest, BytesOnTheLineAreJournalled) {
  OpenJournal("journal.txt");
  auto& line = ports.Add("COM1");
  ASSERT_EQ(OpenPort(1, 9600), 1);
  WritePort(1, "LM\r", 3);
  line.Feed(
      "LM\x1e"
      "087");
  char buffer[16];
  EXPECT_EQ(ReadPort(1, buffer, 16), 6);
  CloseJournal();
  const std::string journal = ReadFile("journal.txt");
  EXPECT_NE(journal.find("\tOUT\tLM\\r\n"), std::string::npos) << journal;
  EXPECT_NE(journal.find("\tIN\tLM\\x1e087\n"), std::string::npos) << journal;
}

}  // namespace
}  // namespace kestrel
