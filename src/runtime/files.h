// Line files: open by name with "R" or "W", read a line (CR, LF or CR LF end it), write a
// line with CR LF, close, delete. Names are relative to the working folder.
#pragma once

#include <string>

#include "runtime/text.h"

namespace kestrel {

// One open file, or none. Owned by whoever opens it; starts closed.
struct FileVariable {
  int handle = -1;  // the platform's descriptor; -1 when closed
  bool IsOpen() const { return handle >= 0; }
};

// "R" (or "r"): read an existing file from its start. "W" (or "w"): read and write, emptied
// or created. Returns 0 on success, 1 on failure (the variable is then left as it was).
int OpenFile(FileVariable& file, const std::string& name, const std::string& mode);
// Reads the next line into destination (cut to 254 characters). Returns 0 when a line,
// possibly empty, was read; -1 at the end of the file (destination "") or when the file is
// closed (destination unchanged).
int ReadLine(FileVariable& file, Text& destination);
// Writes the text and CR LF; returns the bytes written (0 when the file is closed).
int WriteLine(FileVariable& file, const std::string& text);
// Pushes what was written to the disk; returns false when that failed.
bool FlushFile(FileVariable& file);
void CloseFile(FileVariable& file);
// True when no file of that name is left: it was removed, or there was none.
bool DeleteFile(const std::string& name);
// Replaces `to` by `from` in one step, and syncs the folder so that the new name outlasts a
// power cut; returns false when the rename failed.
bool RenameFile(const std::string& from, const std::string& to);
// A name beside `name` for a file written whole and then renamed over it, unique to this
// process and this call: name + "." + process id + "-" + nanoseconds + ".tmp".
std::string TemporaryNameFor(const std::string& name);
// Removes from the working folder every such temporary file (or one of the older form
// name + ".tmp") that a process no longer running left behind, for each name that
// `isOwn` accepts. Only names are removed: no link is followed.
void RemoveStaleTemporaries(bool (*isOwn)(const std::string& name));
// True for a plain file of that name that has other names too (hard links, perhaps outside
// the folder): written in place, it would change under every one of them.
bool HasOtherNames(const std::string& name);
// True for a plain file of that name that is marked read-only (no write permission for
// anyone) or that this user may not write. Links and missing files are not read-only.
bool IsReadOnlyFile(const std::string& name);

}  // namespace kestrel
