// Starting the receiver's search between the limits, with a fresh search list.
#include "banks/bank_names.h"
#include "banks/bank_table.h"
#include "banks/banks.h"
#include "banks/search.h"
#include "controls/controls.h"
#include "display/display.h"
#include "display/screen_map.h"
#include "link/link.h"
#include "link/receiver_commands.h"
#include "speech/speech.h"
#include "state/banks.h"
#include "state/controls.h"
#include "state/link.h"

namespace kestrel {
namespace {

constexpr const char* kSearchListTitle = "Srchbank";

void Pause() { PlayFixedWord("shdel"); }

void ShowSearchMode() {
  using namespace screen;
  SetColour(kGreen);
  SetFont(kFace, kNormalPoints, kBold);
  MoveTo(kSearchModeLine.x, kSearchModeLine.y);
  Print(kSearchModeText);
}

// The empty list replaces any earlier one at once, as its file does.
void StartSearchList() {
  for (auto& line : ListLines) line = "";
  ListLines[kTitleLine] = kSearchListTitle;
  ListLines[kModeLine] = ModeText;
  ListLines[kStepLine] = StepText;
  ListLines[kReservedLine] = kReservedText;
  ListLines[kFirstEntryLine] = EndMarker;
  ListIndex = kFirstEntryLine - kLinesPerEntry;
  SaveBankFile();
}

// Shown in the colour the frequency field leaves behind.
void ShowSearchLimits() {
  using namespace screen;
  MoveTo(kSearchLimits.x, kSearchLimits.y);
  SetFont(kFace, kLargePoints, kBold);
  Print(SearchStartText + "/" + SearchEndText);
}

}  // namespace

void StartSearch() {
  SearchActive = kSearchRunning;
  FoundCount = 0;
  BankFileName = kSearchListName;
  ShowSearchMode();
  SayWord("srch");
  StartSearchList();
  // The search starts from its start limit: that is the frequency now shown and read out.
  FrequencyText = SearchStartText;
  SpokenText = FrequencyText;
  Pause();
  TuneVfoA();
  SpokenText = SearchEndText;
  Pause();
  TuneVfoB();
  Pause();
  SetStep();
  ShowSearchLimits();
  Pause();
  ApplyMode();
  SayWord("act");
  CommandText = kCommandSearch;
  SendCommand();
}

}  // namespace kestrel
