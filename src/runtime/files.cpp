#include "runtime/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace kestrel {
namespace {

constexpr int kBlockSize = 128;

// read() that retries when a signal interrupts it.
ssize_t ReadSome(int fd, char* buffer, std::size_t size) {
  ssize_t n;
  do {
    n = ::read(fd, buffer, size);
  } while (n < 0 && errno == EINTR);
  return n;
}

}  // namespace

int OpenFile(FileVariable& file, const std::string& name, const std::string& mode) {
  if (name.empty() || mode.empty()) return 1;
  int flags = 0;
  switch (mode.front()) {
    case 'R': case 'r': flags = O_RDONLY; break;
    case 'W': case 'w': flags = O_RDWR | O_CREAT | O_TRUNC; break;
    default: return 1;
  }
  const int fd = ::open(name.c_str(), flags | O_CLOEXEC, 0644);
  if (fd < 0) return 1;
  struct stat info {};
  if (::fstat(fd, &info) != 0 || S_ISDIR(info.st_mode)) {
    ::close(fd);
    return 1;
  }
  ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
  CloseFile(file);
  file.handle = fd;
  return 0;
}

int ReadLine(FileVariable& file, Text& destination) {
  if (!file.IsOpen()) return -1;
  std::string line;
  bool consumed = false;
  char block[kBlockSize];
  for (;;) {
    const ssize_t count = ReadSome(file.handle, block, kBlockSize);
    if (count <= 0) break;
    consumed = true;
    for (ssize_t i = 0; i < count; ++i) {
      const char c = block[i];
      if (c != '\r' && c != '\n') {
        line += c;
        continue;
      }
      // The line ends here: put the file position back to just after its line end.
      off_t next = i + 1;
      if (c == '\r') {
        if (i + 1 < count) {
          if (block[i + 1] == '\n') next = i + 2;
        } else {
          // A CR as the last byte of a block may be followed by an LF in the next one.
          char after;
          if (ReadSome(file.handle, &after, 1) == 1 && after != '\n') {
            ::lseek(file.handle, -1, SEEK_CUR);
          }
          next = count;
        }
      }
      if (next < count) ::lseek(file.handle, next - count, SEEK_CUR);
      destination = line;
      return 0;
    }
    if (count < kBlockSize) break;
  }
  destination = line;
  return consumed ? 0 : -1;
}

int WriteLine(FileVariable& file, const std::string& text) {
  if (!file.IsOpen()) return 0;
  const std::string bytes = text + "\r\n";
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(file.handle, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += static_cast<std::size_t>(n);
  }
  return static_cast<int>(done);
}

bool FlushFile(FileVariable& file) { return file.IsOpen() && ::fsync(file.handle) == 0; }

void CloseFile(FileVariable& file) {
  if (!file.IsOpen()) return;
  ::close(file.handle);
  file.handle = -1;
}

bool DeleteFile(const std::string& name) {
  if (name.empty()) return true;
  if (::unlink(name.c_str()) == 0) return true;
  // A read-only file system refuses the unlink even of a name it does not hold.
  struct stat info {};
  return ::lstat(name.c_str(), &info) != 0 && errno == ENOENT;
}

bool RenameFile(const std::string& from, const std::string& to) {
  return ::rename(from.c_str(), to.c_str()) == 0;
}

// Root may write any file, so the mode bits are looked at as well as the access check.
bool IsReadOnlyFile(const std::string& name) {
  struct stat info {};
  if (name.empty() || ::lstat(name.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return false;
  return (info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0 || ::access(name.c_str(), W_OK) != 0;
}

}  // namespace kestrel
