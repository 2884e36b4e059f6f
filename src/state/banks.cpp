// The program-wide variables of banks/ with their start values.
#include "state/banks.h"

#include "state/reset.h"

namespace kestrel {

KESTREL_STATE_ARRAY(Text, ListLines, kListSize);
KESTREL_STATE(int, ListLast, 0);
KESTREL_STATE(int, ListIndex, 0);
KESTREL_STATE(Text, BankFileName);
KESTREL_STATE_ARRAY(Text, MergeLines, kListSize);
KESTREL_STATE(FileVariable, BankFile);

KESTREL_STATE(SearchStep, SearchActive, kNoSearch);
KESTREL_STATE(int, FoundCount, 0);
KESTREL_STATE(Text, SearchStartText);
KESTREL_STATE(Text, SearchEndText);
KESTREL_STATE(int, SearchListUnsaved, 0);

}  // namespace kestrel
