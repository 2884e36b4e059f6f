// Recordings of hits: with a sound input chosen in KESTREL.CFG, each hit the hit log
// records gets a recording of what the receiver played, from two seconds before the halt to
// the hit's end, and J plays them back, newest first. With no input chosen none of this
// runs and nothing changes.
#pragma once

#include <string>

#include "runtime/platform/clock.h"

namespace kestrel {

// Reads the recording lines that may follow the five configuration lines in ConfigFile:
// "AudioIn:NAME" and "RecordingsMB:N".
void ReadRecordingSettings();
// With an input chosen: starts the recorder; StopRecordings ends it (the recording being
// written is finished first).
void StartRecordings();
void StopRecordings();
bool RecordingsChosen();
// Waits until the recorder has acted on every mark and written every ended hit (a held hit
// goes on); for tests and measurements only.
void WaitForRecordings();
// After every level poll and key: the input is open while an operation runs; a recording
// that could not be made is said ("failed") once per run.
void FollowRecordings();
// A hit began at `start` (steadyMs on the clock's steady count) on that frequency.
void BeginHitRecording(const platform::LocalTime& start, long long steadyMs,
                       const std::string& frequency);
// The hit ends now: the name of its recording for the hit log, "" when it has none.
std::string EndHitRecording();
// Key J: the next hit further back is said (frequency, how long ago) and played.
void PlayRecordedHit();
// Every key, before it is acted on: a recording still playing stops, and any key but J
// makes the next J start from the newest hit again.
void StopRecordedHit();

}  // namespace kestrel
