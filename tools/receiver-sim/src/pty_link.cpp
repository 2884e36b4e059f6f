#include "pty_link.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace kestrel::sim {
namespace {

struct SpeedEntry {
  speed_t code;
  int baud;
};

constexpr std::array<SpeedEntry, 15> kSpeeds = {{
    {B300, 300},
    {B600, 600},
    {B1200, 1200},
    {B1800, 1800},
    {B2400, 2400},
    {B4800, 4800},
    {B9600, 9600},
    {B19200, 19200},
    {B38400, 38400},
    {B57600, 57600},
    {B115200, 115200},
    {B230400, 230400},
    {B460800, 460800},
    {B110, 110},
    {B150, 150},
}};

int BaudOf(speed_t code) {
  for (const auto& entry : kSpeeds) {
    if (entry.code == code) return entry.baud;
  }
  return 0;
}

int DataBitsOf(tcflag_t cflag) {
  switch (cflag & CSIZE) {
    case CS5: return 5;
    case CS6: return 6;
    case CS7: return 7;
    default: return 8;
  }
}

std::string LinkTarget(const std::string& path) {
  std::array<char, 4096> target{};
  const ssize_t n = ::readlink(path.c_str(), target.data(), target.size() - 1);
  return n > 0 ? std::string(target.data(), static_cast<std::size_t>(n)) : "";
}

// Opens the terminal once to make it raw: no echo, no CR or LF translation. The setting
// stays while the master is open, across every open and close of the panel.
bool MakeRaw(const std::string& name) {
  const int slave = ::open(name.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (slave < 0) return false;
  termios tio{};
  bool ok = ::tcgetattr(slave, &tio) == 0;
  if (ok) {
    ::cfmakeraw(&tio);
    ok = ::tcsetattr(slave, TCSANOW, &tio) == 0;
  }
  ::close(slave);
  return ok;
}

// A new raw pseudo-terminal: its master, or -1 with error set.
int MakeTerminal(std::string& name, std::string& error) {
  const int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  const char* slave = master >= 0 && ::grantpt(master) == 0 && ::unlockpt(master) == 0
                          ? ::ptsname(master)
                          : nullptr;
  if (!slave || !MakeRaw(slave)) {
    error = std::string("cannot make a pseudo-terminal: ") + std::strerror(errno);
    if (master >= 0) ::close(master);
    return -1;
  }
  name = slave;
  return master;
}

}  // namespace

bool PtyLink::Open(const std::string& linkPath, std::string& error) {
  master_ = MakeTerminal(terminalName_, error);
  if (master_ < 0) return false;
  struct stat info {};
  if (::lstat(linkPath.c_str(), &info) == 0) {
    if (!S_ISLNK(info.st_mode)) {
      error = linkPath + " exists and is no symbolic link; not replacing it";
      Close();
      return false;
    }
    ::unlink(linkPath.c_str());  // left behind by an earlier run
  }
  if (::symlink(terminalName_.c_str(), linkPath.c_str()) != 0) {
    error = "cannot make the link " + linkPath + ": " + std::strerror(errno);
    Close();
    return false;
  }
  linkPath_ = linkPath;
  return true;
}

bool PtyLink::Release(std::string& error) {
  const int slave = ::open(terminalName_.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (slave >= 0) {
    ::ioctl(slave, TIOCNXCL);
    ::close(slave);
    return true;
  }
  if (errno != EBUSY) return true;
  // Only root may open an exclusive terminal: a fresh one takes the old one's place behind
  // the same link, renamed over it so the link never goes missing.
  std::string name;
  const int master = MakeTerminal(name, error);
  if (master < 0) return false;
  const std::string temporary = linkPath_ + ".new";
  ::unlink(temporary.c_str());
  if (::symlink(name.c_str(), temporary.c_str()) != 0 ||
      ::rename(temporary.c_str(), linkPath_.c_str()) != 0) {
    error = "cannot point " + linkPath_ + " to " + name + ": " + std::strerror(errno);
    ::unlink(temporary.c_str());
    ::close(master);
    return false;
  }
  ::close(master_);
  master_ = master;
  terminalName_ = name;
  return true;
}

bool PtyLink::PeerOpen() const {
  if (master_ < 0) return false;
  pollfd p{master_, POLLIN, 0};
  return ::poll(&p, 1, 0) >= 0 && !(p.revents & POLLHUP);
}

std::string PtyLink::ReadAvailable() {
  std::string bytes;
  std::array<char, 512> buffer;
  while (master_ >= 0) {
    const ssize_t n = ::read(master_, buffer.data(), buffer.size());
    if (n > 0) {
      bytes.append(buffer.data(), static_cast<std::size_t>(n));
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    break;  // EAGAIN: all read; EIO: the panel has closed its side
  }
  return bytes;
}

void PtyLink::Write(std::string_view bytes) {
  while (master_ >= 0 && !bytes.empty()) {
    const ssize_t n = ::write(master_, bytes.data(), bytes.size());
    if (n > 0) {
      bytes.remove_prefix(static_cast<std::size_t>(n));
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    // A panel that reads nothing fills the terminal's buffer: wait a little, then drop.
    pollfd p{master_, POLLOUT, 0};
    if (n < 0 && errno == EAGAIN && ::poll(&p, 1, 100) > 0 && (p.revents & POLLOUT)) continue;
    return;
  }
}

std::string PtyLink::SettingsText() const {
  termios tio{};
  if (master_ < 0 || ::tcgetattr(master_, &tio) != 0) return "";
  const tcflag_t c = tio.c_cflag;
  const char parity = !(c & PARENB) ? 'N' : (c & PARODD) ? 'O' : 'E';
  return std::to_string(BaudOf(::cfgetospeed(&tio))) + " " + std::to_string(DataBitsOf(c)) +
         parity + ((c & CSTOPB) ? "2" : "1");
}

void PtyLink::Close() {
  if (!linkPath_.empty() && LinkTarget(linkPath_) == terminalName_) ::unlink(linkPath_.c_str());
  linkPath_.clear();
  if (master_ >= 0) ::close(master_);
  master_ = -1;
}

}  // namespace kestrel::sim
