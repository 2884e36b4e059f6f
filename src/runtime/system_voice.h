// The system voice: every word of the voice folder is said by the speech server, as the
// phrase the voice table gives for it, instead of played from its recording. The timing
// stays that of the recordings: a word is waited for to its end (at most 5 s), a background
// word is not and is cut off by the next one, and the pause word is silence of its length.
#pragma once

#include <string>

namespace kestrel {

// Connects to the speech server and speaks through it from now on. Returns "" when it
// answered; otherwise says why on standard error, in the journal and to the report, and
// the recordings play on.
std::string StartSystemVoice();
// Leaves the speech server; the recordings play from now on.
void StopSystemVoice();
bool SystemVoiceActive();
// True while a word the speech server was given in the background may still be heard.
bool SystemWordSounding();
// A tone has started on the recordings' player: the server's next word cuts it off first,
// as a recorded word would.
void NoteToneStarted();

// Says the word a sound path names ("wave\scan", "wave\FM", "wave\fm.wav"); an empty path
// only cuts off a background word. A tone plays from its recording; a word the table does
// not have says nothing. When the server is lost, the word plays from its recording and so
// does every later one. Returns what was heard, for the journal: "speech:" and the phrase,
// "pause:" and the milliseconds, the recording played, or "" for nothing.
std::string SpeakSoundPath(const std::string& path, bool background);

// Told why, once, whenever the speech server cannot be used (the main line's trace).
void SetSystemVoiceReport(void (*report)(const std::string& why));

}  // namespace kestrel
