// panel-look: the panel window with sample texts on every line of the screen map.
//
//   panel-look [--scene panel|missing|search|test] [--screenshot FILE] [--exit-after MS]
//              [--events] [--stall MS]
//
// It prints "drawn" once the scene is on the screen. With --events it prints every event
// its handler receives as "<ms> <event message> <event code>" (tab-separated, milliseconds
// since start); --stall MS makes the handler sleep that long once, on the fifth tick, between
// the lines "stall-begin <ms>" and "stall-end <ms>". It ends on a close request (close box,
// SIGTERM, SIGINT) or after --exit-after MS.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include "display/display.h"
#include "display/screen_map.h"
#include "runtime/platform/linux_window.h"
#include "runtime/text.h"
#include "runtime/window.h"
#include "state/banks.h"
#include "state/commands.h"
#include "state/controls.h"

namespace {

using namespace kestrel;
using namespace kestrel::screen;

constexpr int kStallTick = 5;

struct Options {
  std::string scene = "panel";
  std::string screenshot;
  long exitAfterMs = 0;
  bool events = false;
  long stallMs = 0;
};

Options options;
WindowRecord panel;
bool running = true;
int ticks = 0;
bool stalled = false;
const auto start = std::chrono::steady_clock::now();

long long Elapsed() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                               start)
      .count();
}

void Say(const std::string& line) {
  std::printf("%s\n", line.c_str());
  std::fflush(stdout);
}

void DrawTitle() {
  MoveTo(kTitle.x, kTitle.y);
  Print(panel, kTitleLine);
}

void DrawReceiverLines() {
  MoveTo(kLevelBar.x, kLevelBar.y);
  SetFont(kFace, kNormalPoints, kBold);
  SetColour(kGreen);
  Print(panel, "**********", ">", Spaces(17));
  SetColour(kBlack);
  MoveTo(kModeField.x, kModeField.y);
  SetFont(kFace, kLargePoints, kBold);
  Print(panel, "FM", Spaces(6));
  MoveTo(kFrequencyField.x, kFrequencyField.y);
  Print(panel, Spaces(20));
  MoveTo(kFrequencyField.x, kFrequencyField.y);
  SetColour(kBlue);
  Print(panel, "145.5");
  Print(panel, "000", Spaces(30));
  SetColour(kBlack);
  SetFont(kFace, kNormalPoints, kBold);
  SearchStartText = "145";
  StepText = "12.5";
  SearchEndText = "146";
  StopMode = 1;
  ShowSearchSettings();
}

void DrawFound() {
  MoveTo(kFoundWord.x, kFoundWord.y);
  SetFont(kFace, kNormalPoints, kBold);
  SetColour(kRed);
  Print(panel, "Found");
  MoveTo(kFoundCount.x, kFoundCount.y);
  Print(panel, 5);
  SetColour(kBlack);
}

void DrawPanel() {
  DrawTitle();
  DrawReceiverLines();
  MoveTo(kStatusLine.x, kStatusLine.y);
  SetFont(kFace, kNormalPoints, kBold);
  SetColour(kRed);
  Print(panel, kScanningText);
  MoveTo(kListLabelScan.x, kListLabelScan.y);
  SetColour(kGreen);
  Print(panel, "145.5 Tower repeater");
  DrawFound();
}

void DrawMissingConfiguration() {
  DrawTitle();
  MoveTo(kConfigMissing.x, kConfigMissing.y);
  Print(panel, "--- KESTREL.CFG file not found ---");
  MoveTo(kConfigAdvice.x, kConfigAdvice.y);
  Print(panel, "please run the 'PANELSET' program");
}

void DrawSearch() {
  DrawTitle();
  DrawReceiverLines();
  MoveTo(kSearchModeLine.x, kSearchModeLine.y);
  SetFont(kFace, kNormalPoints, kBold);
  SetColour(kGreen);
  Print(panel, kSearchModeText);
  MoveTo(kSearchLimits.x, kSearchLimits.y);
  SetFont(kFace, kLargePoints, kBold);
  Print(panel, SearchStartText, "/", SearchEndText);
  DrawFound();
}

void DrawRawTest() {
  DrawPanel();
  MoveTo(kRawTestLine.x, kRawTestLine.y);
  SetFont(kFaceSmall, kSmallPoints, kBold);
  SetColour(kBlack);
  Print(panel, "TX=RF\r RX=RF0145500000", Spaces(22));
}

bool DrawScene(const std::string& scene) {
  if (scene == "panel")
    DrawPanel();
  else if (scene == "missing")
    DrawMissingConfiguration();
  else if (scene == "search")
    DrawSearch();
  else if (scene == "test")
    DrawRawTest();
  else
    return false;
  return true;
}

void StallOnce() {
  stalled = true;
  Say("stall-begin\t" + std::to_string(Elapsed()));
  std::this_thread::sleep_for(std::chrono::milliseconds(options.stallMs));
  Say("stall-end\t" + std::to_string(Elapsed()));
}

void HandleEvent() {
  if (options.events) {
    Say(std::to_string(Elapsed()) + "\t" + std::to_string(EventMessage) + "\t" +
        std::to_string(EventCode));
  }
  if (EventMessage == kestrel::platform::kEventClose) running = false;
  if (EventMessage != kestrel::platform::kEventTimer) return;
  ++ticks;
  if (options.stallMs > 0 && !stalled && ticks == kStallTick) StallOnce();
  if (options.exitAfterMs > 0 && Elapsed() >= options.exitAfterMs) running = false;
}

bool ReadOptions(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const bool hasValue = i + 1 < argc;
    if (arg == "--events")
      options.events = true;
    else if (arg == "--scene" && hasValue)
      options.scene = argv[++i];
    else if (arg == "--screenshot" && hasValue)
      options.screenshot = argv[++i];
    else if (arg == "--exit-after" && hasValue)
      options.exitAfterMs = std::atol(argv[++i]);
    else if (arg == "--stall" && hasValue)
      options.stallMs = std::atol(argv[++i]);
    else
      return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (!ReadOptions(argc, argv)) {
    std::fprintf(stderr,
                 "usage: panel-look [--scene panel|missing|search|test] [--screenshot FILE]\n"
                 "                  [--exit-after MS] [--events] [--stall MS]\n");
    return 2;
  }
  kestrel::platform::SdlWindowSystem windows;
  kestrel::platform::InstallWindowSystem(&windows);
  if (!OpenWindow(panel, kWindowPlace.x, kWindowPlace.y, kWindowWidth, kWindowHeight, kWindowStyle,
                  nullptr, kCaption, HandleEvent)) {
    return 1;
  }
  if (!DrawScene(options.scene)) {
    std::fprintf(stderr, "panel-look: no scene %s\n", options.scene.c_str());
    CloseWindow(panel);
    return 2;
  }
  PresentDrawing();
  Say("drawn");
  if (!options.screenshot.empty()) {
    if (!windows.SaveScreenshot(options.screenshot))
      std::fprintf(stderr, "panel-look: no screenshot\n");
    Say("screenshot\t" + options.screenshot);
  }
  StartTimer(panel, kTimerPeriodMs, kTimerNumber);
  while (running) ProcessEvents(0);
  StopTimer(panel, 1);
  CloseWindow(panel);
  kestrel::platform::InstallWindowSystem(nullptr);
  return 0;
}
