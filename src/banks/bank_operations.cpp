// The bank commands that add to a bank (put, transfer) and sort one.
#include <string>
#include <string_view>
#include <utility>

#include "banks/bank_names.h"
#include "banks/bank_table.h"
#include "banks/banks.h"
#include "speech/speech.h"
#include "state/banks.h"
#include "state/commands.h"
#include "state/controls.h"

namespace kestrel {
namespace {

// A transfer copies lines 0..186 of its source: as far as its end marker may stand.
constexpr int kCopiedLines = kLastMarkerLine + 1;
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
  ListLines[kTitleLine] = kBankNamePrefix + ArgumentText;
  ListLines[kModeLine] = mode;
  ListLines[kStepLine] = step;
  ListLines[kReservedLine] = reserved;
  ListLines[kFirstEntryLine] = EndMarker;
  ListLast = kFirstEntryLine - kLinesPerEntry;
  ListIndex = ListLast;
  return SaveBankFile();
}

bool BankHolds(const Text& frequency, int end) {
  for (int j = kFirstEntryLine; j < end; j += kLinesPerEntry) {
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
  for (int k = kFirstEntryLine; k < kLastMarkerLine && !IsEndMarker(MergeLines[k]);
       k += kLinesPerEntry) {
    if (BankHolds(MergeLines[k], end)) continue;
    if (end >= kLastMarkerLine) {
      outcome.full = true;
      break;
    }
    ListLines[end] = MergeLines[k];
    ListLines[end + 1] = MergeLines[k + 1];
    ListLines[end + kLinesPerEntry] = EndMarker;
    end += kLinesPerEntry;
    outcome.added = true;
  }
  ListLast = end - kLinesPerEntry;
  return outcome;
}

// --- sorting ---

void SwapEntries(int i) {
  std::swap(ListLines[i], ListLines[i + kLinesPerEntry]);
  std::swap(ListLines[i + 1], ListLines[i + kLinesPerEntry + 1]);
}

// Passes until one swaps nothing. Equal values never swap, so they keep their order, and
// only entries before the end marker take part, so the marker never moves.
void SortEntries() {
  bool swapped = true;
  while (swapped) {
    swapped = false;
    for (int i = kFirstEntryLine; i <= kListFileLines - kLinesPerEntry; i += kLinesPerEntry) {
      const int next = i + kLinesPerEntry;
      if (IsEndMarker(ListLines[i]) || IsEndMarker(ListLines[next])) break;
      if (TextToNumber(ListLines[i].str()) > TextToNumber(ListLines[next].str())) {
        SwapEntries(i);
        swapped = true;
      }
    }
  }
}

// An entry written exactly like the one before it is blanked. The blank then stands in
// the next comparison, so of three equal entries two remain; 145.5 and 145.50 both remain.
void MarkRepeats() {
  for (int i = kFirstEntryLine; i < kListFileLines; i += kLinesPerEntry) {
    if (IsEndMarker(ListLines[i])) break;
    const int next = i + kLinesPerEntry;
    if (ListLines[i] == ListLines[next]) {
      ListLines[next] = kRemovedEntry;
      ListLines[next + 1] = kRemovedEntry;
    }
  }
}

// Removes the blanked entries; two blanks in a row go as well as one.
void CloseGaps() {
  for (int i = kFirstEntryLine; i < kListFileLines; i += kLinesPerEntry) {
    if (IsEndMarker(ListLines[i])) break;
    while (ListLines[i] == kRemovedEntry) RemoveListEntry(i);
  }
}

void UpdateListLast() {
  const int marker = FindEndMarker();
  if (marker != 0) ListLast = marker - kLinesPerEntry;
}

}  // namespace

void PutFrequency() {
  ClearLines(MergeLines);
  MergeLines[kModeLine] = ModeText;
  MergeLines[kStepLine] = StepText;
  MergeLines[kReservedLine] = kReservedText;
  MergeLines[kFirstEntryLine] = FrequencyText;
  MergeLines[kFirstEntryLine + 1] = kBlankLabel;
  MergeLines[kFirstEntryLine + kLinesPerEntry] = EndMarker;
  MergeIntoBank();
}

void TransferBank() {
  BankFileName = BankFileNameOf(SourceKey());
  if (LoadBankFile() != 0) {
    if (!IsSafeBankFileName(BankFileName)) return;  // names no bank: nothing is made
    // The operator hears the characters typed, also when the source is the search list.
    if (CreateBank(ArgumentText, ModeText, StepText, kReservedText) != 0) {
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
    CreateBank(BankNumberOf(BankFileName.str()), MergeLines[kModeLine], MergeLines[kStepLine],
               MergeLines[kReservedLine]);
  }
  if (!(ListLines[kModeLine] == MergeLines[kModeLine])) {
    SayWord("incmode");
    return;
  }
  const int end = FindEndMarker(kLastMarkerLine);
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
