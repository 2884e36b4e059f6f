#include "state/reset.h"

#include <vector>

#include "runtime/system_voice.h"
#include "runtime/window.h"

namespace kestrel {
namespace {

// Filled while the program's static state is defined, before main runs.
std::vector<state::ResetRoutine>& Resets() {
  static std::vector<state::ResetRoutine> resets;
  return resets;
}

}  // namespace

state::OnReset::OnReset(ResetRoutine routine) { Resets().push_back(routine); }

void ResetProgramState() {
  for (const auto routine : Resets()) routine();
  ResetWindowState();
  StopSystemVoice();
}

}  // namespace kestrel
