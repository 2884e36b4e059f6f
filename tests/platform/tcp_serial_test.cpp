#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

#include <gtest/gtest.h>

#include "runtime/platform/linux_serial.h"
#include "runtime/platform/linux_tcp_serial.h"

namespace kestrel::platform {
namespace {

// A server on 127.0.0.1 standing in for ser2net, and a working folder whose COM2 is a link
// to "tcp:127.0.0.1:PORT".
class TcpLineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    previous_ = std::filesystem::current_path();
    std::string pattern = (std::filesystem::temp_directory_path() / "kestrel-tcp-XXXXXX").string();
    folder_ = ::mkdtemp(pattern.data());
    std::filesystem::current_path(folder_);
    Listen(0);
    std::filesystem::create_symlink("tcp:127.0.0.1:" + std::to_string(port_), "COM2");
  }
  void TearDown() override {
    if (client_ >= 0) ::close(client_);
    if (listener_ >= 0) ::close(listener_);
    std::filesystem::current_path(previous_);
    std::filesystem::remove_all(folder_);
  }
  void Listen(int port) {
    listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
    const int on = 1;
    ::setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    ASSERT_EQ(::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(::listen(listener_, 1), 0);
    socklen_t size = sizeof address;
    ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &size);
    port_ = ntohs(address.sin_port);
  }
  void Accept() {
    pollfd p{listener_, POLLIN, 0};
    ASSERT_GT(::poll(&p, 1, 2000), 0);
    client_ = ::accept(listener_, nullptr, nullptr);
    ASSERT_GE(client_, 0);
  }
  std::string Receive(std::size_t expected) {
    std::string got;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (got.size() < expected && std::chrono::steady_clock::now() < deadline) {
      pollfd p{client_, POLLIN, 0};
      char buffer[64];
      if (::poll(&p, 1, 50) <= 0) continue;
      const ssize_t n = ::recv(client_, buffer, sizeof buffer, 0);
      if (n > 0) got.append(buffer, static_cast<std::size_t>(n));
    }
    return got;
  }
  static int WaitForBytes(SerialDevice& device) {
    for (int i = 0; i < 400; ++i) {
      if (const int n = device.BytesWaiting(); n > 0) return n;
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return 0;
  }

  std::filesystem::path previous_;
  std::filesystem::path folder_;
  int listener_ = -1;
  int client_ = -1;
  int port_ = 0;
};

TEST_F(TcpLineTest, TalksLikeASerialLineAndADroppedConnectionIsAVanishedDevice) {
  TermiosSerialPorts ports;
  auto device = ports.Open("COM2");
  ASSERT_NE(device, nullptr);
  Accept();
  const SerialSettings shape{9600, 8, 0, 2};
  ASSERT_TRUE(device->SetSettings(shape));
  SerialSettings read;
  ASSERT_TRUE(device->GetSettings(read));
  EXPECT_EQ(read.baud, 9600);
  EXPECT_EQ(read.stopBits, 2);
  device->SetReadTimeouts({-1, 0, 0});

  EXPECT_EQ(device->Write("LM\r", 3), 3);
  EXPECT_EQ(Receive(3), "LM\r");
  ASSERT_EQ(::send(client_, "LM%012\r\n", 8, 0), 8);
  ASSERT_EQ(WaitForBytes(*device), 8);
  char buffer[16] = {};
  EXPECT_EQ(device->Read(buffer, sizeof buffer), 8);
  EXPECT_EQ(std::string(buffer, 8), "LM%012\r\n");

  // The server goes away: from then on nothing waits, nothing is read or written.
  ::close(client_);
  client_ = -1;
  EXPECT_EQ(device->BytesWaiting(), 0);
  EXPECT_EQ(device->Read(buffer, sizeof buffer), 0);
  EXPECT_EQ(device->Write("LM\r", 3), 0);
  EXPECT_FALSE(device->GetSettings(read));
  device->Close();

  // Opening the same name again reaches the server again.
  device = ports.Open("COM2");
  ASSERT_NE(device, nullptr);
  Accept();
  EXPECT_EQ(device->Write("RX\r", 3), 3);
  EXPECT_EQ(Receive(3), "RX\r");
}

TEST_F(TcpLineTest, NoServerListeningIsAFailedOpen) {
  ::close(listener_);
  listener_ = -1;
  TermiosSerialPorts ports;
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(ports.Open("COM2"), nullptr);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
}

TEST(TcpTargetTest, OnlyAHostAndAPortNumberMakeATarget) {
  std::string host, port;
  EXPECT_TRUE(ParseTcpTarget("tcp:shack-pi:3001", host, port));
  EXPECT_EQ(host, "shack-pi");
  EXPECT_EQ(port, "3001");
  EXPECT_TRUE(ParseTcpTarget("tcp:[::1]:65535", host, port));
  EXPECT_EQ(host, "::1");
  for (const char* bad :
       {"tcp:host", "tcp::3001", "tcp:host:", "tcp:host:0", "tcp:host:65536", "tcp:host:30a1",
        "tcp:::1:3001", "udp:host:3001", "/dev/ttyUSB0", "tcp:[]:3001", "tcp:host:123456"}) {
    EXPECT_FALSE(ParseTcpTarget(bad, host, port)) << bad;
  }
}

}  // namespace
}  // namespace kestrel::platform
