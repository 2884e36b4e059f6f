// Output that never waits: the text line goes to standard output, which may be a terminal
// whose output is paused, a pipe nobody reads or a closed one.
#pragma once

#include <string_view>

namespace kestrel {

// A descriptor writing to the same place as fd whose writes never wait (fd itself for a
// plain file, which never makes a writer wait); -1 when there is none.
int OutputWithoutWaiting(int fd);
// Writes the bytes at once or not at all: false when the output did not take them whole
// (what it took of a line is all that is written of it).
bool WriteWithoutWaiting(int fd, std::string_view bytes);

}  // namespace kestrel
