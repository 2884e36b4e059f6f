// Finding the file a sound path names. The program forms paths the way its voice folder was
// first laid out: a backslash between folder and word ("wave\scan"), the word often without
// extension and in any letter case ("wave\FM", "wave\fm.wav"). On a case-sensitive file system
// such a path has to be looked up one component at a time.
#pragma once

#include <string>
#include <vector>

namespace kestrel::platform {

// Returns the real relative path ("wave/fm.wav") of the file a sound path names, or "" when
// there is none. A backslash (or slash) separates folders, which are relative to the working
// folder; ".wav" is added to a last component without extension; every component matches
// without regard to letter case (an exact match wins). Paths that could reach outside the
// working folder ("..", ".", an absolute path, an empty component) and components with a
// control or non-ASCII byte find nothing.
std::string ResolveSoundPath(const std::string& path);

// The same, and a word of the voice folder ("wave\scan") that the working folder's wave/
// lacks is looked for in each of voiceFolders in turn (absolute paths, searched under the
// same rules); the first that holds it gives the path played.
std::string ResolveSoundPath(const std::string& path, const std::vector<std::string>& voiceFolders);

// Where the voice set may be found besides the working folder, as the environment tells.
struct VoicePlaces {
  std::string dataHome;          // $XDG_DATA_HOME ("" or relative: $HOME/.local/share)
  std::string home;              // $HOME
  std::string dataDirs;          // $XDG_DATA_DIRS ("": /usr/local/share:/usr/share)
  std::string installedData;     // the data folder the program was installed with
  std::string executableFolder;  // the folder of the running program
};

// The voice folders in search order: $XDG_DATA_HOME/kestrel/wave, each data folder's
// kestrel/wave, the installed kestrel/wave, and ../share/kestrel/wave beside the program.
// Relative entries are left out (the XDG rule), and each folder is named once.
std::vector<std::string> VoiceFolders(const VoicePlaces& places);

}  // namespace kestrel::platform
