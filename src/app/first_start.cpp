#include "app/first_start.h"

#include <filesystem>
#include <vector>

#include "display/display.h"
#include "display/screen_map.h"
#include "link/link.h"
#include "link/speed_probe.h"
#include "runtime/platform/serial_device.h"
#include "speech/speech.h"
#include "state/app.h"
#include "state/link.h"
#include "state/reset.h"

namespace kestrel {
namespace {

constexpr int kNotFoundExitCode = 1;

KESTREL_STATE(ReceiverSetupWriter, SetupWriter, nullptr);
KESTREL_STATE(std::vector<std::string>, FirstStartLines);  // for the trace, in order
KESTREL_STATE(std::string, SilentAdapter);  // the first adapter that gave no usable answer
KESTREL_STATE(std::string, SilentReason);   // why not

// The name panelset takes for a device: the bare by-id name is enough.
std::string BareName(const std::string& device) {
  return std::filesystem::path(device).filename().string();
}

// In a smaller face than the panel's, so a long device name fits; the font in use before
// stays current for what the panel prints next.
void ShowSetupLine(const screen::Place& place, const std::string& text) {
  const platform::FontSpec before = MainWindow.font;
  MoveTo(place.x, place.y);
  SetFont(screen::kFace, screen::kSetupPoints, screen::kBold);
  Print(text);
  MainWindow.font = before;
}

// The receiver answered: the set-up is written and the operator is told where it went.
bool TakeReceiver(const std::string& device, const ProbeResult& found) {
  const std::string problem = SetupWriter(device, found.baud);
  if (!problem.empty()) {
    // Shown as the reason the set-up by hand is needed.
    SilentAdapter = device;
    SilentReason = "it answers at " + std::to_string(found.baud) + " baud, but " + problem;
    return false;
  }
  const std::string said = "Receiver found on " + BareName(device) + " at " +
                           std::to_string(found.baud) + " baud; KESTREL.CFG and COM1 written";
  FirstStartLines.push_back("First start: " + said + " (answer " + found.reply + ")");
  ShowSetupLine(screen::kSetupFound, said);
  return true;
}

}  // namespace

void EnableFirstStartSearch(ReceiverSetupWriter writer) { SetupWriter = writer; }

bool FindReceiverAtFirstStart() {
  if (!SetupWriter) return false;
  platform::SerialPorts& ports = platform::GetSerialPorts();
  for (const std::string& device : ports.FreeAdapters()) {
    const ProbeResult found = ProbeSpeed(ports, device);
    if (found.baud != 0) return TakeReceiver(device, found);
    const std::string reason =
        found.opened ? "no answer at " + std::string(kProbeSpeedsText) + " baud; is it switched on?"
                     : ports.LastOpenProblem();
    FirstStartLines.push_back("First start: " + device + ": " + reason);
    if (!SilentAdapter.empty()) continue;
    SilentAdapter = device;
    SilentReason = reason;
  }
  return false;
}

void TraceFirstStart() {
  for (const std::string& line : FirstStartLines) {
    LogLine = line;
    WriteTraceLine();
  }
}

int ReportReceiverNotFound() {
  if (!SetupWriter) return 0;
  const std::string device = SilentAdapter.empty() ? "DEVICE" : BareName(SilentAdapter);
  ShowSetupLine(screen::kSetupCommand, "panelset --user-folder --device " + device + " --probe");
  ShowSetupLine(
      screen::kSetupReason,
      "receiver not found: " +
          (SilentAdapter.empty()
               ? std::string("no free USB serial adapter (panelset --list shows the ports)")
               : SilentReason));
  SayWord("rnf");
  return kNotFoundExitCode;
}

}  // namespace kestrel
