// Tuning the two VFOs from MHz texts, the step command and the frequency field.
#include <algorithm>
#include <string>

#include "controls/controls.h"
#include "display/display.h"
#include "display/screen_map.h"
#include "link/link.h"
#include "link/receiver_commands.h"
#include "runtime/text.h"
#include "state/commands.h"
#include "state/controls.h"
#include "state/link.h"

namespace kestrel {
namespace {

constexpr int kVfoCommandMinimum = 11;   // padded with "0" to this length, then one more "0"
constexpr int kStepCommandMinimum = 8;   // padded with "0" to this length
constexpr int kFrequencyFieldWidth = 8;  // characters the frequency field is filled to
constexpr const char* kFieldZeros = "0000";
constexpr int kFieldErase = 20;  // blanks that erase the old frequency
constexpr int kFieldTrail = 30;  // blanks after the padded frequency

// Leading zeros of a typed frequency or step do not count ("0145.5" is tuned as "145.5"),
// and the whole part keeps one digit: the hertz-to-text conversion writes a frequency below
// 1 MHz as ".5", and the receiver wants four MHz digits before the point, so such a text is
// tuned as "0.5". A step typed as ".5" is read the same way.
void DropLeadingZeros(Text& number) {
  const std::string& text = number.str();
  if (text.empty()) return;
  const std::size_t whole = std::min(text.find('.'), text.size());
  std::size_t first = 0;
  while (first + 1 < whole && text[first] == '0') ++first;
  if (whole == 0) {
    number = "0" + text;
  } else if (first > 0) {
    number = text.substr(first);
  }
}

// The VFO form: four MHz digits for a text with a point ("VA0145.50000"), ten hertz digits
// for a whole number ("VA0145000000"); a longer text is kept whole. Typed and stepped
// frequencies always get one more "0" after the padding; a frequency already on the
// receiver's 50 Hz steps goes with its five decimals alone ("VA0145.50005").
void SendVfoCommand(const char* mnemonic, bool oneMoreZero = true) {
  DropLeadingZeros(SpokenText);
  const std::int32_t wholeMegahertz = TruncateInteger(TextToNumber(SpokenText.str()));
  std::string command = mnemonic;
  if (wholeMegahertz < 1000) command += "0";
  if (wholeMegahertz < 100) command += "0";
  if (wholeMegahertz < 10) command += "0";
  command += SpokenText.str();
  while (Length(command) < kVfoCommandMinimum) command += "0";
  if (oneMoreZero || Length(command) < kVfoCommandMinimum + 1) command += "0";
  CommandText = command;
  if (Find(FrequencyText.str(), ".") == 0) FrequencyText = SpokenText + ".0";
  SendCommand();
}

}  // namespace

void TuneVfoA() {
  DropLeadingZeros(FrequencyText);
  SendVfoCommand(kCommandTuneVfoA);
  ShowFrequency();
}

void TuneVfoAOnStep() {
  SendVfoCommand(kCommandTuneVfoA, false);
  ShowFrequency();
}

void TuneVfoB() { SendVfoCommand(kCommandTuneVfoB); }

void SetStep() {
  DropLeadingZeros(StepText);  // ".5" kHz is sent as "0.5", as a frequency is
  const std::int32_t wholeKilohertz = TruncateInteger(TextToNumber(StepText.str()));
  std::string command = kCommandStep;
  if (wholeKilohertz < 100) command += "0";
  if (wholeKilohertz < 10) command += "0";
  command += StepText.str();
  while (Length(command) < kStepCommandMinimum) command += "0";
  CommandText = command;
  SendCommand();
}

void ShowFrequency() {
  using namespace screen;
  SpokenText = FrequencyText;
  SetFont(kFace, kLargePoints, kBold);
  MoveTo(kFrequencyField.x, kFrequencyField.y);
  Print(Spaces(kFieldErase));
  MoveTo(kFrequencyField.x, kFrequencyField.y);
  SetColour(kBlue);
  Print(FrequencyText);
  const int shortBy = kFrequencyFieldWidth - Length(FrequencyText.str());
  if (shortBy > 0) Print(Left(kFieldZeros, shortBy), Spaces(kFieldTrail));
  SetColour(kBlack);
  SetFont(kFace, kNormalPoints, kBold);
  LimitEntryFresh = 1;
}

}  // namespace kestrel
