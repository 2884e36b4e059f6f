// The receiver's mode, attenuator and noise limiter: each is set, spoken, then sent.
#include <cstddef>
#include <iterator>

#include "controls/controls.h"
#include "display/display.h"
#include "display/screen_map.h"
#include "link/link.h"
#include "link/receiver_commands.h"
#include "runtime/text.h"
#include "speech/read_outs.h"
#include "speech/speech.h"
#include "state/commands.h"
#include "state/controls.h"
#include "state/link.h"
#include "state/modes.h"

namespace kestrel {
namespace {

constexpr int kModeFieldTrail = 6;  // blanks after the mode text

using modes::kModes;
using modes::ModeIndex;

// The SelectMode routine of each row of the mode table, in its order.
constexpr void (*kSelectMode[])() = {SelectModeFm,  SelectModeAm, SelectModeLsb, SelectModeUsb,
                                     SelectModeWfm, SelectModeCw, SelectModeAuto};
static_assert(std::size(kSelectMode) == std::size(kModes));

void SelectModeOfRow(ModeIndex index) {
  const modes::Mode& row = kModes[index];
  ModeText = row.text;
  SayWord(row.word);
  CommandText = row.command;
  SendCommand();
}

void SetFontAfterModeField() {
  SetFont(screen::kFaceAfterMode, screen::kNormalPoints, screen::kBold);
}

}  // namespace

void SelectModeFm() { SelectModeOfRow(modes::kFm); }
void SelectModeAm() { SelectModeOfRow(modes::kAm); }
void SelectModeLsb() { SelectModeOfRow(modes::kLsb); }
void SelectModeUsb() { SelectModeOfRow(modes::kUsb); }
void SelectModeWfm() { SelectModeOfRow(modes::kWfm); }
void SelectModeAuto() { SelectModeOfRow(modes::kAuto); }

void SelectModeCw() {
  SelectModeOfRow(modes::kCw);
  SetFontAfterModeField();
}

void SelectModeOfKey() {
  for (std::size_t i = 0; i < std::size(kModes); ++i) {
    if (KeyCode == kModes[i].key) {
      kSelectMode[i]();
      break;
    }
  }
  if (KeyCode >= modes::kFirstModeKey && KeyCode <= modes::kLastModeKey) {
    ShowModeField();
    SetFontAfterModeField();
  }
}

void ShowModeField() {
  using namespace screen;
  MoveTo(kModeField.x, kModeField.y);
  SetFont(kFace, kLargePoints, kBold);
  Print(ModeText, Spaces(kModeFieldTrail));
}

void ApplyMode() {
  ShowModeField();
  SetFontAfterModeField();
  // Each routine writes its own text back, so at most one row matches.
  for (std::size_t i = 0; i < std::size(kModes); ++i) {
    if (ModeText == kModes[i].text) {
      kSelectMode[i]();
      break;
    }
  }
}

// A mode set from the network port: shown and sent like ApplyMode's, but not spoken (a
// remote program may set it again and again).
void SendModeQuietly() {
  ShowModeField();
  SetFontAfterModeField();
  SendModeCommand();
}

void ToggleAttenuator() {
  AttenuatorOn = AttenuatorOn == 0 ? 1 : 0;
  SayAttenuator();
  SendAttenuatorCommand();
}

void SendModeCommand() {
  for (const modes::Mode& row : kModes) {
    if (ModeText == row.text) {
      CommandText = row.command;
      SendCommand();
      return;
    }
  }
}

void SendAttenuatorCommand() {
  CommandText = AttenuatorOn == 1 ? kCommandAttenuatorOn : kCommandAttenuatorOff;
  SendCommand();
}

void ToggleNoiseLimiter() {
  NoiseLimiterOn = 1 - NoiseLimiterOn;
  SayOnOff("noise", NoiseLimiterOn);
  CommandText = NoiseLimiterOn == 1 ? kCommandNoiseLimiterOn : kCommandNoiseLimiterOff;
  SendCommand();
}

}  // namespace kestrel
