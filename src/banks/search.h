// Search mode: the receiver sweeps between the limits and every halt is recorded.
#pragma once

namespace kestrel {

void StartSearch();
void RecordSearchHit();   // records FrequencyText in the search list
void ClearSearchLines();  // blanks the lower part of the panel
// Ends a search (the Enter key): the lines cleared; with a search active, the list saved,
// its count spoken ("failed" after it when the list could not be saved: SearchListUnsaved
// is then 1) and the scans ended; SearchActive kNoSearch.
void EndSearch();
// A search still running when the program ends keeps its finds: the search list is saved
// to its file, without a word (SearchListUnsaved 1 when it could not be).
void SaveRunningSearch();

}  // namespace kestrel
