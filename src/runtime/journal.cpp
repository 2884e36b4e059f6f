#include "runtime/journal.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>

namespace kestrel {
namespace {

std::FILE* journal_file = nullptr;
bool opened_from_environment = false;
const auto start_time = std::chrono::steady_clock::now();

long long MillisecondsSinceStart() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                               start_time)
      .count();
}

}  // namespace

void OpenJournalFromEnvironment() {
  if (opened_from_environment) return;
  opened_from_environment = true;
  const char* path = std::getenv("KESTREL_JOURNAL");
  if (path && *path) OpenJournal(path);
}

void OpenJournal(const std::string& path) {
  CloseJournal();
  if (path.empty()) return;
  // Opened without waiting; only a plain file is taken (a FIFO nobody reads would stop
  // the panel at its first line).
  const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_NONBLOCK | O_CLOEXEC, 0644);
  if (fd < 0) return;
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) ||
      (journal_file = ::fdopen(fd, "a")) == nullptr) {
    ::close(fd);
  }
}

void CloseJournal() {
  if (journal_file) std::fclose(journal_file);
  journal_file = nullptr;
}

bool JournalActive() { return journal_file != nullptr; }

std::string EscapeForJournal(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  for (const char c : bytes) {
    const auto code = static_cast<unsigned char>(c);
    switch (c) {
      case '\t': out += "\\t"; break;
      case '\r': out += "\\r"; break;
      case '\n': out += "\\n"; break;
      case '\\': out += "\\\\"; break;
      default:
        if (code < 0x20 || code >= 0x7f) {
          char hex[8];
          std::snprintf(hex, sizeof hex, "\\x%02x", code);
          out += hex;
        } else {
          out += c;
        }
    }
  }
  return out;
}

void WriteJournal(std::initializer_list<std::string_view> fields) {
  if (!journal_file) return;
  std::string line = std::to_string(MillisecondsSinceStart());
  for (const auto field : fields) {
    line += '\t';
    line += EscapeForJournal(field);
  }
  line += '\n';
  std::fputs(line.c_str(), journal_file);
  // Every line reaches the file at once, so a test or a crash sees all that happened.
  std::fflush(journal_file);
}

}  // namespace kestrel
