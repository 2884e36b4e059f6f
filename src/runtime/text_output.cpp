#include "runtime/text_output.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

namespace kestrel {

// A terminal or a pipe is opened once more, without waiting, through its /proc name: that
// gives a file description of its own, so the shell's stays as it was. A socket cannot be
// opened so; its sends are told not to wait instead.
int OutputWithoutWaiting(int fd) {
  struct stat info {};
  if (fd < 0 || ::fstat(fd, &info) != 0) return -1;
  if (S_ISREG(info.st_mode) || S_ISSOCK(info.st_mode)) return fd;
  const std::string name = "/proc/self/fd/" + std::to_string(fd);
  const int own = ::open(name.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  return own >= 0 ? own : -1;
}

bool WriteWithoutWaiting(int fd, std::string_view bytes) {
  if (fd < 0) return false;
  struct stat info {};
  const bool socket = ::fstat(fd, &info) == 0 && S_ISSOCK(info.st_mode);
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n =
        socket ? ::send(fd, bytes.data() + done, bytes.size() - done, MSG_DONTWAIT | MSG_NOSIGNAL)
               : ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

}  // namespace kestrel
