#include "controls/controls_state.h"

namespace kestrel {

Text FrequencyText;
Text SpokenText;
std::int32_t FrequencyHz = 0;
Text StepText;
std::int32_t StepHz = 0;
Text ModeText;
int AttenuatorOn = 0;
int NoiseLimiterOn = 0;

void ResetControlsState() {
  FrequencyText = "";
  SpokenText = "";
  FrequencyHz = 0;
  StepText = "";
  StepHz = 0;
  ModeText = "";
  AttenuatorOn = 0;
  NoiseLimiterOn = 0;
}

}  // namespace kestrel
