#include <gtest/gtest.h>

#include "fakes/kestrel_test.h"
#include "link/port.h"

namespace kestrel {
namespace {

using fakes::FakeLine;

class FakeLineTest : public fakes::KestrelTest {};

TEST_F(FakeLineTest, AnswersAWriteThroughItsHook) {
  FakeLine& line = ConnectReceiver();
  line.onWrite = [](FakeLine& self, const std::string& block) {
    if (block == "MR\r") self.Feed("MXA05\r");
  };
  WritePort(1, "LM\r", 3);
  EXPECT_EQ(PortBytesWaiting(1), 0);
  WritePort(1, "MR\r", 3);
  char buffer[16];
  ASSERT_EQ(ReadPort(1, buffer, 16), 6);
  EXPECT_EQ(std::string(buffer, 6), "MXA05\r");
  EXPECT_EQ(line.written, "LM\rMR\r");
}

TEST_F(FakeLineTest, ArrivalsComeOnePieceForEachLookAtAnEmptyLine) {
  FakeLine& line = ConnectReceiver();
  line.arrivals = {"", "ab", "c"};
  EXPECT_EQ(PortBytesWaiting(1), 0);
  EXPECT_EQ(PortBytesWaiting(1), 2);
  EXPECT_EQ(PortBytesWaiting(1), 2);  // still unread: nothing new arrives
  char buffer[4];
  EXPECT_EQ(ReadPort(1, buffer, 4), 2);
  EXPECT_EQ(PortBytesWaiting(1), 1);
  EXPECT_EQ(ReadPort(1, buffer, 4), 1);
  EXPECT_EQ(PortBytesWaiting(1), 0);
}

}  // namespace
}  // namespace kestrel
