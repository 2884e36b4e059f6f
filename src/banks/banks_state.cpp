#include "banks/banks_state.h"

namespace kestrel {

Text ListLines[kListSize];
int ListLast = 0;
int ListIndex = 0;
Text BankFileName;
Text MergeLines[kListSize];
FileVariable BankFile;

int SearchActive = 0;
int FoundCount = 0;
Text SearchStartText;
Text SearchEndText;

void ResetBanksState() {
  for (auto& line : ListLines) line = "";
  for (auto& line : MergeLines) line = "";
  ListLast = 0;
  ListIndex = 0;
  BankFileName = "";
  CloseFile(BankFile);
  SearchActive = 0;
  FoundCount = 0;
  SearchStartText = "";
  SearchEndText = "";
}

}  // namespace kestrel
