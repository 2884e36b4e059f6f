// A receiver link that goes away under the panel (adapter pulled, receiver switched off
// with it, a network connection dropped) is noticed, said, and opened again through the
// same port name once a second until the receiver answers a level request.
#pragma once

namespace kestrel {

// Opens PortNumber at BaudRate with the receiver's line shape (8 data bits, no parity, two
// stop bits) and reads that return at once; 1 when it opened.
int OpenReceiverLink();
// On a working link whose port has gone: closes it, notes "receiver lost" in the trace,
// says "lost" and returns true (once per loss).
bool NoticeLostLink();
// Puts "receiver lost" on the status line.
void ShowLostLink();
// One tick of the recovery of a lost link: every tenth tick the port is opened again and
// asked for its level; the answer must come within ten ticks. True on the tick the answer
// came: "connected" has been said and the link works again.
bool TakeBackLink();
// Asks the receiver for its level and waits at most half a second for the answer; false
// when none came or the port went away.
bool ReceiverAnswersLevel();

}  // namespace kestrel
