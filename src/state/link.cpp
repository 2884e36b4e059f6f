// The program-wide variables of link/ with their start values.
#include "state/link.h"

#include "state/reset.h"

namespace kestrel {

KESTREL_STATE(int, PortNumber, 0);
KESTREL_STATE(int, BaudRate, 0);
KESTREL_STATE(Text, CommandText);
KESTREL_STATE(Text, ReplyText);
KESTREL_STATE(int, BytesWaiting, 0);
KESTREL_STATE(int, MatchPosition, 0);
KESTREL_STATE(LinkAnswer, LinkState, kLinkGivenUp);
KESTREL_STATE(Text, DisplayLine);
KESTREL_STATE(LinkHealth, LinkCondition, kLinkWorking);
KESTREL_STATE(int, CommandsDropped, 0);
KESTREL_STATE(int, DebugFlag, 0);
KESTREL_STATE(FileVariable, TraceFile);
KESTREL_STATE(Text, LogLine);

}  // namespace kestrel
