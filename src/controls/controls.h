// The receiver controls: tuning VFO A and B from MHz texts, the step, the frequency field,
// the arrow and page tuning, the modes, the attenuator and the noise limiter.
#pragma once

#include "runtime/text.h"

namespace kestrel {

void TuneVfoA();           // tunes VFO A to SpokenText, repairs and shows FrequencyText
void TuneVfoB();           // the same for VFO B, showing nothing
void TuneVfoAOnStep();     // TuneVfoA for a frequency on the receiver's 50 Hz steps: five decimals
void FrequencyTextToHz();  // SpokenText -> FrequencyHz
void HzToFrequencyText();  // FrequencyHz -> SpokenText
void StepTextToHz();       // StepText -> StepHz (only the first decimal counts)
void SetStep();            // sends the step command for StepText
void ShowFrequency();      // shows FrequencyText in the frequency field

// Arrow and page tuning for the key in KeyCode; each pair treats any key other than the
// first of the pair as the second.
void TuneByKilohertz();     // Up +1000 Hz, Down -1000 Hz
void TuneByHundredHertz();  // Right +100 Hz, Left -100 Hz
void TuneByStep();          // Page Up +StepHz, Page Down -StepHz

void SelectModeFm();
void SelectModeAm();
void SelectModeLsb();
void SelectModeUsb();
void SelectModeWfm();
void SelectModeCw();
void SelectModeAuto();
// Runs the SelectMode routine of the mode key in KeyCode (F1..F7) and redraws the mode
// field for any key code from F1 to F7.
void SelectModeOfKey();
void ShowModeField();    // ModeText + 6 blanks at the mode field in "Ariel" 50
void ApplyMode();        // shows ModeText, then selects the mode it names
void SendModeQuietly();  // shows ModeText and sends the mode it names, saying nothing
void ToggleAttenuator();
void ToggleNoiseLimiter();
// Send the receiver the mode of ModeText (nothing for a text that names no mode) and the
// attenuator as AttenuatorOn has it, without a word: the state given back to a receiver
// whose link was lost.
void SendModeCommand();
void SendAttenuatorCommand();

// A frequency text the receiver may be sent: digits with at most one point among them,
// at most 10 digits before it, at least one digit in all.
bool IsFrequencyText(const Text& text);

}  // namespace kestrel
