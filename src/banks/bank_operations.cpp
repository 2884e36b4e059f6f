// The bank commands that add to a bank (put, transfer) and sort one.
#include <string>
#include <string_view>
#include <utility>

#include "banks/bank_names.h"
#include "banks/banks.h"
#include "speech/speech.h"
#include "state/banks.h"
#include "state/commands.h"
#include "state/controls.h"

namespace kestrel {
namespace {

// A bank holds at most 91 entries: its end marker stands on line 186 at the latest.
constexpr int kLastMarkerLine = 186;
// A transfer copies lines 0..186 of its source.
constexpr int kCopiedLines = kLastMarkerLine + 1;
constexpr const char* kReservedLine = " ";
constexpr const char* kBlankLabel = " ";
// What a repeated entry is blanked to before the gaps are closed.
constexpr const char* kRemovedEntry = " ";

bool IsEndMarker(const Text& line) { return line == EndMarker; }

// An argument of four characters names source and target; two name the target only.
std::string TargetKey() {
  const std::string& argument = ArgumentText.str();
  return Length(argument) == 4 ? Mid(argument, 3, 2) : Left(argument, 2);
}
std::string SourceKey() {
  const std::string& argument = ArgumentText.str();
  return Length(argument) == 4 ? Left(argument, 2) : "00";
}

void ClearLines(Text (&lines)[kListSize]) {
  for (auto& line : lines) line = "";
}

// A missing bank (its load has said "bnf") is made in ListLines without entries and saved
// at once; the operator hears "create" and the first two characters of spokenKey. The
// result is that of the save.
int CreateBank(std::string_view spokenKey, const Text& mode, const Text& step,
                const Text& reserved) {
  SayWord("create");
  SayWord(Mid(spokenKey, 1, 1));
  SayWord(Mid(spokenKey, 2, 1));
  ClearLines(ListLines);
  ListLines[0] = kBankNamePrefix + ArgumentText;
  ListLines[1] = mode;
  ListLines[2] = step;
  ListLines[3] = reserved;
  ListLines[kFirstEntryLine] = EndMarker;
  ListLast = kFirstEntryLine - 2;
  ListIndex = ListLast;
  return SaveBankFile();
}

// The even line from 4 to 186 that holds the end marker; 0 when there is none.
int FindMergeEnd() {
  for (int i = kFirstEntryLine; i <= kLastMarkerLine; i += 2) {
    if (IsEndMarker(ListLines[i])) return i;
  }
  return 0;
}

bool BankHolds(const Text& frequency, int end) {
  for (int j = kFirstEntryLine; j < end; j += 2) {
    if (ListLines[j] == frequency) return true;
  }
  return false;
}

struct MergeOutcome {
  bool added = false;
  bool full = false;  // an entry found no room
};

// Appends, in order, the entries of MergeLines that the bank does not hold. MergeLines
// ends at its end marker or, for a source copied without one, at line 185, the last entry
// whose two lines were copied. The bank takes entries while its marker stays on line 186
// at the latest.
MergeOutcome AppendNewEntries(int end) {
  MergeOutcome outcome;
  for (int k = kFirstEntryLine; k < kLastMarkerLine && !IsEndMarker(MergeLines[k]); k += 2) {
    if (BankHolds(MergeLines[k], end)) continue;
    if (end >= kLastMarkerLine) {
      outcome.full = true;
      break;
    }
    ListLines[end] = MergeLines[k];
    ListLines[end + 1] = MergeLines[k + 1];
    ListLines[end + 2] = EndMarker;
    end += 2;
    outcome.added = true;
  }
  ListLast = end - 2;
  return outcome;
}

// --- sorting ---

void SwapEntries(int i) {
  std::swap(ListLines[i], ListLines[i + 2]);
  std::swap(ListLines[i + 1], ListLines[i + 3]);
}

// Passes until one swaps nothing. Equal values never swap, so they keep their order, and
// only entries before the end marker take part, so the marker never moves.
void SortEntries() {
  bool swapped = true;
  while (swapped) {
    swapped = false;
    for (int i = kFirstEntryLine; i <= kListFileLines - 2; i += 2) {
      if (IsEndMarker(ListLines[i]) || IsEndMarker(ListLines[i + 2])) break;
      if (TextToNumber(ListLines[i].str()) > TextToNumber(ListLines[i + 2].str())) {
        SwapEntries(i);
        swapped = true;
      }
    }
  }
}

// An entry written exactly like the one before it is blanked. The blank then stands in
// the next comparison, so of three equal entries two remain; 145.5 and 145.50 both remain.
void MarkRepeats() {
  for (int i = kFirstEntryLine; i < kListFileLines; i += 2) {
    if (IsEndMarker(ListLines[i])) break;
    if (ListLines[i] == ListLines[i + 2]) {
      ListLines[i + 2] = kRemovedEntry;
      ListLines[i + 3] = kRemovedEntry;
    }
  }
}

// Moves every entry after line i, the end marker included, one entry down.
void RemoveEntry(int i) {
  for (int j = i; j < kListSize - 2; j += 2) {
    ListLines[j] = ListLines[j + 2];
    ListLines[j + 1] = ListLines[j + 3];
    if (IsEndMarker(ListLines[j])) {
      ListLines[j + 2] = "";
      return;
    }
  }
  ListLines[kListSize - 2] = "";
  ListLines[kListSize - 1] = "";
}

// Removes the blanked entries; two blanks in a row go as well as one.
void CloseGaps() {
  for (int i = kFirstEntryLine; i < kListFileLines; i += 2) {
    if (IsEndMarker(ListLines[i])) break;
    while (ListLines[i] == kRemovedEntry) RemoveEntry(i);
  }
}

void UpdateListLast() {
  for (int i = kFirstEntryLine; i < kListSize; i += 2) {
    if (IsEndMarker(ListLines[i])) {
      ListLast = i - 2;
      return;
    }
  }
}

}  // namespace

void PutFrequency() {
  ClearLines(MergeLines);
  MergeLines[1] = ModeText;
  MergeLines[2] = StepText;
  MergeLines[3] = kReservedLine;
  MergeLines[kFirstEntryLine] = FrequencyText;
  MergeLines[kFirstEntryLine + 1] = kBlankLabel;
  MergeLines[kFirstEntryLine + 2] = EndMarker;
  MergeIntoBank();
}

void TransferBank() {
  BankFileName = BankFileNameOf(SourceKey());
  if (LoadBankFile() != 0) {
    if (!IsSafeBankFileName(BankFileName)) return;  // names no bank: nothing is made
    // The operator hears the characters typed, also when the source is the search list.
    if (CreateBank(ArgumentText, ModeText, StepText, kReservedLine) != 0) {
      SayWord("failed");
      return;
    }
  }
  ClearLines(MergeLines);
  for (int i = 0; i < kCopiedLines; ++i) MergeLines[i] = ListLines[i];
  MergeIntoBank();
}

void MergeIntoBank() {
  BankFileName = BankFileNameOf(TargetKey());
  if (LoadBankFile() != 0) {
    if (!IsSafeBankFileName(BankFileName)) return;
    CreateBank(Mid(BankFileName, 5, 2), MergeLines[1], MergeLines[2], MergeLines[3]);
  }
  if (!(ListLines[1] == MergeLines[1])) {
    SayWord("incmode");
    return;
  }
  const int end = FindMergeEnd();
  if (end == 0) {
    SayWord("n");  // full, or its marker lies beyond the bank's limit: left as it is
    return;
  }
  const MergeOutcome outcome = AppendNewEntries(end);
  if (outcome.full && !outcome.added) {
    SayWord("n");
    return;
  }
  if (SaveBankFile() != 0) {
    SayWord("failed");
    return;
  }
  SayWord(outcome.full ? "n" : "ok");
}

void SortBankFile() {
  // A bank that cannot be read leaves the bank loaded before, and its name, as they were.
  if (LoadBankFileNamed(BankFileNameOf(ArgumentText)) != 0) return;
  SortEntries();
  MarkRepeats();
  CloseGaps();
  UpdateListLast();
  // The repeats are gone: a browse position past the new end would name no entry.
  if (ListIndex > ListLast) ListIndex = ListLast;
  SayWord(SaveBankFile() == 0 ? "ok" : "failed");
}

}  // namespace kestrel
