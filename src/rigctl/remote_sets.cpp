// Sets from the network port wait in RemoteSets and go out on the serial line at the point
// of the poll cycle where a key would be served: one set on one tick, the receiver's answer
// read on the next, as a key and its 0 entry are. Keys always come first.
#include <algorithm>

#include "controls/controls.h"
#include "link/link.h"
#include "link/replies.h"
#include "rigctl/rigctl.h"
#include "rigctl/rigctl_internal.h"
#include "state/app.h"
#include "state/banks.h"
#include "state/commands.h"
#include "state/controls.h"
#include "state/link.h"
#include "state/reset.h"

namespace kestrel {
namespace {

KESTREL_STATE(int, remote_reply_owed, 0);  // 1: the next tick reads the answer to a remote set

// A typed frequency or the argument of a command is under way: a remote set would change
// the text the operator is typing into, so it waits until that entry is done.
bool OperatorEntryUnderWay() {
  return PendingCommand != kNothingPending || FrequencyEntryFresh == 0;
}

void ApplyRemoteSet(const RemoteSet& set) {
  LogLine = "NET= " + set.request;
  WriteTraceLine();
  switch (set.kind) {
    case kRemoteFrequency:
      FrequencyText = set.value;
      SpokenText = FrequencyText;
      TuneVfoAOnStep();
      break;
    case kRemoteMode:
      ModeText = set.value;
      SendModeQuietly();
      break;
  }
}

}  // namespace

namespace rigctl {

bool SetsRefusedNow() {
  return SearchActive > kNoSearch || MemoryScanState > kNoMemoryScan ||
         ListState >= kListScanStarted;
}

void QueueRemoteSet(RemoteSetKind kind, const std::string& value, const std::string& request) {
  for (auto& waiting : RemoteSets) {
    if (waiting.kind == kind) {
      waiting.value = value;
      waiting.request = request;
      return;
    }
  }
  RemoteSets.push_back(RemoteSet{kind, value, request});
}

const RemoteSet* WaitingSet(RemoteSetKind kind) {
  const auto found = std::find_if(RemoteSets.begin(), RemoteSets.end(),
                                  [kind](const RemoteSet& set) { return set.kind == kind; });
  return found == RemoteSets.end() ? nullptr : &*found;
}

std::int64_t MegahertzTextToHz(const std::string& text) {
  std::int64_t hz = 0;
  std::size_t at = 0;
  for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at) {
    hz = hz * 10 + (text[at] - '0');
    if (hz > kHertzPerMegahertz) return 0;  // no receiver frequency has this many megahertz
  }
  hz *= kHertzPerMegahertz;
  if (at >= text.size() || text[at] != '.') return hz;
  std::int64_t weight = kHertzPerMegahertz / 10;
  for (++at; at < text.size() && weight > 0 && text[at] >= '0' && text[at] <= '9'; ++at) {
    hz += (text[at] - '0') * weight;
    weight /= 10;
  }
  return hz;
}

std::string HzToMegahertzText(std::int64_t hz) {
  std::string fraction = std::to_string(hz % kHertzPerMegahertz);
  fraction.insert(0, static_cast<std::size_t>(kHertzDigits) - fraction.size(), '0');
  while (fraction.size() > 1 && fraction.back() == '0') fraction.pop_back();
  return std::to_string(hz / kHertzPerMegahertz) + "." + fraction;
}

}  // namespace rigctl

bool ServeRemoteSet() {
  if (remote_reply_owed == 1) {
    remote_reply_owed = 0;
    ReadReply();
    return true;
  }
  if (RemoteSets.empty()) return false;
  if (rigctl::SetsRefusedNow()) {
    // The operator started a scan before the set's turn came: the scan wins.
    RemoteSets.clear();
    return false;
  }
  if (OperatorEntryUnderWay() || LinkState != kLinkAnswered) return false;
  const RemoteSet set = RemoteSets.front();
  RemoteSets.erase(RemoteSets.begin());
  ApplyRemoteSet(set);
  remote_reply_owed = 1;
  return true;
}

}  // namespace kestrel
