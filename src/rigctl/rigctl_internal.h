// Pieces shared by the files of the network control port.
#pragma once

#include <cstdint>
#include <string>

#include "state/rigctl.h"

namespace kestrel::rigctl {

// A search, the receiver's memory scan or a list scan runs: the operator's work is not
// interrupted from outside, so sets are refused.
bool SetsRefusedNow();
// Queues a set; one still waiting of the same kind is replaced, keeping its place.
void QueueRemoteSet(RemoteSetKind kind, const std::string& value, const std::string& request);
// The waiting set of that kind, or nullptr.
const RemoteSet* WaitingSet(RemoteSetKind kind);

// "145.5" -> 145500000; digits after the sixth decimal and anything after a non-digit are
// ignored; "" gives 0.
std::int64_t MegahertzTextToHz(const std::string& text);
// 145500000 -> "145.5", 145000000 -> "145.0", 500000 -> "0.5".
std::string HzToMegahertzText(std::int64_t hz);

}  // namespace kestrel::rigctl
