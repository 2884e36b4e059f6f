// The built receiver-sim as a process, reached through its COM1 link with the panel's own
// termios device.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "runtime/platform/linux_serial.h"

namespace kestrel::sim {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

// Deadlines are generous: the machine may be busy with other tests.
constexpr auto kPatience = 5s;

class SimProcess {
 public:
  explicit SimProcess(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), RECEIVER_SIM_PATH);
    std::vector<char*> argv;
    for (auto& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    int out[2];
    if (::pipe(out) != 0) return;
    pid_ = ::fork();
    if (pid_ == 0) {
      ::dup2(out[1], STDOUT_FILENO);
      ::close(out[0]);
      ::execv(argv[0], argv.data());
      ::_exit(127);
    }
    ::close(out[1]);
    stdout_ = out[0];
  }
  ~SimProcess() {
    if (pid_ > 0) Stop();
    if (stdout_ >= 0) ::close(stdout_);
  }
  // The one line the simulator prints when its link is ready.
  std::string FirstLine() {
    std::string line;
    const auto deadline = Clock::now() + kPatience;
    while (line.find('\n') == std::string::npos && Clock::now() < deadline) {
      pollfd p{stdout_, POLLIN, 0};
      char buffer[256];
      if (::poll(&p, 1, 100) <= 0) continue;
      const ssize_t n = ::read(stdout_, buffer, sizeof buffer);
      if (n <= 0) break;
      line.append(buffer, static_cast<std::size_t>(n));
    }
    return line;
  }
  bool Running() { return pid_ > 0 && ::waitpid(pid_, &status_, WNOHANG) == 0; }
  // Ends it with SIGTERM; the exit status, or -1 when it had to be killed.
  int Stop() {
    if (pid_ <= 0) return -1;
    ::kill(pid_, SIGTERM);
    const auto deadline = Clock::now() + kPatience;
    rusage usage{};
    while (::wait4(pid_, &status_, WNOHANG, &usage) == 0) {
      if (Clock::now() > deadline) {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, &status_, 0);
        pid_ = -1;
        return -1;
      }
      std::this_thread::sleep_for(10ms);
    }
    pid_ = -1;
    cpuSeconds_ = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                  static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    return WIFEXITED(status_) ? WEXITSTATUS(status_) : -1;
  }
  // Processor time it used in all, once stopped.
  double CpuSeconds() const { return cpuSeconds_; }

 private:
  pid_t pid_ = -1;
  int stdout_ = -1;
  int status_ = 0;
  double cpuSeconds_ = 0;
};

class ProcessTest : public ::testing::Test {
 protected:
  void SetUp() override {
    previous_ = fs::current_path();
    folder_ = fs::temp_directory_path() /
              ("receiver-sim-" + std::to_string(::getpid()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(folder_);
    fs::current_path(folder_);
  }
  void TearDown() override {
    sim_.reset();
    fs::current_path(previous_);
    fs::remove_all(folder_);
  }

  void StartSim(std::vector<std::string> arguments) {
    arguments.insert(arguments.end(), {"--log", "log.txt"});
    sim_.emplace(arguments);
    ASSERT_EQ(sim_->FirstLine().rfind("/dev/pts/", 0), 0u);
    ASSERT_TRUE(fs::is_symlink("COM1"));
  }

  std::unique_ptr<platform::SerialDevice> OpenPort() {
    auto device = ports_.Open("COM1");
    if (device) device->SetSettings({9600, 8, 0, 2});
    return device;
  }

  // Whatever arrives until the text ends with `end` or the patience runs out.
  static std::string ReadUntil(platform::SerialDevice& device, std::string_view end) {
    std::string text;
    const auto deadline = Clock::now() + kPatience;
    while (!text.ends_with(end) && Clock::now() < deadline) {
      char buffer[256];
      if (device.BytesWaiting() > 0) {
        text.append(buffer, static_cast<std::size_t>(device.Read(buffer, sizeof buffer)));
      } else {
        std::this_thread::sleep_for(5ms);
      }
    }
    return text;
  }

  static std::string Ask(platform::SerialDevice& device, const std::string& command) {
    device.Write(command.data(), static_cast<int>(command.size()));
    return ReadUntil(device, "\r\n");
  }

  static std::string FileText(const std::string& path) {
    std::ostringstream text;
    text << std::ifstream(path).rdbuf();
    return text.str();
  }

  static int Count(const std::string& text, const std::string& part) {
    int count = 0;
    for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
      ++count;
    }
    return count;
  }

  // Waits until the log holds the text (that many times).
  static bool LogShows(const std::string& text, int times = 1) {
    const auto deadline = Clock::now() + kPatience;
    while (Count(FileText("log.txt"), text) < times) {
      if (Clock::now() > deadline) return false;
      std::this_thread::sleep_for(10ms);
    }
    return true;
  }

  fs::path previous_;
  fs::path folder_;
  platform::TermiosSerialPorts ports_;
  std::optional<SimProcess> sim_;
};

TEST_F(ProcessTest, AnswersThroughItsLinkLogsWhatItGotAndKeepsItsMemory) {
  StartSim({"--memory-out", "memory.txt"});
  auto port = OpenPort();
  ASSERT_TRUE(port);
  EXPECT_EQ(Ask(*port, "VA0145.50000\r"), "\r\n");
  EXPECT_EQ(Ask(*port, "RX\r"), "VA RF0145500000 ST012500 AU0 MD1 AT0\r\n");
  EXPECT_EQ(Ask(*port, "MXA05 RF0433500000 ST012500 MD2 TMTOWER       \r"), "\r\n");
  EXPECT_EQ(Ask(*port, "\x1e\rST\r"), "ST012500\r\n");
  EXPECT_EQ(Ask(*port, "NONSENSE\x01\r"), "?\r\n");
  port->Write("EX\r", 3);  // the panel's last words as it shuts down
  port->Close();
  ASSERT_TRUE(LogShows("PORT CLOSED"));
  EXPECT_EQ(sim_->Stop(), 0);
  EXPECT_FALSE(fs::exists(fs::symlink_status("COM1")));

  const std::string log = FileText("log.txt");
  const auto settings = log.find("\tSETTINGS 9600 8N2\n");
  ASSERT_NE(settings, std::string::npos) << log;
  EXPECT_LT(settings, log.find("\tVA0145.50000\n"));
  EXPECT_LT(log.find("\tEX\n"), log.find("\tPORT CLOSED\n"));
  for (const char* line : {"\tRX\n", "\t\\x1e\n", "\tST\n", "\tNONSENSE\\x01\n",
                           "\tMXA05 RF0433500000 ST012500 MD2 TMTOWER       \n"}) {
    EXPECT_NE(log.find(line), std::string::npos) << line << "\nin\n" << log;
  }
  EXPECT_NE(
      FileText("memory.txt").find("MXA05 MP0 RF0433500000 ST012500 AU0 MD2 AT0 TMTOWER       \n"),
      std::string::npos);
}

TEST_F(ProcessTest, KeepsServingWhenThePanelClosesAndOpensAgain) {
  std::ofstream("memory-in.txt") << "MXB01 RF0121500000 TMAIR\n";
  StartSim({"--memory-in", "memory-in.txt"});
  for (int round = 0; round < 3; ++round) {
    auto port = OpenPort();
    ASSERT_TRUE(port) << round;
    EXPECT_EQ(Ask(*port, "MRB01\r"), "\r\n");
    EXPECT_EQ(Ask(*port, "MR\r"), "MXB01 MP0 RF0121500000 ST012500 AU0 MD1 AT0 TMAIR\r\n");
    EXPECT_EQ(Ask(*port, "VA\r"), "\r\n");
    // Half a command left by a panel that closes is not glued to the next panel's first.
    port->Write("MRB", 3);
    port->Close();
    ASSERT_TRUE(LogShows("PORT CLOSED", round + 1));
  }
}

// The terminal outlives the panel's close while the simulator holds it: an exclusive flag
// left behind would keep every ordinary user's next open out (root is let in regardless).
TEST_F(ProcessTest, ClosedPortLeavesTheTerminalOpenToTheNextPanel) {
  StartSim({});
  auto port = OpenPort();
  ASSERT_TRUE(port);
  port->Close();
  const int fd = ::open("COM1", O_RDWR | O_NOCTTY | O_NONBLOCK);
  ASSERT_GE(fd, 0);
  int exclusive = -1;
  EXPECT_EQ(::ioctl(fd, TIOCGEXCL, &exclusive), 0);
  EXPECT_EQ(exclusive, 0);
  ::close(fd);
}

// The panel's last command before it closes ("EX") must arrive, however soon after it the
// close comes.
TEST_F(ProcessTest, CommandWrittenJustBeforeTheCloseStillArrives) {
  StartSim({});
  constexpr int kRounds = 10;
  for (int round = 0; round < kRounds; ++round) {
    auto port = OpenPort();
    ASSERT_TRUE(port);
    EXPECT_EQ(port->Write("EX\r", 3), 3);
    port->Close();
    ASSERT_TRUE(LogShows("\tEX\n", round + 1)) << "round " << round;
  }
}

TEST_F(ProcessTest, SearchRunsInRealTimeAndHaltsOnTheScenarioSignal) {
  std::ofstream("signals.txt") << "# one carrier\n145.0250 120 0 -\n";
  StartSim({"--scenario", "signals.txt"});
  auto port = OpenPort();
  ASSERT_TRUE(port);
  Ask(*port, "VA0145000000\r");
  Ask(*port, "VB0145100000\r");
  EXPECT_EQ(Ask(*port, "VS\r"), "\r\n");
  std::string level;
  const auto deadline = Clock::now() + kPatience;
  while ((level = Ask(*port, "LM\r")) != "LM 120\r\n" && Clock::now() < deadline) {
  }
  EXPECT_EQ(level, "LM 120\r\n");
  EXPECT_EQ(Ask(*port, "RX\r"), "VS RF0145025000 ST012500 AU0 MD1 AT0\r\n");
  EXPECT_EQ(Ask(*port, "\x1eLM\r"), "LM%000\r\n");
}

TEST_F(ProcessTest, SilentSetLogsCommandsButNeverAnswers) {
  StartSim({"--silent"});
  auto port = OpenPort();
  ASSERT_TRUE(port);
  port->Write("RX\r", 3);
  ASSERT_TRUE(LogShows("\tRX\n"));
  std::this_thread::sleep_for(300ms);
  EXPECT_EQ(port->BytesWaiting(), 0);
}

TEST_F(ProcessTest, DelayedReplyComesNoSoonerThanItsDelay) {
  StartSim({"--reply-delay", "400"});
  auto port = OpenPort();
  ASSERT_TRUE(port);
  const auto sent = Clock::now();
  EXPECT_EQ(Ask(*port, "MD\r"), "MD1\r\n");
  EXPECT_GE(Clock::now() - sent, 400ms);
}

TEST_F(ProcessTest, HangUpLeavesThePanelsDeviceReadingNothing) {
  StartSim({"--hangup-after", "1500"});
  auto port = OpenPort();
  ASSERT_TRUE(port);
  EXPECT_EQ(Ask(*port, "LM\r"), "LM%000\r\n");
  ASSERT_TRUE(LogShows("\tHANGUP\n"));
  EXPECT_FALSE(fs::exists(fs::symlink_status("COM1")));
  // Each call comes back at once with nothing, without spinning or blocking.
  const auto start = Clock::now();
  for (int i = 0; i < 100; ++i) {
    char buffer[16];
    EXPECT_EQ(port->BytesWaiting(), 0);
    EXPECT_EQ(port->Read(buffer, sizeof buffer), 0);
    EXPECT_EQ(port->Write("LM\r", 3), 0);
  }
  EXPECT_LT(Clock::now() - start, kPatience);
  port->Close();
  // It stops serving, but runs until it is told to end, and meanwhile only sleeps.
  std::this_thread::sleep_for(1s);
  EXPECT_TRUE(sim_->Running());
  EXPECT_EQ(sim_->Stop(), 0);
  EXPECT_LT(sim_->CpuSeconds(), 0.5);
}

// A rig-control client written elsewhere sets and reads back frequency, mode and level.
TEST_F(ProcessTest, PackagedRigControlClientAgreesWithIt) {
  if (::access("/usr/bin/rigctl", X_OK) != 0) GTEST_SKIP() << "rigctl (libhamlib-utils) missing";
  std::ofstream("signals.txt") << "145.0250 120\n";
  StartSim({"--scenario", "signals.txt"});
  std::FILE* client = ::popen(
      "timeout 30 rigctl -m 5013 -r ./COM1 -s 9600 F 145025000 f M AM 0 m l RAWSTR 2>&1", "r");
  ASSERT_NE(client, nullptr);
  std::string lines;
  for (char buffer[256]; std::fgets(buffer, sizeof buffer, client);) lines += buffer;
  EXPECT_EQ(::pclose(client), 0) << lines;
  std::istringstream answers(lines);
  std::string frequency, mode, passband, level;
  answers >> frequency >> mode >> passband >> level;
  EXPECT_EQ(frequency, "145025000") << lines;
  EXPECT_EQ(mode, "AM") << lines;
  EXPECT_EQ(level, "120") << lines;
  EXPECT_TRUE(LogShows("\tMD2\n"));
}

}  // namespace
}  // namespace kestrel::sim
