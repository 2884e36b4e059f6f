// hits.csv: comma separated, CR LF line ends, fields quoted where they hold a comma or a
// quote; each line written with one write() straight to the file. The "hits" column is
// counted from what the file holds when the line is written, a block at a time, so neither
// the file's size nor what happened to it meanwhile (emptied, renamed, cut off) misleads it.
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <string>
#include <vector>

#include "operator/hit_log.h"
#include "operator/recordings.h"
#include "runtime/files.h"

namespace kestrel::hit_log {
namespace {

constexpr const char* kHeader =
    "start,end,duration_s,frequency_mhz,mode,level_raw,s_reading,hits,source,label";
constexpr int kFrequencyColumn = 3;
constexpr int kFieldsOfAHit = 10;
// A log grown past this is put aside under its date and a new one begun.
constexpr long long kLargestLogBytes = 50LL * 1000 * 1000;
constexpr int kMostAsidesADay = 99;
constexpr std::size_t kReadBlockBytes = 64 * 1024;

// Reads the file's records block by block as they come, keeping no more than the frequency
// field of the record at hand.
class HitCounter {
 public:
  explicit HitCounter(const std::string& frequency) : frequency_(frequency) {}

  // Complete records (a line end after them) at this frequency; a torn last line is none.
  int Count() const { return count_; }

  // What the new record needs before it to start a line of its own: nothing after a line
  // end; after a torn line its end (and the quote it left open).
  std::string Mend() const {
    if (quoted_ && !quoteSeen_) return "\"\r\n";
    if (!inRecord_) return "";
    return lastByte_ == '\r' ? "\n" : "\r\n";
  }

  void Take(const char* bytes, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
      if (!quoted_ && field_ != kFrequencyColumn) {
        // Nothing in this field counts: on to the next comma, quote or line end.
        const std::size_t from = i;
        while (i < count && bytes[i] != ',' && bytes[i] != '"' && bytes[i] != '\n') ++i;
        if (i > from) {
          inRecord_ = true;
          lastByte_ = bytes[i - 1];
        }
        if (i == count) return;
      }
      Take(bytes[i]);
    }
  }

 private:
  void Take(char c) {
    lastByte_ = c;
    if (quoted_ && !TakeQuoted(c)) return;
    switch (c) {
      case '"': quoted_ = true; break;
      case ',': ++field_; break;
      case '\n': EndRecord(); break;
      case '\r': break;
      default: Keep(c);
    }
  }

  // True when c ended the quoted field and is to be read as unquoted.
  bool TakeQuoted(char c) {
    inRecord_ = true;
    if (quoteSeen_) {
      quoteSeen_ = false;
      if (c == '"') {
        Keep(c);
        return false;
      }
      quoted_ = false;
      return true;
    }
    if (c == '"') {
      quoteSeen_ = true;
    } else {
      Keep(c);
    }
    return false;
  }

  void Keep(char c) {
    inRecord_ = true;
    // One byte beyond the frequency's length is enough to tell the field differs.
    if (field_ == kFrequencyColumn && value_.size() <= frequency_.size()) value_ += c;
  }

  void EndRecord() {
    if (field_ + 1 >= kFieldsOfAHit && value_ == frequency_) ++count_;
    field_ = 0;
    value_.clear();
    inRecord_ = false;
  }

  const std::string& frequency_;
  int count_ = 0;
  int field_ = 0;
  std::string value_;
  bool quoted_ = false;
  bool quoteSeen_ = false;  // a quote inside a quoted field: its end, or the first of two
  bool inRecord_ = false;   // bytes since the last line end
  char lastByte_ = '\n';
};

// Bytes outside printable ASCII (an escape sequence, a line end) become blanks.
std::string Printable(std::string text) {
  for (char& c : text) {
    if (c < ' ' || c > '~') c = ' ';
  }
  return text;
}

std::string Field(const std::string& text) {
  const std::string field = Printable(text);
  if (field.find_first_of(",\"") == std::string::npos) return field;
  std::string out = "\"";
  for (const char c : field) {
    if (c == '"') out += '"';
    out += c;
  }
  return out + "\"";
}

std::string IsoTime(const platform::LocalTime& t) {
  char buffer[40];
  std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02dT%02d:%02d:%02d.%03d", t.year, t.month, t.day,
                t.hour, t.minute, t.second, t.millisecond);
  return buffer;
}

std::string Tenths(long long ms) {
  const long long tenths = (ms < 0 ? 0 : ms + 50) / 100;
  return std::to_string(tenths / 10) + "." + std::to_string(tenths % 10);
}

bool WriteAll(int fd, const std::string& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

// The first `size` bytes of the file through the counter; false when they could not be read.
bool ReadThrough(int fd, long long size, HitCounter& counter) {
  std::vector<char> block(kReadBlockBytes);
  for (long long at = 0; at < size;) {
    const auto wanted = static_cast<std::size_t>(std::min<long long>(size - at, block.size()));
    const ssize_t n = ::pread(fd, block.data(), wanted, at);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    counter.Take(block.data(), static_cast<std::size_t>(n));
    at += n;
  }
  return true;
}

// The log opened for appending and reading; -1 unless it is a plain file of one name.
// Never through a link.
int OpenLog(struct stat& info) {
  if (HasOtherNames(kFileName)) return -1;
  const int flags = O_RDWR | O_APPEND | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC;
  const int fd = ::open(kFileName, flags, 0644);
  if (fd < 0) return -1;
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    ::close(fd);
    return -1;
  }
  return fd;
}

// `to` is a new name for `from`, never one that replaces a file.
bool RenameWithoutReplacing(const char* from, const char* to) {
  if (::renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE) == 0) return true;
  // A file system without such a rename: a second name, then the first one let go.
  if (errno != EINVAL || ::link(from, to) != 0) return false;
  return ::unlink(from) == 0;
}

// hits.csv becomes hits-YYYYMMDD.csv (hits-YYYYMMDD-2.csv and on when that is taken);
// no file is ever replaced.
bool PutLogAside() {
  const platform::LocalTime today = platform::GetClock().Now();
  char stem[32];
  std::snprintf(stem, sizeof stem, "hits-%04d%02d%02d", today.year, today.month, today.day);
  for (int n = 1; n <= kMostAsidesADay; ++n) {
    const std::string name = stem + (n == 1 ? std::string() : "-" + std::to_string(n)) + ".csv";
    if (RenameWithoutReplacing(kFileName, name.c_str())) return true;
    if (errno != EEXIST) return false;
  }
  return false;
}

// The log to append to, put aside first when it has grown past its bound.
int OpenBoundedLog(struct stat& info) {
  const int fd = OpenLog(info);
  if (fd < 0 || info.st_size <= kLargestLogBytes) return fd;
  ::close(fd);
  return PutLogAside() ? OpenLog(info) : -1;
}

std::string RecordText(const HitLine& line, int count) {
  return IsoTime(line.start) + "," + IsoTime(line.end) + "," + Tenths(line.durationMs) + "," +
         Field(line.frequency) + "," + Field(line.mode) + "," + std::to_string(line.levelRaw) +
         "," + Field(line.sReading) + "," + std::to_string(count) + "," + Field(line.source) + "," +
         Field(line.label) + (RecordingsChosen() ? "," + Field(line.recording) : "") + "\r\n";
}

}  // namespace

std::string ShownFrequency(const std::string& text) {
  std::string shown = text;
  while (!shown.empty() && shown.front() == '0') shown.erase(0, 1);
  if (shown.find('.') != std::string::npos) {
    while (!shown.empty() && shown.back() == '0') shown.pop_back();
    if (!shown.empty() && shown.back() == '.') shown.pop_back();
  }
  if (shown.empty() || shown.front() == '.') shown.insert(0, "0");
  return shown;
}

bool AppendHitLine(const HitLine& line) {
  struct stat info {};
  const int fd = OpenBoundedLog(info);
  if (fd < 0) return false;
  const std::string frequency = Printable(line.frequency);
  HitCounter counter(frequency);
  bool ok = ReadThrough(fd, info.st_size, counter);
  // With a sound input chosen the recording's name stands in a last column.
  const char* headerEnd = RecordingsChosen() ? ",recording\r\n" : "\r\n";
  std::string text = info.st_size == 0 ? std::string(kHeader) + headerEnd : counter.Mend();
  text += RecordText(line, counter.Count() + 1);
  if (ok && !WriteAll(fd, text)) {
    // A half-written line is taken back, so that the next one starts a line of its own.
    const bool takenBack = ::ftruncate(fd, info.st_size) == 0;
    (void)takenBack;
    ok = false;
  }
  ok = ::close(fd) == 0 && ok;
  return ok;
}

}  // namespace kestrel::hit_log
