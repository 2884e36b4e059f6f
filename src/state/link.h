// Program-wide state of the receiver link.
#pragma once

#include "runtime/files.h"
#include "runtime/text.h"

namespace kestrel {

extern int PortNumber;     // the receiver's port, 1..9 from the configuration; 0 when none
extern int BaudRate;       // line speed from the configuration
extern Text CommandText;   // the next command; after SendCommand it ends with CR
extern Text ReplyText;     // the last reply as cut by ReadReply; "" when nothing usable came
extern int BytesWaiting;   // bytes waiting on the port, then the count actually read
extern int MatchPosition;  // position at which ReadReply found the reply keyword
enum LinkAnswer : int {
  kLinkConnecting = -1,  // not yet
  kLinkGivenUp = 0,      // no longer waited for
  kLinkAnswered = 1,
};
extern LinkAnswer LinkState;  // whether the receiver has answered
extern Text DisplayLine;      // "Connecting" until the first reply, then ">"
enum LinkHealth : int {
  kLinkWorking = 0,
  kLinkLost = 1,      // port gone, opened again once a second
  kLinkReopened = 2,  // opened again, waiting for the answer to "LM"
};
extern LinkHealth LinkCondition;  // whether the link works
extern int CommandsDropped;       // commands not sent since the link was lost

// Trace state shared with the main line and the command entry.
extern int DebugFlag;  // 1: the trace "debug1.dat" is written
extern FileVariable TraceFile;
extern Text LogLine;  // the trace line being written

}  // namespace kestrel
