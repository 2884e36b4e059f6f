#include "port_list.h"

#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "runtime/platform/linux_adapters.h"

namespace kestrel::panelset {
namespace {

namespace fs = std::filesystem;

constexpr int kHighestPort = 9;

using platform::Canonical;

std::string FirstLine(const fs::path& file) { return platform::FirstLine(file.string()); }

// ttyS ports exist for every UART the kernel might have; type 0 means none was found.
bool HasHardware(const fs::path& entry) {
  std::error_code error;
  if (!fs::exists(entry / "device", error)) return false;
  const std::string name = entry.filename().string();
  return name.rfind("ttyS", 0) != 0 || FirstLine(entry / "type") != "0";
}

// The driver of the device, looked for up its parents: a serial port's own device is a
// generic port object ("port", "ctrl") below the device whose driver is the one to name.
std::string DriverOf(const fs::path& entry) {
  std::error_code error;
  for (fs::path device = fs::canonical(entry / "device", error);
       !error && device.has_relative_path(); device = device.parent_path()) {
    const std::string driver = fs::read_symlink(device / "driver", error).filename().string();
    if (!error && driver != "port" && driver != "ctrl") return driver;
    error.clear();
  }
  return {};
}

// The USB device (the first parent with idVendor) gives ids, product and serial number.
void ReadUsb(const fs::path& entry, PortInfo& port) {
  std::error_code error;
  for (fs::path device = fs::canonical(entry / "device", error);
       !error && device.has_relative_path(); device = device.parent_path()) {
    if (!fs::exists(device / "idVendor", error)) continue;
    port.usbId = FirstLine(device / "idVendor") + ":" + FirstLine(device / "idProduct");
    port.product = FirstLine(device / "product");
    port.serial = FirstLine(device / "serial");
    return;
  }
}

std::string FindById(const std::string& device, const SystemFolders& folders) {
  std::error_code error;
  for (fs::directory_iterator it(folders.byId, error), end; !error && it != end;
       it.increment(error)) {
    const fs::path target = fs::read_symlink(it->path(), error);
    if (error) {
      error.clear();
      continue;
    }
    const fs::path resolved = target.is_absolute() ? target : folders.byId / target;
    if (resolved.lexically_normal().filename() == fs::path(device).filename()) {
      return it->path().string();
    }
  }
  return {};
}

std::vector<std::string> LinksTo(const std::string& device) {
  std::vector<std::string> links;
  const std::string real = Canonical(device);
  for (int port = 1; port <= kHighestPort; ++port) {
    const std::string name = "COM" + std::to_string(port);
    std::error_code error;
    if (!fs::is_symlink(fs::symlink_status(name, error))) continue;
    if (!real.empty() && Canonical(name) == real) links.push_back(name);
  }
  return links;
}

std::string GroupName(gid_t gid) {
  const group* entry = ::getgrgid(gid);
  return entry ? entry->gr_name : std::to_string(gid);
}

// Pseudo-terminals have no entry of their own, but a COMn link of the working folder may lead
// to one (the receiver simulator's): each such terminal is listed once.
void AddLinkedTerminals(const SystemFolders& folders, std::vector<PortInfo>& ports) {
  const std::string terminals = (fs::path(folders.dev) / "pts").string() + "/";
  for (int number = 1; number <= kHighestPort; ++number) {
    const std::string device = Canonical("COM" + std::to_string(number));
    if (device.rfind(terminals, 0) != 0) continue;
    const bool listed = std::any_of(ports.begin(), ports.end(), [&device](const PortInfo& port) {
      return port.device == device;
    });
    if (listed) continue;
    PortInfo port;
    port.device = device;
    port.driver = "pseudo-terminal";
    port.access = AccessProblem(device);
    port.holders = Holders(device, folders);
    port.links = LinksTo(device);
    ports.push_back(port);
  }
}

}  // namespace

std::vector<PortInfo> ListPorts(const SystemFolders& folders) {
  std::vector<PortInfo> ports;
  std::error_code error;
  for (fs::directory_iterator it(folders.sysClassTty, error), end; !error && it != end;
       it.increment(error)) {
    if (!HasHardware(it->path())) continue;
    PortInfo port;
    port.device = (fs::path(folders.dev) / it->path().filename()).string();
    port.byId = FindById(port.device, folders);
    port.driver = DriverOf(it->path());
    ReadUsb(it->path(), port);
    port.access = AccessProblem(port.device);
    port.console = platform::IsConsolePort(port.device, folders.proc, folders.sysClassTty);
    port.holders = Holders(port.device, folders);
    port.links = LinksTo(port.device);
    ports.push_back(port);
  }
  std::sort(ports.begin(), ports.end(),
            [](const PortInfo& a, const PortInfo& b) { return a.device < b.device; });
  AddLinkedTerminals(folders, ports);
  return ports;
}

std::string DescribePort(const PortInfo& port) {
  std::string line = port.byId.empty() ? port.device : port.byId + " -> " + port.device;
  if (!port.driver.empty()) line += ", driver " + port.driver;
  if (!port.usbId.empty()) line += ", USB " + port.usbId;
  if (!port.product.empty()) line += ", product \"" + port.product + "\"";
  if (!port.serial.empty()) line += ", serial " + port.serial;
  if (port.console) line += ", console: the machine's own messages go out here, never probed";
  line += port.access.empty() ? ", you may open it" : ", " + port.access;
  if (port.holders.empty()) {
    line += ", not in use";
  } else {
    line += ", held by ";
    for (std::size_t i = 0; i < port.holders.size(); ++i) {
      line += (i ? ", " : "") + port.holders[i];
    }
  }
  if (port.links.empty()) {
    line += ", no COM link here";
  } else {
    for (const std::string& link : port.links) line += ", " + link + " points to it";
  }
  return line;
}

std::string AccessProblem(const std::string& device) {
  if (::access(device.c_str(), R_OK | W_OK) == 0) return {};
  struct stat info {};
  if (::stat(device.c_str(), &info) != 0) return "it cannot be found";
  const std::string group = GroupName(info.st_gid);
  if ((info.st_mode & S_IRWXG) == (S_IRGRP | S_IWGRP) && group != "root") {
    return "you may not open it (it belongs to group " + group + "): sudo adduser $USER " + group +
           ", then log in again";
  }
  return "you may not open it (it belongs to group " + group +
         "): a udev rule giving it group dialout, then sudo adduser $USER dialout and log in "
         "again";
}

std::vector<std::string> Holders(const std::string& device, const SystemFolders& folders) {
  return platform::DeviceHolders(device, folders.proc);
}

std::string ByIdPath(const std::string& name, const SystemFolders& folders) {
  if (name.empty() || name.find('/') != std::string::npos) return {};
  std::error_code error;
  const fs::path path = fs::path(folders.byId) / name;
  return fs::exists(fs::symlink_status(path, error)) ? path.string() : std::string();
}

}  // namespace kestrel::panelset
