// Finding the file a sound path names. The program forms paths the way its voice folder was
// first laid out: a backslash between folder and word ("wave\scan"), the word often without
// extension and in any letter case ("wave\FM", "wave\fm.wav"). On a case-sensitive file system
// such a path has to be looked up one component at a time.
#pragma once

#include <string>

namespace kestrel::platform {

// Returns the real relative path ("wave/fm.wav") of the file a sound path names, or "" when
// there is none. A backslash (or slash) separates folders, which are relative to the working
// folder; ".wav" is added to a last component without extension; every component matches
// without regard to letter case (an exact match wins). Paths that could reach outside the
// working folder ("..", ".", an absolute path, an empty component) and components with a
// control or non-ASCII byte find nothing.
std::string ResolveSoundPath(const std::string& path);

}  // namespace kestrel::platform
