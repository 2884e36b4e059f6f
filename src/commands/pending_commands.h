// The values of PendingCommand: the command whose argument is being typed.
#pragma once

namespace kestrel {

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
  kPendingTest = 12,    // a raw command typed with the trace on
};

}  // namespace kestrel
