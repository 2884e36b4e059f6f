#include "runtime/platform/linux_sockets.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace kestrel::platform {
namespace {

// Connections waiting to be taken while the panel is busy elsewhere (a connect storm).
constexpr int kBacklog = 64;

// The address as a numeric IPv4 or IPv6 address ("::1"), or a host name resolved to its
// first IPv4 address (its first IPv6 address when it has none), with the port.
bool ResolveAddress(const std::string& address, int port, sockaddr_storage& out, socklen_t& length,
                    std::string& error) {
  const std::string service = std::to_string(port);
  for (const int family : {AF_INET, AF_INET6}) {
    addrinfo hints{};
    hints.ai_family = family;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_NUMERICSERV;
    addrinfo* found = nullptr;
    if (getaddrinfo(address.c_str(), service.c_str(), &hints, &found) != 0 || !found) continue;
    length = found->ai_addrlen;
    std::memcpy(&out, found->ai_addr, found->ai_addrlen);
    freeaddrinfo(found);
    return true;
  }
  error = "unknown address " + address;
  return false;
}

int PortOf(const sockaddr_storage& where) {
  const std::size_t at = where.ss_family == AF_INET6 ? offsetof(sockaddr_in6, sin6_port)
                                                     : offsetof(sockaddr_in, sin_port);
  std::uint16_t port = 0;
  std::memcpy(&port, reinterpret_cast<const char*>(&where) + at, sizeof port);
  return ntohs(port);
}

bool IsPassing(int error) { return error == EAGAIN || error == EWOULDBLOCK || error == EINTR; }

}  // namespace

int PosixSockets::Listen(const std::string& address, int port, int& boundPort, std::string& error) {
  sockaddr_storage where{};
  socklen_t length = 0;
  if (!ResolveAddress(address, port, where, length, error)) return -1;
  const int fd = socket(where.ss_family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd < 0) {
    error = std::strerror(errno);
    return -1;
  }
  // A panel started again at once finds its port still in TIME_WAIT otherwise.
  const int yes = 1;
  setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
  if (bind(fd, reinterpret_cast<sockaddr*>(&where), length) != 0 || listen(fd, kBacklog) != 0 ||
      getsockname(fd, reinterpret_cast<sockaddr*>(&where), &length) != 0) {
    error = std::strerror(errno);
    close(fd);
    return -1;
  }
  boundPort = PortOf(where);
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
