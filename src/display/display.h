// Drawing on the panel: a print position, a current font and colour, and Print, which
// formats its items into one line and draws it opaquely where the position stands.
#pragma once

#include <concepts>
#include <cstdint>
#include <string>
#include <string_view>

#include "runtime/text.h"
#include "runtime/window.h"

namespace kestrel {

void MoveTo(int x, int y);
void SetColour(std::uint32_t colour);
void SetFont(const std::string& face, int points, int weight);

// One print item in its printed form: a text unchanged, a one-byte item as the character
// of its code, any other integer as its value and one blank, a floating-point number with
// two decimals and a blank in place of the sign when it is not negative.
inline std::string PrintItem(const std::string& text) { return text; }
inline std::string PrintItem(std::string_view text) { return std::string(text); }
inline std::string PrintItem(const char* text) { return text; }
inline std::string PrintItem(const Text& text) { return text.str(); }
template <std::integral Number>
requires(!std::same_as<Number, bool>) std::string PrintItem(Number value) {
  if constexpr (sizeof(Number) == 1) {
    return std::string(1, static_cast<char>(value));
  } else {
    return std::to_string(value) + " ";
  }
}
std::string PrintItem(double value);  // "% .2f"

// Draws one formatted line: a trailing LF is dropped, then a trailing CR; nothing is drawn
// for what is then empty. The position advances by the width drawn.
void PrintLine(WindowRecord* window, std::string buffer);

template <class... Items>
void Print(WindowRecord& window, const Items&... items) {
  NameWindow(window);
  PrintLine(&window, (std::string() + ... + PrintItem(items)));
}

// A print that names no window goes to the window named last (standard output before any).
template <class... Items>
void Print(const Items&... items) {
  PrintLine(NamedWindow(), (std::string() + ... + PrintItem(items)));
}

// Forgets the named window (program start).
void ResetDisplayState();

// The search-settings line: start, step, STOP or CONT, end, in "Ariel" 30 bold, black.
void ShowSearchSettings();

}  // namespace kestrel
