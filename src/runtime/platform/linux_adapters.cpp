#include "runtime/platform/linux_adapters.h"

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>

namespace kestrel::platform {
namespace {

namespace fs = std::filesystem;

// What another program's name says about it.
std::string HolderName(const std::string& command) {
  if (command == "kestrel") return "a running panel";
  return command;
}

bool HoldsDevice(const fs::path& process, const std::string& device, const std::string& real) {
  std::error_code error;
  for (fs::directory_iterator fd(process / "fd", error), end; !error && fd != end;
       fd.increment(error)) {
    std::error_code linkError;
    const std::string target = fs::read_symlink(fd->path(), linkError).string();
    if (!linkError && (target == device || target == real)) return true;
  }
  return false;
}

}  // namespace

std::string FirstLine(const std::string& file) {
  std::ifstream in(file);
  std::string line;
  std::getline(in, line);
  return line;
}

std::string Canonical(const std::string& path) {
  std::error_code error;
  const fs::path real = fs::canonical(path, error);
  return error ? std::string() : real.string();
}

std::string ByIdFolder() {
  const char* folder = std::getenv("KESTREL_SERIAL_BY_ID");
  return folder && *folder ? folder : "/dev/serial/by-id";
}

std::set<std::string> ConsolePorts(const std::string& procFolder, const std::string& sysClassTty) {
  std::set<std::string> ports;
  std::istringstream command(FirstLine((fs::path(procFolder) / "cmdline").string()));
  for (std::string word; command >> word;) {
    if (word.rfind("console=", 0) != 0) continue;
    const std::string name = word.substr(
        8, word.find(',') == std::string::npos ? std::string::npos : word.find(',') - 8);
    if (!name.empty()) ports.insert(name);
  }
  std::istringstream active(FirstLine((fs::path(sysClassTty) / "console" / "active").string()));
  for (std::string name; active >> name;) ports.insert(name);
  return ports;
}

bool IsConsolePort(const std::string& device, const std::string& procFolder,
                   const std::string& sysClassTty) {
  const std::string real = Canonical(device);
  const std::string name = fs::path(real.empty() ? device : real).filename().string();
  return ConsolePorts(procFolder, sysClassTty).count(name) > 0;
}

std::vector<std::string> DeviceHolders(const std::string& device, const std::string& procFolder) {
  std::vector<std::string> holders;
  const std::string real = Canonical(device);
  const std::string own = std::to_string(::getpid());
  std::error_code error;
  for (fs::directory_iterator it(procFolder, error), end; !error && it != end;
       it.increment(error)) {
    const std::string pid = it->path().filename().string();
    if (pid.find_first_not_of("0123456789") != std::string::npos || pid == own) continue;
    if (!HoldsDevice(it->path(), device, real)) continue;
    holders.push_back(HolderName(FirstLine((it->path() / "comm").string())) + " (pid " + pid + ")");
  }
  return holders;
}

std::vector<std::string> FreeAdapters() {
  std::vector<std::string> adapters;
  std::error_code error;
  for (fs::directory_iterator it(ByIdFolder(), error), end; !error && it != end;
       it.increment(error)) {
    const std::string path = it->path().string();
    std::error_code statError;
    if (fs::status(path, statError).type() != fs::file_type::character) continue;
    if (IsConsolePort(path) || !DeviceHolders(path).empty()) continue;
    adapters.push_back(path);
  }
  std::sort(adapters.begin(), adapters.end());
  return adapters;
}

}  // namespace kestrel::platform
