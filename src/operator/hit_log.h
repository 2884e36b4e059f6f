// The hit log: every signal the receiver halted on (a search halt, a memory-scan stop, a
// list-scan stop) becomes one line of hits.csv once the signal ends, the operation ends or
// the program shuts down.
#pragma once

#include <string>

#include "runtime/platform/clock.h"

namespace kestrel {

// After a level reply was read, before the supervision: the time and level of this poll.
void NoteLevelReply();
// The receiver halted: the search on FrequencyText, the memory scan on the channel of the
// kept level report, the list scan on an entry with this label.
void OpenSearchHit();
void OpenMemoryScanHit();
void OpenListScanHit(const std::string& label);
// After every level poll and every key: the held hit is closed once its operation no longer
// holds on the signal (it runs on, went on, or ended).
void FollowHeldHit();
// Writes the held hit's line, if a hit is held: at the end of an operation, when the link to
// the receiver is lost, at shutdown.
void CloseHeldHit();
void ResetHitLog();

namespace hit_log {

inline constexpr const char* kFileName = "hits.csv";

// One line of the file.
struct HitLine {
  platform::LocalTime start, end;
  long long durationMs = 0;
  std::string frequency;  // MHz as shown, no padding zeros
  std::string mode;
  int levelRaw = 0;      // highest level 0..255 while held
  std::string sReading;  // "S5", "S9+"
  std::string source;    // "search", "memory scan A05", "list scan 05"
  std::string label;
  std::string recording;  // the hit's recording, when a sound input is chosen
};

// Appends the line (the header first into a new or empty file; after a torn last line, on
// a line of its own), its "hits" counted from the file as it is now. A file grown past
// 50 MB is first renamed with today's date (hits-20261207.csv) and a new one begun. False
// when the file could not be written, or has other names (hard links) than its own.
bool AppendHitLine(const HitLine& line);
// "0145.500000" -> "145.5"; ".5" -> "0.5"; "145." -> "145".
std::string ShownFrequency(const std::string& text);

}  // namespace hit_log
}  // namespace kestrel
