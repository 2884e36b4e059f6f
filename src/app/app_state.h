// Program-wide state of the main line and of the event handler with its polling.
#pragma once

#include "runtime/files.h"
#include "runtime/text.h"
#include "runtime/window.h"

namespace kestrel {

inline constexpr int kKeyQueueSize = 20;

extern WindowRecord MainWindow;  // the only window
extern Text VersionText;         // "4.0c"
extern Text TitleText;           // "*** Kestrel V 4.0c ***"
extern FileVariable ConfigFile;  // open only while the configuration is read
extern Text ConfigLine;          // each configuration line in turn
extern Text PortText;            // configuration line 1 from its fifth character
extern Text BaudText;            // configuration line 2 from its seventh character
extern int VoiceEnabled;         // 0: speech off
extern int RunFlag;              // the event loop runs while it is not 0

extern int KeyHeld;                    // 1 from a key-down until the next key-up
extern int KeyQueue[kKeyQueueSize];    // pending key codes, oldest first, each followed by 0
extern int KeyQueueCount;              // used entries of KeyQueue
extern int PollState;                  // 0..6, the polling machine
extern int ReceiverScanning;           // 1 when the last level reply carried "%" third
extern int SignalLevel;                // signal level in bar cells
extern Text LevelBarText;              // 18 asterisks
extern int MemoryScanState;            // 0 none, 1 started, 2 scanning, 3 stopped
extern int StopHoldoff;                // polls left before a scanning report after a stop
extern int ListState;                  // 0 none, 1 browsing, 2 scan started, 3 scanning, 4 stopped
extern int ResumeCountdown;            // level polls left before a halted search goes on
extern int LevelPollsRead;             // level replies read (or found missing) since start, 0..1

// Puts every program-wide variable back to its value at program start.
void ResetProgramState();
void ResetAppState();

}  // namespace kestrel
