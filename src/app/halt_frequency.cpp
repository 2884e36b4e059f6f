// Where a search halted and where the receiver's memory scan stopped: the frequency field of
// a reply ("RF" and ten digits in Hz) turned into the MHz text that is shown and recorded.
#include <algorithm>
#include <string>
#include <string_view>

#include "app/polling_steps.h"
#include "banks/search.h"
#include "controls/controls.h"
#include "link/link.h"
#include "link/receiver_commands.h"
#include "link/replies.h"
#include "operator/hit_log.h"
#include "runtime/text.h"
#include "speech/speech.h"
#include "state/app.h"
#include "state/controls.h"
#include "state/link.h"
#include "state/reset.h"
#include "state/speech.h"

namespace kestrel::polling {
namespace {

// A receiver that keeps answering "RX" without a frequency must not keep the keys waiting:
// after this many answers the halt is given up and the poll goes back to serving keys.
constexpr int kFrequencyQuestionLimit = 5;
// Level polls that must see the memory scan running before it is reported again.
constexpr int kStopHoldoffPolls = 7;
// A level report this short carries a channel but no frequency yet: nudge the scan on.
constexpr int kShortestScanStopReply = 20;

KESTREL_STATE(int, unanswered_questions, 0);  // answers to "RX" without a frequency since the halt

void StripLeadingZeros(Text& text) {
  while (Left(text.str(), 1) == "0") text = Mid(text.str(), 2);
}

void StripTrailingZeros(Text& text) {
  while (Right(text.str(), 1) == "0") text = Left(text.str(), Length(text.str()) - 1);
}

// A halt whose frequency never came is not recorded. SearchActive stays "halted", so the
// next level polls do not ask again for the same halt; the search goes on as after any
// halt (continue mode resumes it, and a running receiver is reported as searching).
void CountUnansweredQuestion() {
  ++unanswered_questions;
  PollState = unanswered_questions >= kFrequencyQuestionLimit ? kServeKeys : kAskFrequency;
}

}  // namespace

void BeginHaltedSearchQuestion() {
  unanswered_questions = 0;
  PollState = kAskFrequency;
}

void AskHaltedSearchFrequency() {
  CommandText = kCommandReport;
  SendCommand();
  PollState = kReadFrequency;
}

// Only a whole ten-digit field is a frequency: a reply cut short would otherwise put a
// wrong frequency into the search list.
void TakeHaltedSearchFrequency() {
  ReadReply();
  const std::string digits = ReplyFrequencyDigits();
  if (Length(digits) < kReplyFrequencyDigits) {
    CountUnansweredQuestion();
    return;
  }
  SpokenText = digits;
  FrequencyText = WithMegahertzPoint(digits);
  StripLeadingZeros(FrequencyText);
  StripTrailingZeros(FrequencyText);
  ShowFrequency();
  RecordSearchHit();
  OpenSearchHit();
  PollState = kServeKeys;
}

// Nothing is read here: ReplyText is still the level reply on which the stop was seen.
void TakeStoppedScanFrequency() {
  PollState = kServeKeys;
  if (Find(ReplyText.str(), kReplyFrequency) == 0) {
    StopHoldoff = kStopHoldoffPolls;
    return;
  }
  if (Length(ReplyText.str()) < kShortestScanStopReply) {
    SendResumeByte();
    ReplyText = "";
    MemoryScanState = kMemoryScanStarted;  // its next report is spoken again
    return;
  }
  FrequencyText = WithMegahertzPoint(ReplyFrequencyDigits());
  StripLeadingZeros(FrequencyText);
  SpokenText = FrequencyText;
  ShowFrequency();
  OpenMemoryScanHit();
  // "stop" only for a stop that follows a reported run, not for a flicker within the hold-off.
  if (ScanVoice == 1 && StopHoldoff == 0) SayWord("stop");
  StopHoldoff = kStopHoldoffPolls;
}

}  // namespace kestrel::polling
