#include "runtime/text.h"

#include <cfenv>
#include <cmath>
#include <cstdio>

#include "runtime/platform/clock.h"

namespace kestrel {

std::string Left(std::string_view s, int n) {
  if (n <= 0) return {};
  return std::string(s.substr(0, static_cast<std::size_t>(n)));
}

std::string Right(std::string_view s, int n) {
  if (n <= 0) return {};
  if (static_cast<std::size_t>(n) >= s.size()) return std::string(s);
  return std::string(s.substr(s.size() - static_cast<std::size_t>(n)));
}

std::string Mid(std::string_view s, int start, int count) {
  if (start < 1) start = 1;
  const auto from = static_cast<std::size_t>(start - 1);
  if (from >= s.size()) return {};
  if (count < 0) return std::string(s.substr(from));
  return std::string(s.substr(from, static_cast<std::size_t>(count)));
}

int Find(std::string_view s, std::string_view t, int start) {
  if (s.empty() || t.empty()) return 0;
  if (start < 1) start = 1;
  if (static_cast<std::size_t>(start) > s.size()) return 0;
  const auto at = s.find(t, static_cast<std::size_t>(start - 1));
  return at == std::string_view::npos ? 0 : static_cast<int>(at) + 1;
}

int Length(std::string_view s) { return static_cast<int>(s.size()); }

std::string CharOf(int code) { return std::string(1, static_cast<char>(code & 0xff)); }

int CodeOf(std::string_view s) { return s.empty() ? 0 : static_cast<unsigned char>(s.front()); }

std::string Spaces(int n) {
  return n <= 0 ? std::string() : std::string(static_cast<std::size_t>(n), ' ');
}

double TextToNumber(std::string_view s) {
  std::size_t i = 0;
  while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) ++i;
  bool negative = false;
  if (i < s.size() && s[i] == '-') {
    negative = true;
    ++i;
  }
  long double value = 0;
  while (i < s.size() && s[i] >= '0' && s[i] <= '9') value = value * 10 + (s[i++] - '0');
  if (i < s.size() && s[i] == '.') {
    ++i;
    long double weight = 0.1L;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9') {
      value += (s[i++] - '0') * weight;
      weight /= 10;
    }
  }
  return static_cast<double>(negative ? -value : value);
}

std::string NumberToText(double value) {
  char buffer[400];
  if (value == std::trunc(value) && std::isfinite(value)) {
    // Only the low 32 bits of the truncated value are printed, as for any "%d" item.
    const auto low = static_cast<std::int64_t>(std::fmod(value, 4294967296.0));
    std::snprintf(buffer, sizeof buffer, " %d",
                  static_cast<std::int32_t>(static_cast<std::uint32_t>(low)));
  } else {
    std::snprintf(buffer, sizeof buffer, " %.*f", 2, value);
  }
  return buffer;
}

std::int32_t StoreInteger(double value) {
  if (!std::isfinite(value)) return 0;
  const int saved = std::fegetround();
  std::fesetround(FE_TONEAREST);
  const double rounded = std::nearbyint(value);
  std::fesetround(saved);
  if (rounded >= 2147483647.0) return 2147483647;
  if (rounded <= -2147483648.0) return -2147483647 - 1;
  return static_cast<std::int32_t>(rounded);
}

std::int32_t TruncateInteger(double value) {
  if (!std::isfinite(value)) return 0;
  const double cut = std::trunc(value);
  if (cut >= 2147483647.0) return 2147483647;
  if (cut <= -2147483648.0) return -2147483647 - 1;
  return static_cast<std::int32_t>(cut);
}

std::string DateText(std::string_view picture) {
  const platform::LocalTime now = platform::GetClock().Now();
  char buffer[32];
  if (picture.empty()) {
    std::snprintf(buffer, sizeof buffer, "%02d-%02d-%04d", now.month, now.day, now.year);
    return buffer;
  }
  // The pictures this program uses name day, month and year; anything else is copied.
  std::string out;
  std::size_t i = 0;
  while (i < picture.size()) {
    if (picture.substr(i, 4) == "yyyy") {
      std::snprintf(buffer, sizeof buffer, "%04d", now.year);
      out += buffer;
      i += 4;
    } else if (picture.substr(i, 2) == "dd") {
      std::snprintf(buffer, sizeof buffer, "%02d", now.day);
      out += buffer;
      i += 2;
    } else if (picture.substr(i, 2) == "MM") {
      std::snprintf(buffer, sizeof buffer, "%02d", now.month);
      out += buffer;
      i += 2;
    } else {
      out += picture[i++];
    }
  }
  return out;
}

std::string TimeText() {
  const platform::LocalTime now = platform::GetClock().Now();
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%02d:%02d:%02d", now.hour, now.minute, now.second);
  return buffer;
}

}  // namespace kestrel
