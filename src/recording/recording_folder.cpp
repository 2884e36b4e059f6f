#include "recording/recording_folder.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <regex>

namespace kestrel::recording {
namespace {

constexpr int kLeastDecimals = 4;

const std::regex& NamePattern() {
  static const std::regex pattern(
      R"((\d{4})(\d\d)(\d\d)-(\d\d)(\d\d)(\d\d)_(\d{1,5}\.\d{4,6})\.opus)");
  return pattern;
}

bool ParseName(const std::string& name, RecordingEntry& entry) {
  std::smatch parts;
  if (!std::regex_match(name, parts, NamePattern())) return false;
  auto number = [&parts](int i) { return std::stoi(parts[i].str()); };
  entry.name = name;
  entry.start = {number(1), number(2), number(3), number(4), number(5), number(6), 0};
  entry.frequency = parts[7].str();
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
