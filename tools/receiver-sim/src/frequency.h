// Frequencies and steps as the receiver reads and writes them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kestrel::sim {

using Hz = std::int64_t;

inline constexpr Hz kLowestHz = 100'000;
inline constexpr Hz kHighestHz = 2'040'000'000;
inline constexpr Hz kResolutionHz = 50;
inline constexpr Hz kPowerOnHz = 145'000'000;
inline constexpr int kPowerOnStepHz = 12'500;

// A tuning frequency: ten digits in Hz ("0145500000") or MHz with a point ("0145.50000",
// "0145.512550"). Kept to the nearest 50 Hz. nullopt for another form or outside the range.
std::optional<Hz> ParseTuningFrequency(std::string_view text);
// Exactly ten digits in Hz, within the range; kept to the nearest 50 Hz.
std::optional<Hz> ParseTenDigitFrequency(std::string_view text);
// Any number of digits (Hz) or MHz with a point; no range check (scenario files).
std::optional<Hz> ParseAnyFrequency(std::string_view text);
// A step: six digits in Hz ("012500") or kHz with a point ("012.50"); above 0, below 1 MHz,
// a multiple of 50 Hz.
std::optional<int> ParseStep(std::string_view text);

std::string TenDigits(Hz hz);        // "0145500000"
std::string SixDigits(int stepHz);   // "012500"
std::string ThreeDigits(int level);  // "087", clamped to 000-255

// Non-negative whole number of at most 18 digits; nullopt for anything else.
std::optional<std::int64_t> ParseDigits(std::string_view text);

}  // namespace kestrel::sim
