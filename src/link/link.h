// The one road to the receiver: SendCommand sends CommandText with CR and traces it (while
// the link is lost it sends nothing, and the trace says so once);
// ReadReply takes whatever the receiver sent and cuts out the first known reply; LogReply
// traces it and completes the connection handshake.
#pragma once

namespace kestrel {

void SendCommand();
void ReadReply();
void LogReply();
// Writes the single byte 30 that lets a halted scan or search go on: no CR, no trace line.
void SendResumeByte();
// Writes LogLine to the trace as one line when the trace is on.
void WriteTraceLine();

}  // namespace kestrel
