#include "display/display.h"

#include <cstdio>

#include "display/screen_map.h"
#include "runtime/journal.h"
#include "runtime/platform/window_system.h"
#include "state/banks.h"
#include "state/commands.h"
#include "state/controls.h"
#include "state/reset.h"

namespace kestrel {
namespace {

// Drawing state used before any window is named.
WindowRecord no_window;

WindowRecord& Current() { return NamedWindow() ? *NamedWindow() : no_window; }

}  // namespace

void ResetDisplayState() {
  ForgetNamedWindow();
  no_window = WindowRecord{};
}

void MoveTo(int x, int y) {
  Current().printX = x;
  Current().printY = y;
}

void SetColour(std::uint32_t colour) { Current().colour = colour; }

void SetFont(const std::string& face, int points, int weight) {
  Current().font = platform::FontSpec{face, points, weight};
}

std::string PrintItem(double value) {
  char buffer[400];
  std::snprintf(buffer, sizeof buffer, "% .*f", 2, value);
  return buffer;
}

void PrintLine(WindowRecord* window, std::string buffer) {
  if (!buffer.empty() && buffer.back() == '\n') {
    buffer.pop_back();
    if (!buffer.empty() && buffer.back() == '\r') buffer.pop_back();
  }
  if (buffer.empty()) return;
  if (!window) {
    std::fwrite(buffer.data(), 1, buffer.size(), stdout);
    std::fputc('\n', stdout);
    return;
  }
  if (!window->open) return;
  const auto& font = window->font;
  const int width = platform::GetWindowSystem().DrawText(window->printX, window->printY, font,
                                                         window->colour, buffer);
  WriteJournal({"PRINT", std::to_string(window->printX), std::to_string(window->printY), font.face,
                std::to_string(font.points), std::to_string(font.weight),
                std::to_string(window->colour), buffer});
  window->printX += width;
}

void ShowSearchSettings() {
  using namespace screen;
  SetFont(kFace, kNormalPoints, kBold);
  SetColour(kBlack);
  MoveTo(kSearchStart.x, kSearchStart.y);
  Print(SearchStartText, Spaces(10));
  MoveTo(kSearchStep.x, kSearchStep.y);
  Print(StepText, Spaces(9));
  MoveTo(kSearchStopMode.x, kSearchStopMode.y);
  Print(StopMode == 1 ? "STOP" : "CONT");
  MoveTo(kSearchEnd.x, kSearchEnd.y);
  Print(SearchEndText, Spaces(8));
}

namespace {
const state::OnReset kResetAtStart{ResetDisplayState};  // the drawing state, as at program start
}  // namespace

}  // namespace kestrel
