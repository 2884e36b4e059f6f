#include "runtime/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <signal.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <filesystem>

namespace kestrel {
namespace {

constexpr int kBlockSize = 4096;

// read() that retries when a signal interrupts it.
ssize_t ReadSome(int fd, char* buffer, std::size_t size) {
  ssize_t n;
  do {
    n = ::read(fd, buffer, size);
  } while (n < 0 && errno == EINTR);
  return n;
}

void RemoveIfSpecial(const std::string& name) {
  struct stat info {};
  if (::lstat(name.c_str(), &info) != 0) return;
  if (!S_ISREG(info.st_mode) && !S_ISDIR(info.st_mode)) ::unlink(name.c_str());
}

// The folder a relative name stands in, synced, so that a rename in it is on the disk.
// Best effort: a file system that cannot sync a folder has nothing to make durable.
void SyncFolderOf(const std::string& name) {
  const auto slash = name.rfind('/');
  const std::string folder = slash == std::string::npos ? "." : name.substr(0, slash + 1);
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

constexpr const char* kTemporaryEnd = ".tmp";

bool AllDigits(const std::string& text) {
  return !text.empty() && text.find_first_not_of("0123456789") == std::string::npos;
}

// True when `tag` (what stands between the name and ".tmp") is "" or names a process that
// has ended: "<pid>-<nanoseconds>".
bool IsStaleTag(const std::string& tag) {
  if (tag.empty()) return true;
  const auto dash = tag.find('-');
  if (dash == std::string::npos || dash > 9 || !AllDigits(tag.substr(0, dash)) ||
      !AllDigits(tag.substr(dash + 1))) {
    return false;
  }
  const pid_t pid = static_cast<pid_t>(std::stol(tag.substr(0, dash)));
  if (pid <= 0) return false;
  return pid != ::getpid() && ::kill(pid, 0) != 0 && errno == ESRCH;
}

// The name a temporary file stands for, and whether that file is stale; "" for a name of
// another kind.
std::string StaleTemporaryOf(const std::string& entry) {
  const std::string end = kTemporaryEnd;
  if (entry.size() <= end.size() || !entry.ends_with(end)) return {};
  const std::string stem = entry.substr(0, entry.size() - end.size());
  const auto dot = stem.rfind('.');
  // The older form: name + ".tmp".
  std::string name = stem;
  std::string tag;
  if (dot != std::string::npos && dot + 1 < stem.size() && stem[dot + 1] >= '0' &&
      stem[dot + 1] <= '9') {
    name = stem.substr(0, dot);
    tag = stem.substr(dot + 1);
  }
  return IsStaleTag(tag) ? name : std::string();
}

}  // namespace

std::string TemporaryNameFor(const std::string& name) {
  const auto now = std::chrono::steady_clock::now().time_since_epoch();
  return name + "." + std::to_string(::getpid()) + "-" +
         std::to_string(std::chrono::duration_cast<std::chrono::nanoseconds>(now).count()) +
         kTemporaryEnd;
}

void RemoveStaleTemporaries(bool (*isOwn)(const std::string& name)) {
  namespace fs = std::filesystem;
  std::error_code error;
  for (fs::directory_iterator it(".", error), end; !error && it != end; it.increment(error)) {
    const std::string entry = it->path().filename().string();
    const std::string name = StaleTemporaryOf(entry);
    if (name.empty() || !isOwn(name)) continue;
    struct stat info {};
    if (::lstat(entry.c_str(), &info) == 0 && !S_ISDIR(info.st_mode)) ::unlink(entry.c_str());
  }
}

// Reading never waits: a FIFO or a device under a file's name opens at once and is then
// refused, as is anything else that is not a plain file. Writing never goes through a link:
// whatever stands under the name and is neither a plain file nor a folder (a link, a FIFO,
// a device) is removed and a new file made in its place.
int OpenFile(FileVariable& file, const std::string& name, const std::string& mode) {
  if (name.empty() || mode.empty()) return 1;
  int flags = 0;
  switch (mode.front()) {
    case 'R':
    case 'r': flags = O_RDONLY | O_NONBLOCK; break;
    case 'W':
    case 'w': flags = O_RDWR | O_CREAT | O_TRUNC | O_NOFOLLOW | O_NONBLOCK; break;
    default: return 1;
  }
  if ((flags & O_CREAT) != 0) RemoveIfSpecial(name);
  // A file that also has other names is written anew, never in place.
  if ((flags & O_CREAT) != 0 && HasOtherNames(name) && ::unlink(name.c_str()) != 0) return 1;
  const int fd = ::open(name.c_str(), flags | O_CLOEXEC, 0644);
  if (fd < 0) return 1;
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    ::close(fd);
    return 1;
  }
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
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
        // Only what a text can hold is kept; the rest of a longer line is passed over.
        if (line.size() < kTextLimit) line += c;
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
  if (::rename(from.c_str(), to.c_str()) != 0) return false;
  SyncFolderOf(to);
  return true;
}

bool HasOtherNames(const std::string& name) {
  struct stat info {};
  return ::lstat(name.c_str(), &info) == 0 && S_ISREG(info.st_mode) && info.st_nlink > 1;
}

// Root may write any file, so the mode bits are looked at as well as the access check.
bool IsReadOnlyFile(const std::string& name) {
  struct stat info {};
  if (name.empty() || ::lstat(name.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return false;
  return (info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0 || ::access(name.c_str(), W_OK) != 0;
}

}  // namespace kestrel
