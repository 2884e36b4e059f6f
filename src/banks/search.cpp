// The search list: every halt of the receiver's search recorded once, counted aloud.
#include "banks/search.h"

#include <cstdint>
#include <cstdio>

#include "banks/bank_names.h"
#include "banks/bank_table.h"
#include "banks/banks.h"
#include "display/display.h"
#include "display/screen_map.h"
#include "link/link.h"
#include "speech/announcements.h"
#include "speech/speech.h"
#include "state/app.h"
#include "state/banks.h"
#include "state/commands.h"
#include "state/controls.h"
#include "state/link.h"

namespace kestrel {
namespace {

constexpr int kMostFinds = kMostEntries;  // the list is a bank
constexpr const char* kFoundText = "Found";

struct Blanking {
  screen::Place place;
  int blanks;
};

constexpr Blanking kLowerLines[] = {{screen::kLowerClear1, 40},
                                    {screen::kLowerClear2, 80},
                                    {screen::kLowerClear3, 40},
                                    {screen::kLowerClear4, 40}};

// The count as one or two digit words, tens first: 12 is "1", "2"; 0 is "0".
void SayFoundCount() {
  BeginPhrase();
  const int tens = FoundCount / 10;
  const int units = FoundCount - 10 * tens;
  if (FoundCount > 9) SayWord(CharOf('0' + tens));
  SayWord(CharOf('0' + units));
}

void ShowFoundCount() {
  using namespace screen;
  MoveTo(kFoundWord.x, kFoundWord.y);
  SetFont(kFace, kNormalPoints, kBold);
  SetColour(kRed);
  Print(kFoundText);
  MoveTo(kFoundCount.x, kFoundCount.y);
  Print(static_cast<std::int32_t>(FoundCount));
  SetColour(kBlack);
}

// Line i held the end marker: the find takes its place, with a blank label.
void AddFind(int i) {
  ListLines[i] = FrequencyText;
  ListLines[i + 1] = kBlankLabel;
  ListLines[i + kLinesPerEntry] = EndMarker;
  ++FoundCount;
  if (StopMode != 0) return;  // in stop mode finds are kept silently
  ShowFoundCount();
  SayFoundCount();
}

// 0 when the search list is in its file; otherwise 1, and the failure is in the trace and
// on standard error whether or not a word can say it.
int SaveSearchList() {
  BankFileName = kSearchListName;
  if (SaveBankFile() == 0) return 0;
  LogLine = "search list not saved: " + BankFileName;
  WriteTraceLine();
  std::fprintf(stderr, "kestrel: search list not saved: %s could not be written\n",
               kSearchListName);
  return 1;
}

}  // namespace

void RecordSearchHit() {
  for (int i = kFirstEntryLine; i < kListFileLines - 1; i += kLinesPerEntry) {
    if (ListLines[i] == FrequencyText || FoundCount >= kMostFinds) break;
    if (ListLines[i] == EndMarker) {
      AddFind(i);
      break;
    }
  }
  if (FoundCount >= kMostFinds) SayWord("bf");
}

void ClearSearchLines() {
  SetFont(screen::kFace, screen::kClearPoints, screen::kBold);
  for (const auto& line : kLowerLines) {
    MoveTo(line.place.x, line.place.y);
    Print(Spaces(line.blanks));
  }
}

void EndSearch() {
  ClearSearchLines();
  SearchListUnsaved = 0;
  if (SearchActive > kNoSearch) {
    SearchListUnsaved = SaveSearchList();
    SayFoundCount();
    if (SearchListUnsaved == 1) SayWord("failed");
    MemoryScanState = kNoMemoryScan;
    ListState = kNoList;
  }
  SearchActive = kNoSearch;
}

void SaveRunningSearch() {
  if (SearchActive == kNoSearch) return;
  SearchListUnsaved = SaveSearchList();
}

}  // namespace kestrel
