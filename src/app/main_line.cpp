// The main line: the window, the configuration, the trace, the announcement, the receiver
// brought into a known state, the event loop, and the shutdown in its fixed order.
#include <cctype>
#include <string>
#include <string_view>

#include "app/app.h"
#include "app/first_start.h"
#include "banks/banks.h"
#include "banks/search.h"
#include "controls/controls.h"
#include "display/display.h"
#include "display/screen_map.h"
#include "link/link.h"
#include "link/link_recovery.h"
#include "link/port.h"
#include "link/receiver_commands.h"
#include "operator/hit_log.h"
#include "operator/recordings.h"
#include "runtime/config_format.h"
#include "runtime/system_voice.h"
#include "speech/announcements.h"
#include "speech/speech.h"
#include "state/app.h"
#include "state/banks.h"
#include "state/commands.h"
#include "state/controls.h"
#include "state/link.h"
#include "state/speech.h"
#include "state/version.h"

namespace kestrel {
namespace {

constexpr const char* kTraceFileName = "debug1.dat";

// The start-up announcement: the program's name, then the version's number digit by digit
// ("4", "point", "0"); its letter is not spoken.
void AnnounceVersion() {
  SayWord("kestrel");
  for (const char c : std::string_view(kPanelVersion)) {
    if (c == '.') {
      SayWord("point");
    } else if (std::isdigit(static_cast<unsigned char>(c))) {
      SayWord(std::string(1, c));
    } else {
      break;
    }
  }
}

void StartTrace() {
  OpenFile(TraceFile, kTraceFileName, "W");
  LogLine = "KESTREL " + VersionText + "  " + DateText("dd-MM-yyyy") + "   " + TimeText();
  WriteLine(TraceFile, LogLine);
}

// The speech server could not be used: the trace says why.
void TraceSpeechTrouble(const std::string& why) {
  LogLine = "SPEECH " + why;
  WriteTraceLine();
}

void StartVoice() {
  if (VoiceEnabled != config::kVoiceSystem) return;
  SetSystemVoiceReport(TraceSpeechTrouble);
  StartSystemVoice();
}

void ReportMissingConfiguration() {
  MoveTo(screen::kConfigMissing.x, screen::kConfigMissing.y);
  Print("--- KESTREL.CFG file not found ---");
  MoveTo(screen::kConfigAdvice.x, screen::kConfigAdvice.y);
  Print("please run the 'PANELSET' program");
  SayWord("cfnf");
}

void ResetOperatingState() {
  LinkState = kLinkConnecting;
  LevelPollsRead = 0;
  DisplayLine = "Connecting";
  FrequencyText = "";
  SpokenText = "145";
  SearchStartText = "145";
  SearchEndText = "146";
  StepText = "12.5";
  LevelBarText = "******************";
  LastScanBank = "X";
  ScanVoice = 1;
  FrequencyEntryFresh = 1;
  PassCount = 1;
  AttenuatorOn = 1;
  NoiseLimiterOn = 0;
  PollState = kServeKeys;
  KeyQueueCount = LimitEntryFresh = 0;
  PendingCommand = kNothingPending;
  ListState = kNoList;
  MemoryScanState = kNoMemoryScan;
  SearchActive = kNoSearch;
  ListIndex = StopMode = 0;
  StopHoldoff = ResumeCountdown = QuitRequested = 0;
}

// A port that would not open leaves the reason in the trace; the words stay as they are.
void TracePortProblem() {
  const std::string problem = platform::GetSerialPorts().LastOpenProblem();
  if (problem.empty()) return;
  LogLine = "Port " + PortDeviceName(PortNumber) + " not opened: " + problem;
  WriteTraceLine();
}

void OpenReceiverPort() {
  PortNumber = StoreInteger(TextToNumber(Right(PortText.str(), 1)));
  BaudRate = StoreInteger(TextToNumber(BaudText.str()));
  if (OpenReceiverLink() == 0) TracePortProblem();
}

}  // namespace

// The five lines read by character position; lines past the end of the file read as "".
void ReadConfiguration() {
  Text values[config::kLineCount];
  config::ReadValues(ConfigFile, ConfigLine, values);
  PortText = values[config::kPortLine];
  BaudText = values[config::kBaudLine];
  VoiceEnabled = config::SwitchValue(values[config::kVoiceLine]);
  DebugFlag = config::SwitchValue(values[config::kDebugLine]);
  if (VoiceEnabled == config::kVoiceOff) WaveFolder = "";
}

void InitialiseReceiver() {
  MoveTo(screen::kConnectOrigin.x, screen::kConnectOrigin.y);
  SetFont(screen::kFace, screen::kLargePoints, screen::kBold);
  ResetOperatingState();
  ShowSearchSettings();
  OpenReceiverPort();
  FrequencyText = "145";
  SpokenText = "145";
  TuneVfoA();
  SpeakFrequency();
  PlayFixedWord("shdel");
  SelectModeFm();
  PlayFixedWord("shdel");
  SetStep();
  AttenuatorOn = 1;
  ToggleAttenuator();
  ShowModeField();
}

void ShutDown() {
  StopTimer(MainWindow, screen::kTimerNumber);
  CloseHeldHit();
  StopRecordings();
  FinishAnnouncement();
  SaveRunningSearch();
  if (DebugFlag == 1) CloseFile(TraceFile);
  CommandText = kCommandExit;
  SendCommand();
  ClosePort(PortNumber);
  StopSystemVoice();
  CloseWindow(MainWindow);
}

int RunProgram() {
  // Without its window the panel could take no key: it ends before it touches the receiver
  // (the window system has said why) and says so in its exit code.
  using namespace screen;
  if (OpenWindow(MainWindow, kWindowPlace.x, kWindowPlace.y, kWindowWidth, kWindowHeight,
                 kWindowStyle, nullptr, kCaption, HandleWindowEvent) == 0) {
    return 1;
  }
  RemoveStaleBankTemporaries();
  VersionText = kPanelVersion;
  TitleText = screen::kTitleLine;  // "*** Kestrel V " + VersionText + " ***"
  WaveFolder = "wave\\";
  SoundFolder = "wave\\";
  if (OpenFile(ConfigFile, config::kFileName, "R") != 0 &&
      !(FindReceiverAtFirstStart() && OpenFile(ConfigFile, config::kFileName, "R") == 0)) {
    ReportMissingConfiguration();
    const int exitCode = ReportReceiverNotFound();
    ShutDown();
    return exitCode;
  }
  ReadConfiguration();
  ReadRecordingSettings();
  CloseFile(ConfigFile);
  if (DebugFlag == 1) StartTrace();
  TraceFirstStart();
  StartVoice();
  MoveTo(screen::kTitle.x, screen::kTitle.y);
  Print(TitleText);
  AnnounceVersion();
  FinishAnnouncement();  // the version stands apart from the frequency said next
  InitialiseReceiver();
  StartRecordings();
  StartTimer(MainWindow, kTimerPeriodMs, kTimerNumber);
  RunFlag = 1;
  do {
    ProcessEvents(0);
  } while (RunFlag != 0);
  ShutDown();
  return 0;
}

}  // namespace kestrel
