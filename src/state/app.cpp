// The program-wide variables of app/ with their start values.
#include "state/app.h"

#include "state/reset.h"

namespace kestrel {

KESTREL_STATE(WindowRecord, MainWindow);
KESTREL_STATE(Text, VersionText);
KESTREL_STATE(Text, TitleText);
KESTREL_STATE(FileVariable, ConfigFile);
KESTREL_STATE(Text, ConfigLine);
KESTREL_STATE(Text, PortText);
KESTREL_STATE(Text, BaudText);
KESTREL_STATE(int, VoiceEnabled, 0);
KESTREL_STATE(int, RunFlag, 0);

KESTREL_STATE(int, KeyHeld, 0);
KESTREL_STATE_ARRAY(int, KeyQueue, kKeyQueueSize);
KESTREL_STATE(int, KeyQueueCount, 0);
KESTREL_STATE(PollStep, PollState, kServeKeys);
KESTREL_STATE(int, ReceiverScanning, 0);
KESTREL_STATE(int, SignalLevel, 0);
KESTREL_STATE(int, LevelReading, 0);
KESTREL_STATE(int, SquelchReading, 0);
KESTREL_STATE(Text, LevelBarText);
KESTREL_STATE(MemoryScanStep, MemoryScanState, kNoMemoryScan);
KESTREL_STATE(int, StopHoldoff, 0);
KESTREL_STATE(ListStep, ListState, kNoList);
KESTREL_STATE(int, ResumeCountdown, 0);
KESTREL_STATE(int, LevelPollsRead, 0);

}  // namespace kestrel
