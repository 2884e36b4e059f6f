#include "frequency.h"

#include <algorithm>
#include <cstdio>

namespace kestrel::sim {
namespace {

constexpr int kMhzDecimals = 6;  // Hz digits after the point of a MHz text
constexpr int kKhzDecimals = 3;
constexpr int kMaxWholeDigits = 9;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

struct Decimal {
  std::int64_t value = 0;  // in units of 10^-decimals of the written unit
  bool exact = true;       // no non-zero digit was dropped beyond the kept decimals
};

// "0145.5125" with 6 decimals gives 145512500. One point, digits around it, at least one
// digit in all.
std::optional<Decimal> ParseWithPoint(std::string_view text, int decimals) {
  const auto point = text.find('.');
  if (point == std::string_view::npos || text.size() < 2) return std::nullopt;
  const auto whole = text.substr(0, point);
  const auto fraction = text.substr(point + 1);
  if (whole.size() > kMaxWholeDigits) return std::nullopt;
  if (!std::all_of(whole.begin(), whole.end(), IsDigit) ||
      !std::all_of(fraction.begin(), fraction.end(), IsDigit)) {
    return std::nullopt;
  }
  Decimal result;
  for (const char c : whole) result.value = result.value * 10 + (c - '0');
  for (int i = 0; i < decimals; ++i) {
    const int digit = i < static_cast<int>(fraction.size()) ? fraction[i] - '0' : 0;
    result.value = result.value * 10 + digit;
  }
  for (std::size_t i = decimals; i < fraction.size(); ++i) {
    if (fraction[i] != '0') result.exact = false;
  }
  return result;
}

Hz NearestOnGrid(Hz hz) { return (hz + kResolutionHz / 2) / kResolutionHz * kResolutionHz; }

bool InRange(Hz hz) { return hz >= kLowestHz && hz <= kHighestHz; }

}  // namespace

std::optional<std::int64_t> ParseDigits(std::string_view text) {
  if (text.empty() || text.size() > 18) return std::nullopt;
  std::int64_t value = 0;
  for (const char c : text) {
    if (!IsDigit(c)) return std::nullopt;
    value = value * 10 + (c - '0');
  }
  return value;
}

std::optional<Hz> ParseTenDigitFrequency(std::string_view text) {
  if (text.size() != 10) return std::nullopt;
  const auto hz = ParseDigits(text);
  if (!hz || !InRange(NearestOnGrid(*hz))) return std::nullopt;
  return NearestOnGrid(*hz);
}

std::optional<Hz> ParseTuningFrequency(std::string_view text) {
  std::optional<Hz> hz;
  if (text.find('.') != std::string_view::npos) {
    if (const auto mhz = ParseWithPoint(text, kMhzDecimals)) hz = mhz->value;
  } else if (text.size() == 10) {
    hz = ParseDigits(text);
  }
  if (!hz) return std::nullopt;
  const Hz onGrid = NearestOnGrid(*hz);
  if (!InRange(onGrid)) return std::nullopt;
  return onGrid;
}

std::optional<Hz> ParseAnyFrequency(std::string_view text) {
  if (text.find('.') == std::string_view::npos) return ParseDigits(text);
  const auto mhz = ParseWithPoint(text, kMhzDecimals);
  if (!mhz) return std::nullopt;
  return mhz->value;
}

std::optional<int> ParseStep(std::string_view text) {
  std::optional<std::int64_t> hz;
  if (text.find('.') != std::string_view::npos) {
    const auto khz = ParseWithPoint(text, kKhzDecimals);
    if (khz && khz->exact) hz = khz->value;
  } else if (text.size() == 6) {
    hz = ParseDigits(text);
  }
  if (!hz || *hz <= 0 || *hz >= 1'000'000 || *hz % kResolutionHz != 0) return std::nullopt;
  return static_cast<int>(*hz);
}

std::string TenDigits(Hz hz) {
  char text[24];
  std::snprintf(text, sizeof text, "%010lld", static_cast<long long>(std::max<Hz>(hz, 0)));
  return text;
}

std::string SixDigits(int stepHz) {
  char text[16];
  std::snprintf(text, sizeof text, "%06d", std::clamp(stepHz, 0, 999'999));
  return text;
}

std::string ThreeDigits(int level) {
  char text[8];
  std::snprintf(text, sizeof text, "%03d", std::clamp(level, 0, 255));
  return text;
}

}  // namespace kestrel::sim
