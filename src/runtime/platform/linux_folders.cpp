#include "runtime/platform/linux_folders.h"

#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace kestrel::platform {
namespace {

namespace fs = std::filesystem;

std::string Environment(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

std::string ExecutableFolder() {
  std::error_code error;
  const fs::path self = fs::read_symlink("/proc/self/exe", error);
  return error ? std::string() : self.parent_path().string();
}

}  // namespace

const char* const kFolderOptionsHelp =
    "  --folder DIR    work in DIR instead of the current folder\n"
    "  --user-folder   work in the user's Kestrel folder, $XDG_DATA_HOME/kestrel\n"
    "                  (~/.local/share/kestrel by default; made when missing)\n";

std::string DataHome() {
  const std::string dataHome = Environment("XDG_DATA_HOME");
  if (!dataHome.empty() && dataHome.front() == '/') return dataHome;
  const std::string home = Environment("HOME");
  return home.empty() ? std::string() : home + "/.local/share";
}

std::string UserFolder() {
  const std::string dataHome = DataHome();
  return dataHome.empty() ? std::string() : dataHome + "/kestrel";
}

VoicePlaces VoicePlacesOfProcess() {
  VoicePlaces places;
  places.dataHome = Environment("XDG_DATA_HOME");
  places.home = Environment("HOME");
  places.dataDirs = Environment("XDG_DATA_DIRS");
#ifdef KESTREL_DATA_DIR
  places.installedData = KESTREL_DATA_DIR;
#endif
  places.executableFolder = ExecutableFolder();
  return places;
}

bool TakeFolderOption(std::vector<std::string>& args, std::string& folder, std::string& problem) {
  folder.clear();
  bool given = false;
  std::vector<std::string> rest;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    const bool user = arg == "--user-folder";
    const bool named = arg == "--folder" || arg.rfind("--folder=", 0) == 0;
    if (!user && !named) {
      rest.push_back(arg);
      continue;
    }
    if (given) {
      problem = "give one working folder: --folder DIR or --user-folder, once";
      return false;
    }
    given = true;
    if (user) {
      folder = UserFolder();
      if (folder.empty()) problem = "--user-folder: neither XDG_DATA_HOME nor HOME is set";
    } else if (arg == "--folder") {
      if (i + 1 < args.size()) folder = args[++i];
      if (folder.empty()) problem = "--folder needs a folder";
    } else {
      folder = arg.substr(9);
      if (folder.empty()) problem = "--folder needs a folder";
    }
    if (!problem.empty()) return false;
  }
  args = rest;
  return true;
}

bool EnterFolder(const std::string& folder, std::string& problem) {
  if (folder.empty()) return true;
  if (folder == UserFolder()) {
    std::error_code error;
    fs::create_directories(folder, error);
  }
  if (::chdir(folder.c_str()) != 0) {
    problem = "cannot work in " + folder + ": " + std::strerror(errno);
    return false;
  }
  return true;
}

}  // namespace kestrel::platform
