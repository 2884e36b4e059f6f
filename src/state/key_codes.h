// The key codes that the program tells apart (the named values of KeyCode): the platform's
// virtual-key codes of the key-down event. Letters arrive as their upper-case codes whatever the
// shift state.
#pragma once

#include "state/bank_letters.h"

namespace kestrel::keys {

inline constexpr int kReplyMarker = 0;  // queue entry after every key: read the reply
inline constexpr int kNoKey = 999;      // KeyCode from a key-up until the next key is served
inline constexpr int kEnter = 13;
inline constexpr int kSpace = 32;
inline constexpr int kPageUp = 33;
inline constexpr int kPageDown = 34;
inline constexpr int kLeft = 37;
inline constexpr int kUp = 38;
inline constexpr int kRight = 39;
inline constexpr int kDown = 40;
inline constexpr int kPoint = 46;  // the decimal point (the Delete key gives it too)
inline constexpr int kDigit0 = 48;
inline constexpr int kDigit9 = 57;
inline constexpr int kF1 = 112;
inline constexpr int kF2 = 113;
inline constexpr int kF3 = 114;
inline constexpr int kF4 = 115;
inline constexpr int kF5 = 116;
inline constexpr int kF6 = 117;
inline constexpr int kF7 = 118;
inline constexpr int kFullStop = 190;  // the main keyboard's full stop, taken as the point

// A letter key's code is the code of its upper-case character: Letter('W') is 87.
constexpr int Letter(char upper) { return upper; }

inline constexpr int kFirstBankLetter = Letter(kFirstBank);
inline constexpr int kLastBankLetter = Letter(kLastBank);

}  // namespace kestrel::keys
