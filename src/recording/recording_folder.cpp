#include "recording/recording_folder.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>

namespace kestrel::recording {
namespace {

constexpr int kLeastDecimals = 4;

bool AllDigits(const std::string& text, std::size_t from, std::size_t count) {
  if (from + count > text.size()) return false;
  for (std::size_t i = from; i < from + count; ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
  }
  return true;
}

// "YYYYMMDD-hhmmss_" + MHz with 1 to 5 digits, a point and 4 to 6 decimals + ".opus".
bool ParseName(const std::string& name, RecordingEntry& entry) {
  constexpr std::size_t kStampLength = 16;  // "20261207-031204_"
  const std::string kExtension = ".opus";
  if (name.size() <= kStampLength + kExtension.size() || name[8] != '-' || name[15] != '_' ||
      !AllDigits(name, 0, 8) || !AllDigits(name, 9, 6) ||
      name.compare(name.size() - kExtension.size(), kExtension.size(), kExtension) != 0) {
    return false;
  }
  const std::string frequency =
      name.substr(kStampLength, name.size() - kStampLength - kExtension.size());
  const auto point = frequency.find('.');
  const std::size_t decimals = point == std::string::npos ? 0 : frequency.size() - point - 1;
  if (point < 1 || point > 5 || decimals < 4 || decimals > 6 || !AllDigits(frequency, 0, point) ||
      !AllDigits(frequency, point + 1, decimals)) {
    return false;
  }
  auto number = [&name](std::size_t at, std::size_t count) {
    return std::stoi(name.substr(at, count));
  };
  entry.name = name;
  entry.start = {
      number(0, 4), number(4, 2), number(6, 2), number(9, 2), number(11, 2), number(13, 2), 0};
  entry.frequency = frequency;
  return true;
}

}  // namespace

std::string RecordingName(const platform::LocalTime& start, const std::string& frequencyMhz) {
  std::string frequency = frequencyMhz;
  auto point = frequency.find('.');
  if (point == std::string::npos) {
    point = frequency.size();
    frequency += '.';
  }
  while (frequency.size() - point - 1 < static_cast<std::size_t>(kLeastDecimals)) frequency += '0';
  char stamp[32];
  std::snprintf(stamp, sizeof stamp, "%04d%02d%02d-%02d%02d%02d_", start.year % 10000,
                start.month % 100, start.day % 100, start.hour % 100, start.minute % 100,
                start.second % 100);
  return stamp + frequency + ".opus";
}

int OpenFolder(bool make) {
  if (make) ::mkdir(kFolderName, 0755);
  return ::open(kFolderName, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
}

std::vector<RecordingEntry> ListRecordings(int folder) {
  std::vector<RecordingEntry> entries;
  const int listing = ::dup(folder);
  DIR* dir = listing >= 0 ? ::fdopendir(listing) : nullptr;
  if (!dir) {
    if (listing >= 0) ::close(listing);
    return entries;
  }
  ::rewinddir(dir);
  while (const dirent* item = ::readdir(dir)) {
    RecordingEntry entry;
    struct stat status {};
    if (!ParseName(item->d_name, entry)) continue;
    if (::fstatat(folder, item->d_name, &status, AT_SYMLINK_NOFOLLOW) != 0) continue;
    if (!S_ISREG(status.st_mode)) continue;
    entry.bytes = status.st_size;
    entries.push_back(entry);
  }
  ::closedir(dir);
  std::sort(entries.begin(), entries.end(),
            [](const RecordingEntry& a, const RecordingEntry& b) { return a.name < b.name; });
  return entries;
}

void KeepWithin(int folder, long long capBytes) {
  const std::vector<RecordingEntry> entries = ListRecordings(folder);
  long long total = 0;
  for (const RecordingEntry& entry : entries) total += entry.bytes;
  for (const RecordingEntry& entry : entries) {
    if (total <= capBytes) break;
    if (::unlinkat(folder, entry.name.c_str(), 0) == 0) total -= entry.bytes;
  }
}

}  // namespace kestrel::recording
