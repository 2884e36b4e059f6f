// The receiver's modes, the named values of ModeText: for each the key that selects it, the
// text shown, the word said when it is selected, the word SpeakMode says for it, the command
// sent, and the text of the mode as the receiver names it by its digit (in a memory reply
// and in a memory write). Adding a mode is a row here, its SelectMode routine and its words in the
// vocabulary.
#pragma once

#include <iterator>

#include "state/key_codes.h"

namespace kestrel::modes {

struct Mode {
  int key;
  const char* text;         // ModeText as shown
  const char* word;         // said when the mode is selected
  const char* spokenWord;   // said by SpeakMode for this ModeText
  const char* command;      // sent to the receiver
  const char* digitText;    // the mode of the receiver's digit, "" for a mode without one
};

enum ModeIndex { kFm, kAm, kLsb, kUsb, kWfm, kCw, kAuto };

// In key order, F1 to F7. The CW text carries a trailing blank; a "CW" read back from the
// receiver has none and so names no row: it is shown but neither spoken nor sent again.
// voice-words: column 2
inline constexpr Mode kModes[] = {
    {keys::kF1, "FM", "FM", "fm.wav", "MD1", "FM"},
    {keys::kF2, "AM", "AM", "am.wav", "MD2", "AM"},
    {keys::kF3, "LSB", "LSB", "lsb.wav", "MD4", "LSB"},
    {keys::kF4, "USB", "USB", "usb.wav", "MD3", "USB"},
    {keys::kF5, "WFM", "WFM", "wfm.wav", "MD0", "WFM"},
    {keys::kF6, "CW ", "cw", "cw.wav", "MD5", "CW"},
    {keys::kF7, "AUT", "auto", "auto", "AU1", ""},
};

// The receiver's digit of a mode ('5' for "MD5"), or 0 for a mode without one.
constexpr char DigitOf(const Mode& mode) {
  const char* command = mode.command;
  return command[0] == 'M' && command[1] == 'D' ? command[2] : 0;
}

inline constexpr int kFirstModeKey = kModes[0].key;
inline constexpr int kLastModeKey = kModes[std::size(kModes) - 1].key;

}  // namespace kestrel::modes
