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
extern int LinkState;      // -1 until the receiver answers, 1 once it has, 0 when given up
extern Text DisplayLine;   // "Connecting" until the first reply, then ">"
extern int LinkLost;       // 0 link working, 1 port gone (reopened once a second), 2 reopened
                           // and waiting for the answer to its level request
extern int ReopenCountdown;  // ticks until the next reopening, or left for the answer

// Trace state shared with the main line and the command entry.
extern int DebugFlag;        // 1: the trace "debug1.dat" is written
extern FileVariable TraceFile;
extern Text LogLine;         // the trace line being written

void ResetLinkState();

}  // namespace kestrel
