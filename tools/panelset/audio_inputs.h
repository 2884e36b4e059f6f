// panelset's side of the recordings of hits: the sound input the receiver's audio comes in
// on, the recordings folder's size, and the list of inputs.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace kestrel::panelset {

struct Settings;

// The recording lines that follow the five others: none unless an input or a size is set.
std::vector<std::string> RecordingLines(const Settings& settings);
// Takes the recording lines from the lines of an existing KESTREL.CFG after the fifth.
void ReadRecordingLines(const std::vector<std::string>& lines, Settings& settings);
std::string ReadAudioInput(const std::string& value, Settings& settings);
std::string ReadRecordingsMb(const std::string& value, Settings& settings);
// Lists the sound inputs; the exit code.
int ListAudioInputs(std::ostream& out);
// A chosen input that the sound system does not offer now: a warning.
void WarnAboutAudioInput(const Settings& settings, std::ostream& err);

}  // namespace kestrel::panelset
