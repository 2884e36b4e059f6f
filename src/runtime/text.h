// Text variables and the text and number rules every part of the program relies on:
// 1-based positions, clamping instead of errors, and the exact number forms.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kestrel {

// Longest text a text variable holds; a longer assignment keeps the first 254 characters.
inline constexpr std::size_t kTextLimit = 254;

// A program-wide text variable. Intermediate results are plain std::string and have no
// limit; only assignment to a Text cuts.
class Text {
 public:
  Text() = default;
  Text(const char* s) { Assign(s); }         // NOLINT: texts are assigned freely
  Text(std::string_view s) { Assign(s); }    // NOLINT
  Text(const std::string& s) { Assign(s); }  // NOLINT
  Text& operator=(const char* s) {
    Assign(s);
    return *this;
  }
  Text& operator=(std::string_view s) {
    Assign(s);
    return *this;
  }
  Text& operator=(const std::string& s) {
    Assign(s);
    return *this;
  }

  // The one exception to the limit: a serial read fills the variable directly and may
  // leave up to 255 bytes in it.
  void AssignRaw(std::string_view bytes) { value_.assign(bytes); }

  const std::string& str() const { return value_; }
  operator const std::string&() const { return value_; }  // NOLINT
  operator std::string_view() const { return value_; }    // NOLINT
  const char* c_str() const { return value_.c_str(); }
  bool empty() const { return value_.empty(); }
  std::size_t size() const { return value_.size(); }

  friend bool operator==(const Text& a, const Text& b) { return a.value_ == b.value_; }
  friend bool operator==(const Text& a, std::string_view b) { return a.value_ == b; }
  friend bool operator==(const Text& a, const char* b) { return a.value_ == b; }

 private:
  void Assign(std::string_view s) { value_.assign(s.substr(0, kTextLimit)); }
  std::string value_;
};

inline std::string operator+(const Text& a, const Text& b) { return a.str() + b.str(); }
inline std::string operator+(const Text& a, const std::string& b) { return a.str() + b; }
inline std::string operator+(const std::string& a, const Text& b) { return a + b.str(); }
inline std::string operator+(const Text& a, const char* b) { return a.str() + b; }
inline std::string operator+(const char* a, const Text& b) { return a + b.str(); }

// The first n characters; n below 0 counts as 0.
std::string Left(std::string_view s, int n);
// The last n characters; n below 0 counts as 0.
std::string Right(std::string_view s, int n);
// Characters from position start on; start below 1 counts as 1; a negative count, or one
// reaching past the end, takes everything to the end.
std::string Mid(std::string_view s, int start, int count = -1);
// 1-based position of t in s at or after start; 0 when absent, when s or t is empty or
// when start lies beyond s.
int Find(std::string_view s, std::string_view t, int start = 1);
int Length(std::string_view s);
std::string CharOf(int code);
int CodeOf(std::string_view s);
std::string Spaces(int n);

// Leading blanks and tabs, an optional "-", digits, an optional "." and digits; the rest
// is ignored and anything else reads as 0. No "+" and no exponent.
double TextToNumber(std::string_view s);
// " %d" for a whole number (low 32 bits), otherwise " %.2f".
std::string NumberToText(double value);

// Storing a number in an integer: nearest, halves to the even neighbour.
std::int32_t StoreInteger(double value);
// Where a value is truncated: the fraction is cut toward zero.
std::int32_t TruncateInteger(double value);

// Today's local date by the picture ("dd-MM-yyyy"); without one "%02d-%02d-%04d" of month,
// day and year.
std::string DateText(std::string_view picture = {});
// The local time as "hh:mm:ss", 24-hour.
std::string TimeText();

}  // namespace kestrel
