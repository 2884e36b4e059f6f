// Program-wide state of the command entry, the command keys and their executions.
#pragma once

#include "runtime/text.h"

namespace kestrel {

inline constexpr int kPassListSize = 50;  // slots 0..49; slot 0 is never used

extern int KeyCode;  // the queue entry HandleKey is acting on; keys::kNoKey after a key-up
enum PendingValue : int {
  kNothingPending = 0,  // digits make a new frequency
  kPendingStart = 1,    // search start limit
  kPendingEnd = 2,      // search end limit
  kPendingIncr = 3,     // tuning step
  kPendingTransfer = 4,
  kPendingPut = 5,
  kPendingSort = 6,
  kPendingBank = 7,
  kPendingRadbank = 8,  // the receiver's memory scan of one bank
  kPendingWrite = 9,
  kPendingDelete = 10,
  kPendingKill = 11,
  kPendingTest = 12,  // a raw command typed with the trace on
};
extern PendingValue PendingCommand;  // the command whose argument is being typed
extern Text ArgumentText;        // the argument of the commands kPendingTransfer to kPendingTest
extern int LimitEntryFresh;      // 1: the next start/end/incr digit starts a new value
extern int FrequencyEntryFresh;  // 1: the next digit starts a new FrequencyText
extern int QuitRequested;        // 1 after "Q"
extern Text PassList[kPassListSize];  // channels passed in this memory scan ("A05")
extern int PassCount;                 // next free slot of PassList; 1 when empty
extern int StopMode;                  // 1: a halted search stays halted; 0: it is told to go on
extern Text LastScanBank;             // bank letter of the last memory scan started; "X" for none

}  // namespace kestrel
