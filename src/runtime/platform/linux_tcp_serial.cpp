#include "runtime/platform/linux_tcp_serial.h"

#include <linux/sockios.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <optional>
#include <string_view>
#include <thread>

#include "runtime/platform/linux_serial.h"
#include "runtime/platform/net_sockets.h"

namespace kestrel::platform {
namespace {

constexpr int kConnectMs = 1000;
// Sent data unacknowledged this long drops the connection (a cut network, a server host
// that went away without a word).
constexpr unsigned kUnansweredMs = 5000;
// The receiver answers every command; a far end that takes what is sent but gives nothing
// back this long (ser2net stopped, a server hung) has stopped answering.
constexpr auto kSilenceLimit = std::chrono::milliseconds(kUnansweredMs);

class TcpDevice final : public SerialDevice {
 public:
  explicit TcpDevice(int fd) : fd_(fd) {}
  ~TcpDevice() override { Close(); }

  bool GetSettings(SerialSettings& settings) override {
    if (fd_ < 0) return false;
    settings = settings_;
    return true;
  }

  bool SetSettings(const SerialSettings& settings) override {
    if (fd_ < 0 || !IsSettableSpeed(settings.baud)) return false;
    settings_ = settings;
    return true;
  }

  bool SetReadTimeouts(const ReadTimeouts& timeouts) override {
    timeouts_ = timeouts;
    return fd_ >= 0;
  }

  int BytesWaiting() override {
    if (fd_ < 0) return 0;
    int count = 0;
    if (::ioctl(fd_, FIONREAD, &count) != 0) {
      Vanish();
      return 0;
    }
    if (count > 0) NoteHeard();
    if (count == 0 && (PeerGone() || Silent())) Vanish();
    return count;
  }

  // What has arrived, left in the socket for the next Read.
  int Peek(char* buffer, int max) override {
    if (fd_ < 0 || max <= 0) return 0;
    const ssize_t n = ::recv(fd_, buffer, static_cast<std::size_t>(max), MSG_PEEK | MSG_DONTWAIT);
    if (n > 0) NoteHeard();
    if (n > 0) return static_cast<int>(n);
    if (n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)) Vanish();
    return 0;
  }

  int WaitHandle() const override { return fd_; }

  bool Gone() const override { return vanished_; }

  int Read(char* buffer, int max) override {
    if (fd_ < 0 || max <= 0) return 0;
    const int waitMs = timeouts_.intervalMs < 0
                           ? 0
                           : timeouts_.totalMultiplierMs * max + timeouts_.totalConstantMs;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs);
    int total = 0;
    while (total < max) {
      const ssize_t n =
          ::recv(fd_, buffer + total, static_cast<std::size_t>(max - total), MSG_DONTWAIT);
      if (n > 0) {
        total += static_cast<int>(n);
        continue;
      }
      if (n < 0 && errno == EINTR) continue;
      if (n == 0 || errno != EAGAIN) {  // the end of the stream, or a broken connection
        Vanish();
        break;
      }
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                            deadline - std::chrono::steady_clock::now())
                            .count();
      if (left <= 0 || !Wait(POLLIN, static_cast<int>(left))) break;
    }
    if (total > 0)
      NoteHeard();
    else if (fd_ >= 0 && Silent())
      Vanish();
    return total;
  }

  int Write(const char* buffer, int n) override {
    if (fd_ < 0 || n <= 0) return 0;
    int total = 0;
    while (total < n) {
      const ssize_t done = ::send(fd_, buffer + total, static_cast<std::size_t>(n - total),
                                  MSG_DONTWAIT | MSG_NOSIGNAL);
      if (done > 0) {
        total += static_cast<int>(done);
        continue;
      }
      if (done < 0 && errno == EINTR) continue;
      // A full send queue: wait a little for it to drain, never forever.
      if (done < 0 && errno == EAGAIN && Wait(POLLOUT, 200)) continue;
      if (done < 0 && errno != EAGAIN) Vanish();
      break;
    }
    if (total > 0 && !unanswered_since_) unanswered_since_ = std::chrono::steady_clock::now();
    return total;
  }

  void Close() override {
    if (fd_ < 0) return;
    DrainOutput();
    ::close(fd_);
    fd_ = -1;
  }

 private:
  // The server closed its side (ended, or dropped us) or the connection broke.
  bool PeerGone() {
    pollfd p{fd_, POLLIN | POLLRDHUP, 0};
    return ::poll(&p, 1, 0) > 0 && (p.revents & (POLLRDHUP | POLLHUP | POLLERR | POLLNVAL));
  }

  bool Wait(short events, int ms) {
    pollfd p{fd_, events, 0};
    return ::poll(&p, 1, ms) > 0 && (p.revents & events) &&
           !(p.revents & (POLLHUP | POLLERR | POLLNVAL));
  }

  // Gives the last commands about half a second to be taken by the server.
  void DrainOutput() {
    for (int i = 0; i < 50; ++i) {
      int queued = 0;
      if (::ioctl(fd_, SIOCOUTQ, &queued) != 0 || queued <= 0) return;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
  }

  void NoteHeard() { unanswered_since_.reset(); }

  bool Silent() const {
    return unanswered_since_ &&
           std::chrono::steady_clock::now() - *unanswered_since_ >= kSilenceLimit;
  }

  void Vanish() {
    ::close(fd_);
    fd_ = -1;
    vanished_ = true;
  }

  int fd_;
  bool vanished_ = false;  // the connection dropped (not closed by the panel)
  // When the first command since the last byte received was sent; none while answered.
  std::optional<std::chrono::steady_clock::time_point> unanswered_since_;
  SerialSettings settings_;
  ReadTimeouts timeouts_;
};

// A non-blocking connect that gives up after kConnectMs; the socket, or -1 with error set.
int ConnectWithin(const addrinfo& address, int& error) {
  const int fd = ::socket(address.ai_family, address.ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC,
                          address.ai_protocol);
  error = errno;
  if (fd < 0) return -1;
  error = 0;
  if (::connect(fd, address.ai_addr, address.ai_addrlen) != 0) {
    error = errno;
    if (error == EINPROGRESS) {
      pollfd p{fd, POLLOUT, 0};
      socklen_t size = sizeof error;
      error = ETIMEDOUT;
      if (::poll(&p, 1, kConnectMs) > 0) ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size);
    }
  }
  if (error != 0) {
    ::close(fd);
    return -1;
  }
  const int on = 1;
  ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);  // each command leaves at once
  ::setsockopt(fd, IPPROTO_TCP, TCP_USER_TIMEOUT, &kUnansweredMs, sizeof kUnansweredMs);
  return fd;
}

// Why a connection failed, in the words an operator can act on.
std::string ConnectProblem(int error) {
  switch (error) {
    case ECONNREFUSED: return "connection refused (is ser2net running on that port?)";
    case ETIMEDOUT: return "no answer (the machine is off, unreachable or a firewall drops it)";
    case EHOSTUNREACH:
    case ENETUNREACH: return "no route to that machine";
    default: return std::strerror(error);
  }
}

}  // namespace

bool ParseTcpTarget(const std::string& target, std::string& host, std::string& port) {
  constexpr std::string_view kPrefix = "tcp:";
  if (target.rfind(kPrefix, 0) != 0) return false;
  if (!SplitHostPort(target.substr(kPrefix.size()), host, port)) return false;
  const int number = std::stoi(port);
  return number >= 1 && number <= 65535 && !host.empty();
}

std::unique_ptr<SerialDevice> OpenTcpDevice(const std::string& host, const std::string& port,
                                            std::string* problem) {
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_flags = AI_NUMERICSERV;
  addrinfo* found = nullptr;
  if (::getaddrinfo(host.c_str(), port.c_str(), &hints, &found) != 0) {
    if (problem) *problem = "unknown host " + host;
    return nullptr;
  }
  int fd = -1;
  int error = 0;
  for (const addrinfo* address = found; address && fd < 0; address = address->ai_next) {
    fd = ConnectWithin(*address, error);
  }
  ::freeaddrinfo(found);
  if (fd < 0) {
    if (problem) *problem = ConnectProblem(error);
    return nullptr;
  }
  return std::make_unique<TcpDevice>(fd);
}

}  // namespace kestrel::platform
