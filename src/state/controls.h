// Program-wide state of the receiver controls: frequency, step, mode and switches.
#pragma once

#include <cstdint>

#include "runtime/text.h"

namespace kestrel {

extern Text FrequencyText;        // the frequency as shown, MHz ("145.5")
extern Text SpokenText;           // MHz text handed to tuning and to speech
extern std::int32_t FrequencyHz;  // frequency in Hz for the arrow and page keys
extern Text StepText;             // tuning step, kHz ("12.5")
extern std::int32_t StepHz;       // page-key step in Hz (scratch of the conversions)
extern Text ModeText;             // mode as shown: "FM", "AM", "WFM", "USB", "LSB", "CW ", "AUT"
extern int AttenuatorOn;          // 0 or 1
extern int NoiseLimiterOn;        // 0 or 1

}  // namespace kestrel
