// The steps of the polling machine that live outside polling.cpp: the supervision of the
// scans and the search after each level reply, and the frequencies read after a halt.
#pragma once

namespace kestrel::polling {

// The values of PollState.
inline constexpr int kServeKeys = 0;          // hand one queued key to HandleKey, or go on
inline constexpr int kAskLevel = 1;           // send "LM"
inline constexpr int kReadLevel = 2;          // level display and supervision
inline constexpr int kAskFrequency = 3;       // send "RX" after a search halt
inline constexpr int kReadFrequency = 4;      // read the halted search's frequency
inline constexpr int kWaitForScanStop = 5;    // one tick of delay after a memory-scan stop
inline constexpr int kShowScanFrequency = 6;  // where the memory scan stopped

// The values of MemoryScanState, ListState and SearchActive that the poller moves between.
inline constexpr int kMemoryScanStarted = 1;   // not yet reported, or to be announced again
inline constexpr int kMemoryScanReported = 2;
inline constexpr int kMemoryScanStopped = 3;
inline constexpr int kListScanStarted = 2;
inline constexpr int kListScanning = 3;
inline constexpr int kListScanHeld = 4;
inline constexpr int kSearchRunning = 1;
inline constexpr int kSearchHalted = 2;

// After the level display: tries the supervision rules in order and sets PollState.
void SuperviseScans();

// A search has halted: the receiver is asked where on the next tick, with a fresh bound on
// how often it is asked.
void BeginHaltedSearchQuestion();
// The count of unanswered questions back to 0, as at program start.
void ResetHaltedSearchQuestion();
// PollState 3: sends "RX".
void AskHaltedSearchFrequency();
// PollState 4: reads the answer to "RX" and records the halt, or asks again.
void TakeHaltedSearchFrequency();
// PollState 6: shows where the receiver's memory scan stopped, from the kept level reply.
void TakeStoppedScanFrequency();

}  // namespace kestrel::polling
