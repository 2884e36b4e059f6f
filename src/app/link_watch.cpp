// The receiver link watched on every tick: a lost link ends what ran unattended, and only
// keys are served until the link is back; then the receiver is given the panel's state.
#include "app/app.h"
#include "app/polling_steps.h"
#include "banks/search.h"
#include "controls/controls.h"
#include "link/link_recovery.h"
#include "operator/hit_log.h"
#include "state/app.h"
#include "state/banks.h"
#include "state/commands.h"
#include "state/controls.h"
#include "state/link.h"

namespace kestrel {
namespace {

// A search keeps its finds (saved, counted aloud); the scans simply end. The operator
// starts them again once the receiver is back.
void EndUnattendedOperations() {
  CloseHeldHit();
  if (SearchActive > kNoSearch) EndSearch();
  MemoryScanState = kNoMemoryScan;
  StopHoldoff = 0;
  if (ListState > kListBrowsing) ListState = kNoList;
  PollState = kServeKeys;
}

// The state start-up gives the receiver: frequency, mode, step, attenuator. A frequency
// being typed is left to its Enter.
void ResendPanelState() {
  if (FrequencyEntryFresh == 1 && IsFrequencyText(FrequencyText)) {
    SpokenText = FrequencyText;
    TuneVfoA();
  }
  SendModeCommand();
  SetStep();
  SendAttenuatorCommand();
}

}  // namespace

bool WatchReceiverLink() {
  if (LinkCondition == kLinkWorking) {
    if (!NoticeLostLink()) return true;
    EndUnattendedOperations();
    ShowLostLink();
  }
  if (TakeBackLink()) {
    ResendPanelState();
    PollState = kServeKeys;
    return true;
  }
  // The answer to the reopened port's level request is left for the recovery to read.
  if (LinkCondition == kLinkReopened) return false;
  PollState = kServeKeys;  // nothing is asked of a lost receiver
  return true;
}

}  // namespace kestrel
