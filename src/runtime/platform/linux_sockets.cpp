#include "runtime/platform/linux_sockets.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>

namespace kestrel::platform {
namespace {

constexpr int kBacklog = 8;

// The address as a dotted IPv4 number, or a host name resolved to its first IPv4 address.
bool ResolveAddress(const std::string& address, in_addr& out, std::string& error) {
  if (inet_pton(AF_INET, address.c_str(), &out) == 1) return true;
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  const int result = getaddrinfo(address.c_str(), nullptr, &hints, &found);
  if (result != 0 || !found) {
    error = "unknown address " + address;
    return false;
  }
  out = reinterpret_cast<sockaddr_in*>(found->ai_addr)->sin_addr;
  freeaddrinfo(found);
  return true;
}

bool IsPassing(int error) { return error == EAGAIN || error == EWOULDBLOCK || error == EINTR; }

}  // namespace

int PosixSockets::Listen(const std::string& address, int port, int& boundPort,
                         std::string& error) {
  sockaddr_in where{};
  where.sin_family = AF_INET;
  where.sin_port = htons(static_cast<std::uint16_t>(port));
  if (!ResolveAddress(address, where.sin_addr, error)) return -1;
  const int fd = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd < 0) {
    error = std::strerror(errno);
    return -1;
  }
  // A panel started again at once finds its port still in TIME_WAIT otherwise.
  const int yes = 1;
  setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
  socklen_t length = sizeof where;
  if (bind(fd, reinterpret_cast<sockaddr*>(&where), sizeof where) != 0 ||
      listen(fd, kBacklog) != 0 ||
      getsockname(fd, reinterpret_cast<sockaddr*>(&where), &length) != 0) {
    error = std::strerror(errno);
    close(fd);
    return -1;
  }
  boundPort = ntohs(where.sin_port);
  return fd;
}

int PosixSockets::Accept(int listener) {
  const int fd = accept4(listener, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
  if (fd < 0) return -1;
  // Answers are short lines: each goes out at once rather than waiting for more.
  const int yes = 1;
  setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &yes, sizeof yes);
  return fd;
}

int PosixSockets::Receive(int handle, char* buffer, int max) {
  const ssize_t count = recv(handle, buffer, static_cast<std::size_t>(max), 0);
  if (count > 0) return static_cast<int>(count);
  if (count < 0 && IsPassing(errno)) return 0;
  return -1;
}

int PosixSockets::Send(int handle, const char* data, int count) {
  // MSG_NOSIGNAL: a peer that has gone is a result here, not a SIGPIPE that ends the panel.
  const ssize_t sent = send(handle, data, static_cast<std::size_t>(count), MSG_NOSIGNAL);
  if (sent >= 0) return static_cast<int>(sent);
  return IsPassing(errno) ? 0 : -1;
}

void PosixSockets::Close(int handle) {
  if (handle >= 0) close(handle);
}

}  // namespace kestrel::platform
