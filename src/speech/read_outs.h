// The read-outs of the keys that only speak: the status, the tuned frequency, and the last
// announcement said again. They send nothing to the receiver and change nothing.
#pragma once

namespace kestrel {

// The whole state, most important first. While the link is lost it begins with "lost" and
// leaves out the signal, which the receiver can no longer tell.
void SayStatus();
// The last announcement again, word for word.
void SayAgain();
// The frequency and the mode; "scan" while the receiver sweeps or scans its memory.
void SayTunedFrequency();
// The word, then "on" when `on` is 1, else "off".
void SayOnOff(const char* word, int on);

}  // namespace kestrel
