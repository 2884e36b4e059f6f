#include "runtime/platform/linux_serial.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>
#include <thread>

#include "runtime/platform/linux_adapters.h"
#include "runtime/platform/linux_tcp_serial.h"

namespace kestrel::platform {
namespace {

struct SpeedEntry {
  int baud;
  speed_t code;
};

constexpr SpeedEntry kSpeeds[] = {
    {50, B50},       {75, B75},         {110, B110},       {134, B134},       {150, B150},
    {200, B200},     {300, B300},       {600, B600},       {1200, B1200},     {1800, B1800},
    {2400, B2400},   {4800, B4800},     {9600, B9600},     {19200, B19200},   {38400, B38400},
    {57600, B57600}, {115200, B115200}, {230400, B230400}, {460800, B460800},
};

bool SpeedCode(int baud, speed_t& code) {
  for (const auto& entry : kSpeeds) {
    if (entry.baud == baud) {
      code = entry.code;
      return true;
    }
  }
  return false;
}

int SpeedBaud(speed_t code) {
  for (const auto& entry : kSpeeds) {
    if (entry.code == code) return entry.baud;
  }
  return 0;
}

class TermiosDevice final : public SerialDevice {
 public:
  explicit TermiosDevice(int fd) : fd_(fd) {}
  ~TermiosDevice() override { Close(); }

  bool GetSettings(SerialSettings& settings) override {
    termios tio{};
    if (fd_ < 0 || ::tcgetattr(fd_, &tio) != 0) return false;
    settings.baud = SpeedBaud(::cfgetospeed(&tio));
    switch (tio.c_cflag & CSIZE) {
      case CS5: settings.dataBits = 5; break;
      case CS6: settings.dataBits = 6; break;
      case CS7: settings.dataBits = 7; break;
      default: settings.dataBits = 8; break;
    }
    settings.parity = (tio.c_cflag & PARENB) ? ((tio.c_cflag & PARODD) ? 1 : 2) : 0;
    settings.stopBits = (tio.c_cflag & CSTOPB) ? 2 : 1;
    return true;
  }

  bool SetSettings(const SerialSettings& settings) override {
    termios tio{};
    if (fd_ < 0 || ::tcgetattr(fd_, &tio) != 0) return false;
    speed_t speed;
    if (!SpeedCode(settings.baud, speed)) return false;
    ::cfmakeraw(&tio);
    ::cfsetispeed(&tio, speed);
    ::cfsetospeed(&tio, speed);
    tio.c_cflag &= ~(CSIZE | PARENB | PARODD | CSTOPB | CRTSCTS);
    switch (settings.dataBits) {
      case 5: tio.c_cflag |= CS5; break;
      case 6: tio.c_cflag |= CS6; break;
      case 7: tio.c_cflag |= CS7; break;
      default: tio.c_cflag |= CS8; break;
    }
    if (settings.parity == 1) tio.c_cflag |= PARENB | PARODD;
    if (settings.parity == 2) tio.c_cflag |= PARENB;
    if (settings.stopBits == 2) tio.c_cflag |= CSTOPB;
    tio.c_cflag |= CLOCAL | CREAD;
    tio.c_iflag &= ~(IXON | IXOFF | IXANY);
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    return ::tcsetattr(fd_, TCSANOW, &tio) == 0;
  }

  bool SetReadTimeouts(const ReadTimeouts& timeouts) override {
    timeouts_ = timeouts;
    return fd_ >= 0;
  }

  int BytesWaiting() override {
    if (fd_ < 0) return 0;
    const int ahead = static_cast<int>(ahead_.size());
    int count = 0;
    if (::ioctl(fd_, FIONREAD, &count) != 0) {
      if (errno == EIO) Vanish();
      return fd_ < 0 ? 0 : ahead;
    }
    if (count == 0 && ahead == 0 && HungUp()) Vanish();
    return count + ahead;
  }

  int Read(char* buffer, int max) override {
    if (fd_ < 0 || max <= 0) return 0;
    const int waitMs = timeouts_.intervalMs < 0
                           ? 0
                           : timeouts_.totalMultiplierMs * max + timeouts_.totalConstantMs;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs);
    int total = TakeAhead(buffer, max);
    while (total < max) {
      const ssize_t n = ::read(fd_, buffer + total, static_cast<std::size_t>(max - total));
      if (n > 0) {
        total += static_cast<int>(n);
        continue;
      }
      if (n < 0 && errno == EINTR) continue;
      if (n < 0 && errno != EAGAIN) {
        if (errno == EIO) Vanish();
        break;
      }
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                            deadline - std::chrono::steady_clock::now())
                            .count();
      if (left <= 0 || !WaitReadable(static_cast<int>(left))) break;
    }
    return total;
  }

  // Reads what has come into the look-ahead buffer (bounded), so the descriptor waits for
  // new bytes again, and copies from it.
  int Peek(char* buffer, int max) override {
    if (fd_ < 0 || max <= 0) return 0;
    char chunk[256];
    bool gotNone = true;
    while (ahead_.size() < kAheadMax) {
      const std::size_t room = std::min(sizeof chunk, kAheadMax - ahead_.size());
      const ssize_t n = ::read(fd_, chunk, room);
      if (n > 0) {
        ahead_.append(chunk, static_cast<std::size_t>(n));
        gotNone = false;
        continue;
      }
      if (n < 0 && errno == EINTR) continue;
      if (n < 0 && errno == EIO) Vanish();
      break;
    }
    if (fd_ >= 0 && gotNone && ahead_.empty() && HungUp()) Vanish();
    const auto count = std::min(ahead_.size(), static_cast<std::size_t>(max));
    std::copy_n(ahead_.begin(), count, buffer);
    return static_cast<int>(count);
  }

  int WaitHandle() const override { return fd_; }

  int Write(const char* buffer, int n) override {
    if (fd_ < 0 || n <= 0) return 0;
    int total = 0;
    while (total < n) {
      const ssize_t done = ::write(fd_, buffer + total, static_cast<std::size_t>(n - total));
      if (done > 0) {
        total += static_cast<int>(done);
        continue;
      }
      if (done < 0 && errno == EINTR) continue;
      if (done < 0 && errno == EAGAIN) {
        // The output queue is full: wait a little for it to drain, never forever.
        pollfd p{fd_, POLLOUT, 0};
        if (::poll(&p, 1, 200) > 0 && !(p.revents & (POLLHUP | POLLERR))) continue;
      }
      if (done < 0 && (errno == EIO || errno == ENXIO)) Vanish();
      break;
    }
    return total;
  }

  void Close() override {
    ahead_.clear();
    if (fd_ < 0) return;
    // Only output still stuck after the wait is discarded. Output that has left the driver
    // may still be on its way (a pseudo-terminal's reader may not have taken it yet), and a
    // flush would throw it away.
    if (!DrainOutput()) ::tcflush(fd_, TCOFLUSH);
    // A terminal that someone else keeps open (a pseudo-terminal's master) would keep the
    // exclusive flag after this close and refuse every later open but root's.
    ::ioctl(fd_, TIOCNXCL);
    ::flock(fd_, LOCK_UN);
    ::close(fd_);
    fd_ = -1;
  }

  bool Gone() const override { return vanished_; }

 private:
  static constexpr std::size_t kAheadMax = 4096;

  int TakeAhead(char* buffer, int max) {
    const auto count = std::min(ahead_.size(), static_cast<std::size_t>(max));
    std::copy_n(ahead_.begin(), count, buffer);
    ahead_.erase(0, count);
    return static_cast<int>(count);
  }

  bool HungUp() {
    pollfd p{fd_, POLLIN, 0};
    return ::poll(&p, 1, 0) > 0 && (p.revents & (POLLHUP | POLLERR | POLLNVAL)) &&
           !(p.revents & POLLIN);
  }

  bool WaitReadable(int ms) {
    pollfd p{fd_, POLLIN, 0};
    return ::poll(&p, 1, ms) > 0 && (p.revents & POLLIN);
  }

  // Gives the last commands about half a second to leave the output queue; true when they
  // have.
  bool DrainOutput() {
    for (int i = 0; i < 50; ++i) {
      int queued = 0;
      if (::ioctl(fd_, TIOCOUTQ, &queued) != 0) return false;
      if (queued <= 0) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
  }

  // The device is gone (adapter unplugged, other side closed): from now on it reads as no
  // bytes and writes as nothing written.
  void Vanish() {
    ahead_.clear();
    ::flock(fd_, LOCK_UN);
    ::close(fd_);
    fd_ = -1;
    vanished_ = true;
  }

  int fd_;
  bool vanished_ = false;
  ReadTimeouts timeouts_;
  std::string ahead_;  // bytes Peek has taken from the descriptor and Read has not yet
};

std::string OpenFailure(const std::string& path, int error) {
  switch (error) {
    case EACCES:
    case EPERM:
      return path +
             ": permission denied (the user must be in group dialout: sudo adduser "
             "$USER dialout, then log in again)";
    case EBUSY: return path + " is in use by another program (panelset --list names it)";
    case ENOENT:
    case ENXIO:
    case ENODEV: return path + ": no such device";
    default: return path + ": " + std::strerror(error);
  }
}

}  // namespace

bool IsSettableSpeed(int baud) {
  speed_t code;
  return SpeedCode(baud, code);
}

std::string LinkText(const std::string& path) {
  std::error_code error;
  const auto target = std::filesystem::read_symlink(path, error);
  return error ? std::string() : target.string();
}

std::string SerialDevicePath(const std::string& name) {
  if (name.rfind("/", 0) == 0) return name;  // a device named by its path
  std::string local = name;
  if (local.rfind("\\\\.\\", 0) == 0) local = local.substr(4);
  if (local.size() < 4 || local.compare(0, 3, "COM") != 0) return {};
  int number = 0;
  for (std::size_t i = 3; i < local.size(); ++i) {
    if (local[i] < '0' || local[i] > '9' || number > 1000) return {};
    number = number * 10 + (local[i] - '0');
  }
  if (number < 1) return {};
  struct stat info {};
  if (::lstat(local.c_str(), &info) == 0) return "./" + local;
  return "/dev/ttyS" + std::to_string(number - 1);
}

std::string ReopenedPath(const std::string& path, const std::string& device) {
  struct stat info {};
  if (::lstat(path.c_str(), &info) == 0) return path;
  // A pseudo-terminal does not come back: once its far end has closed, its number goes to
  // the next terminal opened anywhere on the machine, a shell's as readily as a receiver's.
  if (device.rfind("/dev/pts/", 0) == 0) return "";
  return device;
}

std::unique_ptr<SerialDevice> TermiosSerialPorts::Open(const std::string& name) {
  problem_.clear();
  const std::string path = SerialDevicePath(name);
  if (path.empty()) {
    problem_ = "no port name";
    return nullptr;
  }
  auto device = OpenPath(path);
  if (device) reached_[name] = {path, DeviceBehind(path)};
  return device;
}

std::unique_ptr<SerialDevice> TermiosSerialPorts::Reopen(const std::string& name) {
  const auto found = reached_.find(name);
  if (found == reached_.end()) return Open(name);
  problem_.clear();
  const std::string path = ReopenedPath(found->second.path, found->second.device);
  if (path.empty()) {
    problem_ = found->second.device + " has gone and is not opened again";
    return nullptr;
  }
  return OpenPath(path);
}

// What a link holds ("/dev/ttyUSB0", "/dev/serial/by-id/...", "tcp:HOST:PORT"); the path
// itself when it is no link.
std::string TermiosSerialPorts::DeviceBehind(const std::string& path) {
  const std::string target = LinkText(path);
  return target.empty() ? path : target;
}

std::unique_ptr<SerialDevice> TermiosSerialPorts::OpenPath(const std::string& path) {
  // A link to "tcp:HOST:PORT" names a line that a server (ser2net) serves over TCP.
  const std::string target = path.rfind("tcp:", 0) == 0 ? path : LinkText(path);
  std::string host, service;
  if (ParseTcpTarget(target, host, service)) {
    std::string why;
    auto device = OpenTcpDevice(host, service, &why);
    if (!device) problem_ = "no connection to " + target + ": " + why;
    return device;
  }
  const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    problem_ = OpenFailure(path, errno);
    return nullptr;
  }
  if (!::isatty(fd) || ::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    problem_ = ::isatty(fd) ? path + " is in use by another program (panelset --list names it)"
                            : path + " is not a serial device";
    ::close(fd);
    return nullptr;
  }
  ::ioctl(fd, TIOCEXCL);
  return std::make_unique<TermiosDevice>(fd);
}

std::vector<std::string> TermiosSerialPorts::FreeAdapters() { return platform::FreeAdapters(); }

}  // namespace kestrel::platform
