// The diagnostic journal: when KESTREL_JOURNAL names a file, one line per platform event
// (sound played, text drawn, bytes on the serial line, keys, close), tab-separated, the first
// field milliseconds since start. Without the variable nothing is written.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

namespace kestrel {

// Opens the journal named by KESTREL_JOURNAL, if any. Called once at start; later calls
// change nothing.
void OpenJournalFromEnvironment();
// Opens (appends to) the given file instead; an empty path closes the journal.
void OpenJournal(const std::string& path);
void CloseJournal();
bool JournalActive();

// Writes one line: the milliseconds field, then the given fields, each escaped.
void WriteJournal(std::initializer_list<std::string_view> fields);

// \t \r \n \\ and \xHH for other control and non-ASCII bytes.
std::string EscapeForJournal(std::string_view bytes);

}  // namespace kestrel
