#include "link/speed_probe.h"

#include <chrono>

namespace kestrel {
namespace {

constexpr char kLevelRequest[] = "LM\r";

// Throws away what is waiting (an answer of an earlier speed, line noise).
void Discard(platform::SerialDevice& device) {
  char buffer[256];
  while (device.BytesWaiting() > 0 && device.Read(buffer, sizeof buffer) > 0) {
  }
}

// The first line that arrives within waitMs, without its end; "" when none.
std::string ReadAnswer(platform::SerialDevice& device, int waitMs) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs);
  std::string line;
  while (std::chrono::steady_clock::now() < deadline) {
    char c = 0;
    if (device.Read(&c, 1) != 1) continue;
    if (c == '\r' || c == '\n') {
      if (!line.empty()) return line;
      continue;
    }
    if (line.size() < 64) line += c;
  }
  return {};
}

}  // namespace

ProbeResult ProbeSpeed(platform::SerialPorts& ports, const std::string& portName, int waitMs) {
  ProbeResult result;
  auto device = ports.Open(portName);
  if (!device) return result;
  result.opened = true;
  // Each read waits at most 50 ms for its byte, so the loop above never spins.
  device->SetReadTimeouts({1000, 0, 50});
  for (const int baud : kProbeSpeeds) {
    const platform::SerialSettings settings{baud, 8, 0, 2};
    if (!device->SetSettings(settings)) continue;
    Discard(*device);
    if (device->Write(kLevelRequest, 3) != 3) continue;
    const std::string answer = ReadAnswer(*device, waitMs);
    if (answer.rfind("LM", 0) == 0) {
      result.baud = baud;
      result.reply = answer;
      break;
    }
  }
  device->Close();
  return result;
}

}  // namespace kestrel
