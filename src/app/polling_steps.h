// The steps of the polling machine that live outside polling.cpp: the supervision of the
// scans and the search after each level reply, and the frequencies read after a halt.
#pragma once

namespace kestrel::polling {

// After the level display: tries the supervision rules in order and sets PollState.
void SuperviseScans();

// A search has halted: the receiver is asked where on the next tick, with a fresh bound on
// how often it is asked.
void BeginHaltedSearchQuestion();
// PollState kAskFrequency: sends "RX".
void AskHaltedSearchFrequency();
// PollState kReadFrequency: reads the answer to "RX" and records the halt, or asks again.
void TakeHaltedSearchFrequency();
// PollState kShowScanFrequency: shows where the receiver's memory scan stopped, from the kept level
// reply.
void TakeStoppedScanFrequency();

}  // namespace kestrel::polling
