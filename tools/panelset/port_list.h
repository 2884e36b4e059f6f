// The serial ports of this machine as panelset --list shows them, and what keeps a port
// from the panel: missing permission, another program holding it.
#pragma once

#include <string>
#include <vector>

#include "runtime/platform/linux_adapters.h"

namespace kestrel::panelset {

// Where the system describes its devices; tests point these at a folder of their own.
struct SystemFolders {
  std::string sysClassTty = "/sys/class/tty";
  std::string dev = "/dev";
  std::string byId = platform::ByIdFolder();
  std::string proc = "/proc";
};

struct PortInfo {
  std::string device;   // "/dev/ttyUSB0"
  std::string byId;     // its /dev/serial/by-id name, "" when it has none
  std::string driver;   // "ftdi_sio", "serial"
  std::string usbId;    // "0403:6001", "" for no USB device
  std::string product;  // as the USB device names itself
  std::string serial;
  bool console = false;              // the machine's console port: never probed
  std::string access;                // "" when this user may open it, otherwise why not and the fix
  std::vector<std::string> holders;  // "ModemManager (pid 612)", "a running panel (pid 9)"
  std::vector<std::string> links;    // the COMn links of the working folder that lead here
};

// Every serial port with hardware behind it, by device name, and the pseudo-terminals that
// COMn links of the working folder lead to. Other pseudo-terminals, virtual consoles and
// ttyS ports whose UART type is unknown (nothing there) are left out.
std::vector<PortInfo> ListPorts(const SystemFolders& folders = {});

// One plain line describing the port.
std::string DescribePort(const PortInfo& port);

// Why this user may not open device, with the fix; "" when the user may.
std::string AccessProblem(const std::string& device);

// The programs other than this one that have device open.
std::vector<std::string> Holders(const std::string& device, const SystemFolders& folders = {});

// The /dev/serial/by-id path of a bare by-id name ("usb-FTDI_..."), "" when there is none.
std::string ByIdPath(const std::string& name, const SystemFolders& folders = {});

}  // namespace kestrel::panelset
