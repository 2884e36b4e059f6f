// What every fuzz target shares: a scratch folder to work in, a check that reports a broken
// invariant as a crash (so libFuzzer keeps the input), and the line splitting that the line
// reader is held to.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include <unistd.h>

// A broken invariant: say which, then crash so that the input is kept.
#define FUZZ_CHECK(condition)                                                                \
  do {                                                                                       \
    if (!(condition)) {                                                                      \
      std::fprintf(stderr, "%s:%d: invariant broken: %s\n", __FILE__, __LINE__, #condition); \
      std::abort();                                                                          \
    }                                                                                        \
  } while (false)

namespace kestrel::fuzz {

// A folder of its own under TMPDIR, "<folder>/work" the working folder of every run, so that
// a file written beside the working folder shows up as an entry of <folder> itself.
class ScratchFolder {
 public:
  ScratchFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "kestrel-fuzz-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) std::abort();
    outer_ = pattern;
    work_ = outer_ / "work";
    std::filesystem::create_directory(work_);
    std::filesystem::current_path(work_);
  }
  ~ScratchFolder() {
    std::error_code ignored;
    std::filesystem::current_path(outer_.parent_path(), ignored);
    std::filesystem::remove_all(outer_, ignored);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  // Empties the working folder and goes back into it.
  void Clear() {
    std::filesystem::current_path(work_);
    for (const auto& entry : std::filesystem::directory_iterator(work_)) {
      std::filesystem::remove_all(entry.path());
    }
  }
  // True when nothing but the working folder is in the scratch folder.
  bool NothingBesideWork() const {
    for (const auto& entry : std::filesystem::directory_iterator(outer_)) {
      if (entry.path() != work_) return false;
    }
    return true;
  }

 private:
  std::filesystem::path outer_;
  std::filesystem::path work_;
};

// The one scratch folder of the process, entered and emptied for this run.
inline ScratchFolder& FreshScratchFolder() {
  static ScratchFolder folder;
  folder.Clear();
  return folder;
}

inline void WriteWholeFile(const std::string& name, std::string_view bytes) {
  std::ofstream out(name, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::string ReadWholeFile(const std::string& name) {
  std::ifstream in(name, std::ios::binary);
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

// The lines of a file as the line reader must give them: a line ends at CR, LF or CR LF,
// a last line without a line end counts when it is not empty, each line is cut to 254.
inline std::vector<std::string> SplitLines(std::string_view bytes, std::size_t limit = 254) {
  std::vector<std::string> lines;
  std::string line;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const char c = bytes[i];
    if (c != '\r' && c != '\n') {
      line += c;
      continue;
    }
    if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
    lines.push_back(line.substr(0, limit));
    line.clear();
  }
  if (!line.empty()) lines.push_back(line.substr(0, limit));
  return lines;
}

}  // namespace kestrel::fuzz
