// MHz and kHz texts to hertz and back, and the arrow and page tuning built on them.
#include <cstdint>
#include <limits>
#include <string>

#include "controls/controls.h"
#include "link/replies.h"
#include "runtime/text.h"
#include "speech/speech.h"
#include "state/commands.h"
#include "state/controls.h"
#include "state/key_codes.h"

namespace kestrel {
namespace {

constexpr std::int32_t kHertzPerKilohertz = 1000;
constexpr std::int64_t kHighestHz = std::numeric_limits<std::int32_t>::max();

double DigitValue(const std::string& text, int position) {
  return TextToNumber(Mid(text, position, 1));
}

// Hertz of the fraction digits after `point`, the first weighing `weight`; each further
// digit weighs a tenth of the one before, so digits past the last whole hertz count 0.
std::int32_t AddFraction(std::int32_t hertz, const std::string& text, int point, int weight) {
  for (int position = point + 1; position <= Length(text); ++position) {
    hertz = StoreInteger(hertz + DigitValue(text, position) * weight);
    weight /= 10;
  }
  return hertz;
}

void SayInvalid() { SayWord("inv"); }

// The arrow and page keys: FrequencyHz holds the frequency of SpokenText; a result below
// 0 Hz, or beyond the hertz a 32-bit count can hold, is refused rather than tuned wrongly.
void TuneByHertz(std::int64_t offsetHz) {
  const double textHz = TextToNumber(SpokenText.str()) * kHertzPerMegahertz;
  const std::int64_t targetHz = FrequencyHz + offsetHz;
  if (textHz > kHighestHz || targetHz < 0 || targetHz > kHighestHz) {
    SayInvalid();
    return;
  }
  FrequencyHz = static_cast<std::int32_t>(targetHz);
  HzToFrequencyText();
  FrequencyText = SpokenText;
  TuneVfoA();
}

void ReadCurrentFrequency() {
  SpokenText = FrequencyText;
  FrequencyTextToHz();
}

}  // namespace

void FrequencyTextToHz() {
  const std::string text = SpokenText.str();
  int point = Find(text, ".");
  // A typed frequency not yet tuned ("146") has no point: it is whole MHz.
  if (point == 0) point = Length(text) + 1;
  StepHz = point;  // the step scratch doubles as the point's position
  FrequencyHz = StoreInteger(TextToNumber(Left(text, point - 1)) * kHertzPerMegahertz);
  FrequencyHz = AddFraction(FrequencyHz, text, point, kHertzPerMegahertz / 10);
}

void HzToFrequencyText() {
  std::string digits = Mid(NumberToText(FrequencyHz), 2);
  // Below 0.1 MHz the hertz have fewer than six digits; the fraction keeps its zeros.
  if (Length(digits) < kHertzDigits)
    digits = std::string(kHertzDigits - digits.size(), '0') + digits;
  std::string text =
      Left(digits, Length(digits) - kHertzDigits) + "." + Right(digits, kHertzDigits);
  while (Right(text, 1) == "0") text = Left(text, Length(text) - 1);
  SpokenText = text;
}

// The whole step, to the hertz: 6.25 kHz pages by 6250 Hz, so paging stays on the raster.
void StepTextToHz() {
  const std::string step = StepText.str();
  int point = Find(step, ".");
  if (point == 0) point = Length(step) + 1;
  StepHz = StoreInteger(TextToNumber(Left(step, point - 1)) * kHertzPerKilohertz);
  StepHz = AddFraction(StepHz, step, point, kHertzPerKilohertz / 10);
}

void TuneByKilohertz() {
  ReadCurrentFrequency();
  TuneByHertz(KeyCode == keys::kUp ? kHertzPerKilohertz : -kHertzPerKilohertz);
}

void TuneByHundredHertz() {
  ReadCurrentFrequency();
  TuneByHertz(KeyCode == keys::kRight ? 100 : -100);
}

void TuneByStep() {
  ReadCurrentFrequency();
  StepTextToHz();
  const std::int64_t stepHz = StepHz;
  TuneByHertz(KeyCode == keys::kPageUp ? stepHz : -stepHz);
}

}  // namespace kestrel

namespace kestrel {

bool IsFrequencyText(const Text& text) {
  constexpr int kMostWholeDigits = 10;
  int digits = 0;
  int wholeDigits = 0;
  bool point = false;
  for (const char c : text.str()) {
    if (c == '.' && !point) {
      point = true;
    } else if (c >= '0' && c <= '9') {
      ++digits;
      if (!point && ++wholeDigits > kMostWholeDigits) return false;
    } else {
      return false;
    }
  }
  return digits > 0;
}

}  // namespace kestrel
