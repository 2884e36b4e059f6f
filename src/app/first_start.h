// The first start in the user's Kestrel folder: with no KESTREL.CFG there, the panel looks
// for the receiver on the free USB serial adapters itself, as panelset --probe would, and
// writes the set-up it found.
#pragma once

#include <string>

namespace kestrel {

// Writes KESTREL.CFG and the COM1 link for a receiver that answered on device at baud;
// "" when written, otherwise what failed.
using ReceiverSetupWriter = std::string (*)(const std::string& device, int baud);

// Turns the search on for this run, with the routine that writes what it found. The entry
// does so for --user-folder only: a panel started in any other folder keeps to its
// configuration file.
void EnableFirstStartSearch(ReceiverSetupWriter writer);

// With the search on and no configuration file: probes each free adapter with the level
// request, writes the set-up for the first that answers and shows so. True when
// KESTREL.CFG was written.
bool FindReceiverAtFirstStart();

// Writes what the search did into the trace, which starts after the configuration is read.
void TraceFirstStart();

// After the missing configuration was reported: with the search on, says "rnf" and shows
// the panelset command that sets the receiver up by hand. The program's exit code: 1 when
// the search found nothing, 0 without a search.
int ReportReceiverNotFound();

}  // namespace kestrel
