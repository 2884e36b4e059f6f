// Program-wide state of the main line and of the event handler with its polling.
#pragma once

#include "runtime/files.h"
#include "runtime/text.h"
#include "runtime/window.h"
#include "state/reset.h"

namespace kestrel {

inline constexpr int kKeyQueueSize = 20;

extern WindowRecord MainWindow;  // the only window
extern Text VersionText;         // kPanelVersion (state/version.h)
extern Text TitleText;           // screen::kTitleLine
extern FileVariable ConfigFile;  // open only while the configuration is read
extern Text ConfigLine;          // each configuration line in turn
extern Text PortText;            // configuration line 1 from its fifth character
extern Text BaudText;            // configuration line 2 from its seventh character
extern int VoiceEnabled;         // the voice digit (config::kVoiceOff: speech off)
extern int RunFlag;              // the event loop runs while it is not 0

extern int KeyHeld;                  // 1 from a key-down until the next key-up
extern int KeyQueue[kKeyQueueSize];  // pending key codes, oldest first, each followed by
                                     // keys::kReplyMarker
extern int KeyQueueCount;            // used entries of KeyQueue
enum PollStep : int {
  kServeKeys = 0,          // hand one queued key to HandleKey, or go on
  kAskLevel = 1,           // send "LM"
  kReadLevel = 2,          // level display and supervision
  kAskFrequency = 3,       // send "RX" after a search halt
  kReadFrequency = 4,      // read the halted search's frequency
  kWaitForScanStop = 5,    // one tick of delay after a memory-scan stop
  kShowScanFrequency = 6,  // where the memory scan stopped
};
extern PollStep PollState;    // the step of the polling machine
extern int ReceiverScanning;  // 1 when the last level reply carried "%" third
extern int SignalLevel;       // signal level in bar cells
extern int LevelReading;      // the receiver's last level reading, 0..255
extern int SquelchReading;    // the last level reply's squelch: 1 open, 0 closed
extern Text LevelBarText;     // 18 asterisks
enum MemoryScanStep : int {
  kNoMemoryScan = 0,
  kMemoryScanStarted = 1,   // not yet reported, or to be announced again
  kMemoryScanReported = 2,  // scanning, and said so
  kMemoryScanStopped = 3,
};
extern MemoryScanStep MemoryScanState;  // the receiver's memory scan
extern int StopHoldoff;                 // polls left before a scanning report after a stop
enum ListStep : int {
  kNoList = 0,
  kListBrowsing = 1,
  kListScanStarted = 2,
  kListScanning = 3,
  kListScanHeld = 4,  // the list scan stopped on an entry
};
extern ListStep ListState;   // the loaded bank's list
extern int ResumeCountdown;  // level polls left before a halted search goes on
extern int LevelPollsRead;   // level replies read (or found missing) since start, 0..1

}  // namespace kestrel
