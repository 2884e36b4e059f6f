#include "commands/commands_state.h"

#include "commands/commands_internal.h"

namespace kestrel {

int KeyCode = 0;
int PendingCommand = 0;
Text ArgumentText;
int LimitEntryFresh = 0;
int FrequencyEntryFresh = 0;
int QuitRequested = 0;
Text PassList[kPassListSize];
int PassCount = 0;
int StopMode = 0;
Text LastScanBank;

void ResetCommandsState() {
  KeyCode = 0;
  PendingCommand = 0;
  ArgumentText = "";
  LimitEntryFresh = 0;
  FrequencyEntryFresh = 0;
  QuitRequested = 0;
  for (auto& pass : PassList) pass = "";
  PassCount = 0;
  StopMode = 0;
  LastScanBank = "";
  command_parts::ResetBankCheck();
}

}  // namespace kestrel
