#include "runtime/platform/sound_path.h"

#include <algorithm>
#include <filesystem>
#include <optional>
#include <system_error>
#include <vector>

namespace kestrel::platform {
namespace {

namespace fs = std::filesystem;

constexpr std::size_t kLongestComponent = 255;  // NAME_MAX on the file systems we run on

// Only printable ASCII reaches the file system: no NUL, no control bytes, no bytes whose
// meaning depends on an encoding.
bool IsPlainComponent(const std::string& part) {
  if (part.empty() || part == "." || part == ".." || part.size() > kLongestComponent) {
    return false;
  }
  return std::all_of(part.begin(), part.end(), [](char c) {
    const auto code = static_cast<unsigned char>(c);
    return code >= 0x20 && code < 0x7f && c != '/';
  });
}

// Splits at backslashes and slashes; nullopt when any component is unusable, which also
// rejects a leading separator (an absolute path) and a trailing one (no file name).
std::optional<std::vector<std::string>> SplitComponents(const std::string& path) {
  std::vector<std::string> parts(1);
  for (const char c : path) {
    if (c == '\\' || c == '/') {
      parts.emplace_back();
    } else {
      parts.back() += c;
    }
  }
  for (const auto& part : parts) {
    if (!IsPlainComponent(part)) return std::nullopt;
  }
  return parts;
}

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }

bool SameIgnoringCase(const std::string& a, const std::string& b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return LowerAscii(x) == LowerAscii(y);
         });
}

bool IsWanted(const fs::path& candidate, bool wantFolder) {
  std::error_code error;
  return wantFolder ? fs::is_directory(candidate, error) : fs::is_regular_file(candidate, error);
}

// The entry of folder that matches name: the exact name if it is there, otherwise the first
// in byte order among those equal to it without regard to case, so the choice never depends
// on the order in which the directory lists them.
std::optional<std::string> FindEntry(const fs::path& folder, const std::string& name,
                                     bool wantFolder) {
  if (IsWanted(folder / name, wantFolder)) return name;
  std::optional<std::string> found;
  std::error_code error;
  for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
    const std::string entry = it->path().filename().string();
    if (!SameIgnoringCase(entry, name) || !IsWanted(it->path(), wantFolder)) continue;
    if (!found || entry < *found) found = entry;
  }
  return found;
}

bool HasExtension(const std::string& name) { return name.find('.') != std::string::npos; }

// Looks the components up one by one below base ("" for the working folder).
std::string ResolveBelow(const fs::path& base, const std::vector<std::string>& parts,
                         std::size_t first) {
  fs::path found = base;
  for (std::size_t i = first; i < parts.size(); ++i) {
    const bool last = i + 1 == parts.size();
    const auto entry = FindEntry(found.empty() ? fs::path(".") : found, parts[i], !last);
    if (!entry) return {};
    found /= *entry;
  }
  return found.string();
}

void AddOnce(std::vector<std::string>& folders, const std::string& folder) {
  if (folder.empty() || folder.front() != '/') return;
  if (std::find(folders.begin(), folders.end(), folder) == folders.end()) {
    folders.push_back(folder);
  }
}

}  // namespace

std::string ResolveSoundPath(const std::string& path) { return ResolveSoundPath(path, {}); }

std::string ResolveSoundPath(const std::string& path,
                             const std::vector<std::string>& voiceFolders) {
  auto parts = SplitComponents(path);
  if (!parts) return {};
  if (!HasExtension(parts->back())) parts->back() += ".wav";
  std::string found = ResolveBelow({}, *parts, 0);
  if (!found.empty() || parts->size() < 2 || !SameIgnoringCase(parts->front(), "wave")) {
    return found;
  }
  for (const std::string& folder : voiceFolders) {
    found = ResolveBelow(folder, *parts, 1);
    if (!found.empty()) return found;
  }
  return {};
}

std::vector<std::string> VoiceFolders(const VoicePlaces& places) {
  std::vector<std::string> folders;
  std::string dataHome = places.dataHome;
  if (dataHome.empty() || dataHome.front() != '/') {
    dataHome = places.home.empty() ? std::string() : places.home + "/.local/share";
  }
  if (!dataHome.empty()) AddOnce(folders, dataHome + "/kestrel/wave");
  const std::string dataDirs =
      places.dataDirs.empty() ? std::string("/usr/local/share:/usr/share") : places.dataDirs;
  std::size_t start = 0;
  while (start <= dataDirs.size()) {
    const std::size_t end = std::min(dataDirs.find(':', start), dataDirs.size());
    const std::string entry = dataDirs.substr(start, end - start);
    if (!entry.empty()) AddOnce(folders, entry + "/kestrel/wave");
    start = end + 1;
  }
  if (!places.installedData.empty()) AddOnce(folders, places.installedData + "/kestrel/wave");
  if (!places.executableFolder.empty()) {
    AddOnce(
        folders,
        (fs::path(places.executableFolder).parent_path() / "share" / "kestrel" / "wave").string());
  }
  return folders;
}

}  // namespace kestrel::platform
