// Bank files: a table of lines in ListLines, through the first end marker, in a text file.
#include <string>

#include "banks/bank_names.h"
#include "banks/bank_table.h"
#include "banks/banks.h"
#include "speech/speech.h"
#include "state/banks.h"

namespace kestrel {
namespace {

// The end marker stands where a frequency line would: on an even line from 4 on. A "9999"
// anywhere else (a label, a header line) is ordinary text of the bank; taken as the end, it
// would leave the bank's entries a line out of step, and a sort would move the marker away.
bool IsEndMarkerLine(int i) {
  return i >= kFirstEntryLine && i % kLinesPerEntry == 0 && ListLines[i] == EndMarker;
}

// A file read without an end marker (cut short, or edited by hand) keeps every line it
// had: the marker goes on the line after the entry that holds its last non-empty line.
// Its 400 lines reach up to line 399, so the marker may stand on line 400, which the table
// still has room for and which the next save writes.
void PlaceMissingEndMarker() {
  int marker = kFirstEntryLine;
  for (int i = kListFileLines - 1; i >= kFirstEntryLine; --i) {
    if (!ListLines[i].empty()) {
      marker = i - i % kLinesPerEntry + kLinesPerEntry;
      break;
    }
  }
  ListLines[marker] = EndMarker;
  ListLast = marker - kLinesPerEntry;
  ListIndex = ListLast;
}

// The table's lines up to its first end marker; 400 lines when it has none.
int LastLineToSave() {
  const int marker = FindEndMarker();
  return marker != 0 ? marker : kListFileLines - 1;
}

bool WriteTable(FileVariable& file) {
  const int last = LastLineToSave();
  for (int i = 0; i <= last; ++i) {
    const std::string& line = ListLines[i].str();
    if (WriteLine(file, line) != static_cast<int>(line.size()) + 2) return false;
  }
  return true;
}

}  // namespace

int LoadBankFile() {
  if (!IsSafeBankFileName(BankFileName) || OpenFile(BankFile, BankFileName, "R") != 0) {
    SayWord("bnf");
    return 1;
  }
  for (auto& line : ListLines) line = "";
  bool marked = false;
  for (int i = 0; i < kListFileLines && !marked; ++i) {
    ReadLine(BankFile, ListLines[i]);
    if (IsEndMarkerLine(i)) {
      ListLast = i - kLinesPerEntry;
      ListIndex = ListLast;
      marked = true;
    }
  }
  CloseFile(BankFile);
  if (!marked) PlaceMissingEndMarker();
  return 0;
}

int LoadBankFileNamed(const std::string& name) {
  const Text loadedName = BankFileName;
  BankFileName = name;
  const int result = LoadBankFile();
  if (result != 0) BankFileName = loadedName;
  return result;
}

void RemoveStaleBankTemporaries() {
  RemoveStaleTemporaries([](const std::string& name) { return IsSafeBankFileName(name); });
}

// The bank is written whole to a file beside it and only then renamed over it, so a crash
// or a full disk half way leaves the old bank as it was.
int SaveBankFile() {
  const std::string name = BankFileName;
  if (!IsSafeBankFileName(name)) return 1;
  // The rename would replace a bank marked read-only as readily as any other: such a bank
  // is left as it is, as if it could not be opened for writing.
  if (IsReadOnlyFile(name)) return 1;
  // A name of its own for every save, so two panels in one folder never share one.
  const std::string temporary = TemporaryNameFor(name);
  if (OpenFile(BankFile, temporary, "W") != 0) return 1;
  const bool written = WriteTable(BankFile) && FlushFile(BankFile);
  CloseFile(BankFile);
  if (written && RenameFile(temporary, name)) return 0;
  DeleteFile(temporary);
  return 1;
}

}  // namespace kestrel
