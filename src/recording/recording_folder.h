// The recordings folder: one Ogg Opus file per hit, named by the hit's start and frequency
// ("20261207-031204_145.2500.opus"), so the names sort by time. The folder is kept within a
// size by removing the oldest recordings first.
#pragma once

#include <string>
#include <vector>

#include "runtime/platform/clock.h"

namespace kestrel::recording {

inline constexpr const char* kFolderName = "recordings";

struct RecordingEntry {
  std::string name;
  platform::LocalTime start;
  std::string frequency;  // MHz as in the name: "145.2500"
  long long bytes = 0;
};

// The name of a hit's recording: local start time, the frequency with at least four decimals.
std::string RecordingName(const platform::LocalTime& start, const std::string& frequencyMhz);
// Makes the folder when missing and opens it; -1 when it is a link or no folder.
int OpenFolder(bool make);
// The recordings (plain files with a recording's name) in the open folder, oldest first.
std::vector<RecordingEntry> ListRecordings(int folder);
// Removes the oldest recordings until the folder holds at most capBytes of them.
void KeepWithin(int folder, long long capBytes);

}  // namespace kestrel::recording
