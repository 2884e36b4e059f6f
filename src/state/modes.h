// The receiver's modes, the named values of ModeText: for each the key that selects it, the
// text shown, the word said when it is selected, the word SpeakMode says for it, the command
// sent, the text of the mode as the receiver names it by its digit (in a memory reply
// and in a memory write), and how the network control port names it: its mode name, its bit
// in the port's mode masks and the receiver's filter in that mode. Adding a mode is a row
// here, its SelectMode routine and its words in the vocabulary.
#pragma once

#include <iterator>

#include "state/key_codes.h"

namespace kestrel::modes {

struct Mode {
  int key;
  const char* text;        // ModeText as shown
  const char* word;        // said when the mode is selected
  const char* spokenWord;  // said by SpeakMode for this ModeText
  const char* command;     // sent to the receiver
  const char* digitText;   // the mode of the receiver's digit, "" for a mode without one
  const char* remoteName;  // the control port's name, "" for a mode it cannot set or read
  unsigned remoteBit;      // the mode's bit in the control port's masks, 0 with no name
  int passbandHz;          // the receiver's filter in this mode, as the control port reports it
};

enum ModeIndex { kFm, kAm, kLsb, kUsb, kWfm, kCw, kAuto };

// In key order, F1 to F7. The CW text carries a trailing blank; a "CW" read back from the
// receiver has none and so names no row: it is shown but neither spoken nor sent again.
// voice-words: column 2
inline constexpr Mode kModes[] = {
    {keys::kF1, "FM", "FM", "fm.wav", "MD1", "FM", "FM", 0x20, 12000},
    {keys::kF2, "AM", "AM", "am.wav", "MD2", "AM", "AM", 0x1, 6000},
    {keys::kF3, "LSB", "LSB", "lsb.wav", "MD4", "LSB", "LSB", 0x8, 3000},
    {keys::kF4, "USB", "USB", "usb.wav", "MD3", "USB", "USB", 0x4, 3000},
    {keys::kF5, "WFM", "WFM", "wfm.wav", "MD0", "WFM", "WFM", 0x40, 230000},
    {keys::kF6, "CW ", "cw", "cw.wav", "MD5", "CW", "CW", 0x2, 3000},
    {keys::kF7, "AUT", "auto", "auto", "AU1", "", "", 0, 0},
};

// The receiver's digit of a mode ('5' for "MD5"), or 0 for a mode without one.
constexpr char DigitOf(const Mode& mode) {
  const char* command = mode.command;
  return command[0] == 'M' && command[1] == 'D' ? command[2] : 0;
}

inline constexpr int kFirstModeKey = kModes[0].key;
inline constexpr int kLastModeKey = kModes[std::size(kModes) - 1].key;

}  // namespace kestrel::modes
