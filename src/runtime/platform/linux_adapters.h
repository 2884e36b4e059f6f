// The serial adapters of this machine as the panel's first start looks at them: their
// /dev/serial/by-id names, the machine's console port, and the programs holding a port.
#pragma once

#include <set>
#include <string>
#include <vector>

namespace kestrel::platform {

// The first line of a small system file ("" when it cannot be read).
std::string FirstLine(const std::string& file);

// The path with every link resolved; "" when it leads nowhere.
std::string Canonical(const std::string& path);

// Where the by-id names of USB serial adapters are: /dev/serial/by-id, or the folder that
// KESTREL_SERIAL_BY_ID names (only tests set it, to stand in for the real folder).
std::string ByIdFolder();

// The names ("ttyS0") of the ports the kernel uses as its console: console= on the kernel's
// command line and the active consoles. Such a port carries the machine's own messages and
// perhaps a login: it is never probed.
std::set<std::string> ConsolePorts(const std::string& procFolder = "/proc",
                                   const std::string& sysClassTty = "/sys/class/tty");

// True when device (a path or a link to one) is one of ConsolePorts.
bool IsConsolePort(const std::string& device, const std::string& procFolder = "/proc",
                   const std::string& sysClassTty = "/sys/class/tty");

// The programs other than this one that have device open: "ModemManager (pid 612)",
// "a running panel (pid 9)".
std::vector<std::string> DeviceHolders(const std::string& device,
                                       const std::string& procFolder = "/proc");

// The by-id paths of the adapters that may be probed: character devices that are not the
// console and that no other program holds, in the order of their names.
std::vector<std::string> FreeAdapters();

}  // namespace kestrel::platform
