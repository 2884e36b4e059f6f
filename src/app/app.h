// The main line and the event handler with the receiver polling.
#pragma once

namespace kestrel {

// The whole program from the window's opening to its closing; returns the exit code.
int RunProgram();
// Reads the five lines of the open ConfigFile into PortText, BaudText, VoiceEnabled and
// DebugFlag; speech off empties WaveFolder.
void ReadConfiguration();
void InitialiseReceiver();
void ShutDown();
void HandleWindowEvent();
// Before each poll step: notices a lost receiver link and takes it back. False while the
// poll must not step (a reopened port's answer is awaited).
bool WatchReceiverLink();

}  // namespace kestrel
