// hits.csv: comma separated, CR LF line ends, fields quoted where they hold a comma, a quote
// or a line end; each line written with one write() straight to the file.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "operator/hit_log.h"
#include "operator/recordings.h"

namespace kestrel::hit_log {
namespace {

constexpr const char* kHeader =
    "start,end,duration_s,frequency_mhz,mode,level_raw,s_reading,hits,source,label";
constexpr int kFrequencyColumn = 3;

// Halts per frequency in the file; read from it before the first line of this run.
std::map<std::string, int> hit_counts;
bool counts_read = false;

std::string Quoted(const std::string& field) {
  if (field.find_first_of(",\"\r\n") == std::string::npos) return field;
  std::string out = "\"";
  for (const char c : field) {
    if (c == '"') out += '"';
    out += c;
  }
  return out + "\"";
}

std::string IsoTime(const platform::LocalTime& t) {
  char buffer[40];
  std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02dT%02d:%02d:%02d.%03d", t.year, t.month,
                t.day, t.hour, t.minute, t.second, t.millisecond);
  return buffer;
}

std::string Tenths(long long ms) {
  const long long tenths = (ms < 0 ? 0 : ms + 50) / 100;
  return std::to_string(tenths / 10) + "." + std::to_string(tenths % 10);
}

// The fields of each record of a CSV text (quoted fields may hold line ends).
std::vector<std::vector<std::string>> ParseRecords(const std::string& text) {
  std::vector<std::vector<std::string>> records(1, std::vector<std::string>(1));
  bool quoted = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    auto& record = records.back();
    if (quoted) {
      if (c != '"') {
        record.back() += c;
      } else if (i + 1 < text.size() && text[i + 1] == '"') {
        record.back() += '"';
        ++i;
      } else {
        quoted = false;
      }
    } else if (c == '"') {
      quoted = true;
    } else if (c == ',') {
      record.emplace_back();
    } else if (c == '\n') {
      records.emplace_back(1);
    } else if (c != '\r') {
      record.back() += c;
    }
  }
  return records;
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

// The file's own counts, once per run: a line that starts the file's count of a frequency
// anew would give a wrong "hits" column.
void ReadCounts(int fd, long long size) {
  counts_read = true;
  hit_counts.clear();
  std::string text(static_cast<std::size_t>(size), '\0');
  if (size <= 0 || ::pread(fd, text.data(), text.size(), 0) != size) return;
  const auto records = ParseRecords(text);
  for (std::size_t i = 1; i < records.size(); ++i) {  // the header first
    if (records[i].size() > kFrequencyColumn) ++hit_counts[records[i][kFrequencyColumn]];
  }
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

void ForgetHitCounts() {
  hit_counts.clear();
  counts_read = false;
}

// Never through a link, never into anything but a plain file, and never waiting to open
// (a FIFO or a device in its place is refused at once).
bool AppendHitLine(const HitLine& line) {
  const int fd = ::open(kFileName,
                        O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  struct stat info {};
  bool ok = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
  if (ok && !counts_read) {
    const int reader = ::open(kFileName, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (reader >= 0) {
      ReadCounts(reader, info.st_size);
      ::close(reader);
    }
  }
  const int count = hit_counts[line.frequency] + 1;
  // With a sound input chosen the recording's name stands in a last column.
  const bool recorded = RecordingsChosen();
  std::string text =
      info.st_size == 0 ? kHeader + std::string(recorded ? ",recording\r\n" : "\r\n") : "";
  text += IsoTime(line.start) + "," + IsoTime(line.end) + "," + Tenths(line.durationMs) + "," +
          Quoted(line.frequency) + "," + Quoted(line.mode) + "," +
          std::to_string(line.levelRaw) + "," + Quoted(line.sReading) + "," +
          std::to_string(count) + "," + Quoted(line.source) + "," + Quoted(line.label) +
          (recorded ? "," + Quoted(line.recording) : "") + "\r\n";
  if (ok && !WriteAll(fd, text)) {
    // A half-written line is taken back, so that the next one starts a line of its own.
    const bool takenBack = ::ftruncate(fd, info.st_size) == 0;
    (void)takenBack;
    ok = false;
  }
  if (ok) hit_counts[line.frequency] = count;
  ok = ::close(fd) == 0 && ok;
  return ok;
}

}  // namespace kestrel::hit_log
