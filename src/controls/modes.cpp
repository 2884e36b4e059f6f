// The receiver's mode, attenuator and noise limiter: each is set, spoken, then sent.
#include "commands/commands_state.h"
#include "controls/controls.h"
#include "controls/controls_state.h"
#include "display/display.h"
#include "display/screen_map.h"
#include "link/link.h"
#include "link/link_state.h"
#include "link/receiver_commands.h"
#include "runtime/text.h"
#include "speech/speech.h"

namespace kestrel {
namespace {

constexpr int kFirstModeKey = 0x70;  // F1
constexpr int kLastModeKey = 0x76;   // F7
constexpr int kModeFieldTrail = 6;   // blanks after the mode text

struct ModeRow {
  int key;
  const char* text;     // ModeText as shown
  const char* word;     // the word spoken
  const char* command;  // sent to the receiver
  void (*select)();
};

enum ModeIndex { kFm, kAm, kLsb, kUsb, kWfm, kCw, kAuto };

// In key order, F1 to F7. The CW text carries a trailing blank; a "CW" read back from the
// receiver has none and so names no row: it is shown but neither spoken nor sent again.
constexpr ModeRow kModes[] = {
    {0x70, "FM", "FM", kCommandModeFm, SelectModeFm},
    {0x71, "AM", "AM", kCommandModeAm, SelectModeAm},
    {0x72, "LSB", "LSB", kCommandModeLsb, SelectModeLsb},
    {0x73, "USB", "USB", kCommandModeUsb, SelectModeUsb},
    {0x74, "WFM", "WFM", kCommandModeWfm, SelectModeWfm},
    {0x75, "CW ", "cw", kCommandModeCw, SelectModeCw},
    {0x76, "AUT", "auto", kCommandAutoMode, SelectModeAuto},
};

void SelectModeOfRow(ModeIndex index) {
  const ModeRow& row = kModes[index];
  ModeText = row.text;
  SayWord(row.word);
  CommandText = row.command;
  SendCommand();
}

void SetFontAfterModeField() {
  SetFont(screen::kFaceAfterMode, screen::kNormalPoints, screen::kBold);
}

}  // namespace

void SelectModeFm() { SelectModeOfRow(kFm); }
void SelectModeAm() { SelectModeOfRow(kAm); }
void SelectModeLsb() { SelectModeOfRow(kLsb); }
void SelectModeUsb() { SelectModeOfRow(kUsb); }
void SelectModeWfm() { SelectModeOfRow(kWfm); }
void SelectModeAuto() { SelectModeOfRow(kAuto); }

void SelectModeCw() {
  SelectModeOfRow(kCw);
  SetFontAfterModeField();
}

void SelectModeOfKey() {
  for (const ModeRow& row : kModes) {
    if (KeyCode == row.key) {
      row.select();
      break;
    }
  }
  if (KeyCode >= kFirstModeKey && KeyCode <= kLastModeKey) {
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
  for (const ModeRow& row : kModes) {
    if (ModeText == row.text) {
      row.select();
      break;
    }
  }
}

// A mode set from the network port: shown and sent like ApplyMode's, but not spoken (a
// remote program may set it again and again).
void SendModeQuietly() {
  ShowModeField();
  SetFontAfterModeField();
  for (const ModeRow& row : kModes) {
    if (ModeText == row.text) {
      CommandText = row.command;
      SendCommand();
      break;
    }
  }
}

void ToggleAttenuator() {
  if (AttenuatorOn == 0) {
    AttenuatorOn = 1;
    CommandText = kCommandAttenuatorOn;
    SayWord("atton");
  } else {
    AttenuatorOn = 0;
    CommandText = kCommandAttenuatorOff;
    SayWord("attoff");
  }
  SendCommand();
}

void SendModeCommand() {
  for (const ModeRow& row : kModes) {
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
  SayWord("noise");
  NoiseLimiterOn = 1 - NoiseLimiterOn;
  if (NoiseLimiterOn == 1) {
    CommandText = kCommandNoiseLimiterOn;
    SayWord("on");
  } else {
    CommandText = kCommandNoiseLimiterOff;
    SayWord("off");
  }
  SendCommand();
}

}  // namespace kestrel
