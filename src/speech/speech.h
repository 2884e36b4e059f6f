// Spoken output: words from the voice folder, the pause and beep sounds from the fixed
// folder, frequencies digit by digit and modes by name.
#pragma once

#include <string>

namespace kestrel {

// Plays WaveFolder + word and waits for its end.
void SayWord(const std::string& word);
// Runs a long read-out of the operator's own (the status, the repeat): a key pressed while
// it is heard ends the rest of it, and that key is then acted on as usual.
void SpeakYieldingToKeys(void (*readOut)());
// Plays WaveFolder + word in the background; the next word played cuts it off.
void SayWordInBackground(const std::string& word);
// Plays SoundFolder + word and waits for its end: the pause "shdel" and the waiting "beep",
// heard even with speech switched off.
void PlayFixedWord(const std::string& word);

}  // namespace kestrel

namespace kestrel {

// Speaks SpokenText character by character ("point" for "."), after "srching" while a
// search is running; leaves the spoken form in SpokenText.
void SpeakFrequency();
// Speaks the word of ModeText (copied into SpokenText).
void SpeakMode();
// Says whether the attenuator is on: "atton" or "attoff", after AttenuatorOn.
void SayAttenuator();
// Speaks SignalLevel as "s" and a digit, with "plus" above 9.
void SpeakSignalLevel();
// While the receiver's link is lost (or reopened and not yet answering): says "lost" and
// returns true. Keys that would start something on the receiver, or report what it last
// said, say this instead.
bool SaidLinkLost();

}  // namespace kestrel
