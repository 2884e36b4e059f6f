#include "link/port.h"

#include <algorithm>
#include <memory>
#include <string_view>

#include "runtime/journal.h"
#include "state/reset.h"

namespace kestrel {

namespace {

// Open devices by port number; entry 0 is never used, an empty entry means not open. The
// reset closes them all (CloseAllPorts, entered below).
std::unique_ptr<platform::SerialDevice> PortTable[kPortCount + 1];

platform::SerialDevice* OpenDevice(int port) {
  if (port < 1 || port > kPortCount) return nullptr;
  return PortTable[port].get();
}

}  // namespace

std::string PortDeviceName(int port) {
  const std::string number = std::to_string(port);
  return port < 10 ? "COM" + number : "\\\\.\\COM" + number;
}

namespace {

int SetUpPort(int port, int baud, std::unique_ptr<platform::SerialDevice> device) {
  if (!device) return 0;
  device->SetReadTimeouts({1000, 5, 0});
  platform::SerialSettings settings;
  bool ok = device->GetSettings(settings);
  if (ok) {
    settings.baud = baud;
    settings.dataBits = 8;
    settings.parity = 0;
    settings.stopBits = 1;
    ok = device->SetSettings(settings);
  }
  if (!ok) {
    device->Close();
    return 0;
  }
  PortTable[port] = std::move(device);
  return 1;
}

}  // namespace

int OpenPort(int port, int baud) {
  if (port < 1 || port > kPortCount) return 0;
  return SetUpPort(port, baud, platform::GetSerialPorts().Open(PortDeviceName(port)));
}

int ReopenPort(int port, int baud) {
  if (port < 1 || port > kPortCount) return 0;
  return SetUpPort(port, baud, platform::GetSerialPorts().Reopen(PortDeviceName(port)));
}

int SetLineShape(int port, int dataBits, int parity, int stopCode) {
  auto* device = OpenDevice(port);
  if (!device) return 0;
  platform::SerialSettings settings;
  device->GetSettings(settings);
  settings.dataBits = dataBits;
  settings.parity = parity;
  settings.stopBits = stopCode == 1 ? 1 : 2;
  return device->SetSettings(settings) ? 0 : 1;
}

int SetReadTimeouts(int port, int m) {
  auto* device = OpenDevice(port);
  if (!device) return 0;
  if (m == -1) {
    device->SetReadTimeouts({-1, 0, 0});
  } else {
    device->SetReadTimeouts({1000, m, 0});
  }
  return 0;
}

int PortBytesWaiting(int port) {
  auto* device = OpenDevice(port);
  return device ? device->BytesWaiting() : 0;
}

int ReadPort(int port, char* buffer, int max) {
  auto* device = OpenDevice(port);
  if (!device || max <= 0) return 0;
  const int count = device->Read(buffer, max);
  if (count > 0) WriteJournal({"IN", std::string_view(buffer, static_cast<std::size_t>(count))});
  return count > 0 ? count : 0;
}

int PeekPort(int port, char* buffer, int max) {
  auto* device = OpenDevice(port);
  if (!device || max <= 0) return 0;
  return std::max(device->Peek(buffer, max), 0);
}

int PortWaitHandle(int port) {
  auto* device = OpenDevice(port);
  return device ? device->WaitHandle() : -1;
}

int WritePort(int port, const char* buffer, int n) {
  auto* device = OpenDevice(port);
  if (!device || n <= 0) return 0;
  const int count = device->Write(buffer, n);
  if (count > 0) WriteJournal({"OUT", std::string_view(buffer, static_cast<std::size_t>(count))});
  return count > 0 ? count : 0;
}

int ClosePort(int port) {
  auto* device = OpenDevice(port);
  if (!device) return 0;
  device->Close();
  PortTable[port].reset();
  return 0;
}

int PortGone(int port) {
  auto* device = OpenDevice(port);
  return device && device->Gone() ? 1 : 0;
}

void CloseAllPorts() {
  for (int port = 1; port <= kPortCount; ++port) ClosePort(port);
}

namespace {
const state::OnReset kResetAtStart{CloseAllPorts};  // no port open, as at program start
}  // namespace

}  // namespace kestrel
