#include "link/link_state.h"

namespace kestrel {

int PortNumber = 0;
int BaudRate = 0;
Text CommandText;
Text ReplyText;
int BytesWaiting = 0;
int MatchPosition = 0;
int LinkState = 0;
Text DisplayLine;
int LinkLost = 0;
int ReopenCountdown = 0;
int DebugFlag = 0;
FileVariable TraceFile;
Text LogLine;

void ResetLinkState() {
  PortNumber = 0;
  BaudRate = 0;
  CommandText = "";
  ReplyText = "";
  BytesWaiting = 0;
  MatchPosition = 0;
  LinkState = 0;
  DisplayLine = "";
  LinkLost = 0;
  ReopenCountdown = 0;
  DebugFlag = 0;
  CloseFile(TraceFile);
  LogLine = "";
}

}  // namespace kestrel
