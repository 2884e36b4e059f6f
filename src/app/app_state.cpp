#include "app/app_state.h"

#include <algorithm>

#include "app/polling_steps.h"
#include "app/prompt_ticks.h"
#include "banks/banks_state.h"
#include "commands/commands_state.h"
#include "controls/controls_state.h"
#include "display/display.h"
#include "link/link_state.h"
#include "link/port.h"
#include "operator/operator_state.h"
#include "rigctl/rigctl_state.h"
#include "runtime/system_voice.h"
#include "speech/speech_state.h"

namespace kestrel {

WindowRecord MainWindow;
Text VersionText;
Text TitleText;
FileVariable ConfigFile;
Text ConfigLine;
Text PortText;
Text BaudText;
int VoiceEnabled = 0;
int RunFlag = 0;

int KeyHeld = 0;
int KeyQueue[kKeyQueueSize] = {};
int KeyQueueCount = 0;
int PollState = 0;
int ReceiverScanning = 0;
int SignalLevel = 0;
Text LevelBarText;
int MemoryScanState = 0;
int StopHoldoff = 0;
int ListState = 0;
int ResumeCountdown = 0;
int LevelPollsRead = 0;

void ResetAppState() {
  MainWindow = WindowRecord{};
  VersionText = "";
  TitleText = "";
  CloseFile(ConfigFile);
  ConfigLine = "";
  PortText = "";
  BaudText = "";
  VoiceEnabled = 0;
  RunFlag = 0;
  KeyHeld = 0;
  std::fill(std::begin(KeyQueue), std::end(KeyQueue), 0);
  KeyQueueCount = 0;
  PollState = 0;
  ReceiverScanning = 0;
  SignalLevel = 0;
  LevelBarText = "";
  MemoryScanState = 0;
  StopHoldoff = 0;
  ListState = 0;
  ResumeCountdown = 0;
  polling::ResetHaltedSearchQuestion();
  LevelPollsRead = 0;
  ResetPromptTicks();
}

void ResetProgramState() {
  CloseAllPorts();
  ResetAppState();
  ResetWindowState();
  ResetDisplayState();
  ResetLinkState();
  ResetCommandsState();
  ResetBanksState();
  ResetControlsState();
  ResetSpeechState();
  ResetOperatorState();
  ResetRigctlState();
  StopSystemVoice();
}

}  // namespace kestrel
