// The receiver's memory banks by letter: ten, "A" to "J". A bank split in two names its
// second half by the same letter in lower case ("MA05" and "Ma05" in a level reply).
#pragma once

namespace kestrel {

inline constexpr char kFirstBank = 'A';
inline constexpr char kLastBank = 'J';

constexpr bool IsBankLetter(char c) {
  const char upper = c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
  return upper >= kFirstBank && upper <= kLastBank;
}

}  // namespace kestrel
