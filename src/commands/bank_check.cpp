// The bank check ("Z"): every bank pair A to J of the receiver should give its upper bank
// 90 channels; a bank that reports another split is set to 90 and the receiver, which
// rearranges its memory meanwhile, is waited for. A receiver that stays silent is given up
// after a bounded number of queries and waiting rounds.
#include "commands/commands.h"
#include "commands/commands_internal.h"
#include "link/link.h"
#include "link/port.h"
#include "link/receiver_commands.h"
#include "runtime/text.h"
#include "speech/speech.h"
#include "state/bank_letters.h"
#include "state/link.h"
#include "state/reset.h"

namespace kestrel {
namespace {

constexpr int kMaxQueriesPerBank = 10;
constexpr int kMaxWaitRounds = 4;
constexpr int kPausesPerRound = 100;
constexpr int kPausesPerBeep = 25;  // a beep every 25 pauses tells the operator it waits
constexpr int kSplitOffset = 5;     // the upper bank's size starts 5 characters after "MW"

KESTREL_STATE(char, bank_under_check, kFirstBank);

// Asks for the bank's split until a "MW" answer comes. Its position in ReplyText, or 0
// when the receiver gave none to any of the queries.
int QueryBankSplit(char bank) {
  for (int query = 1; query <= kMaxQueriesPerBank; ++query) {
    if (query > 1) command_parts::Pause();
    CommandText = std::string(kCommandBankSplit) + bank;
    SendCommand();
    command_parts::Pause();
    ReadReply();
    const int at = Find(ReplyText, kCommandBankSplit);
    if (at > 0) return at;
  }
  return 0;
}

// Waits in rounds of pauses, with beeps, until the receiver sends anything. The bytes stay
// waiting for the next read. False when it stayed silent through every round.
bool WaitForReceiver() {
  for (int round = 1; round <= kMaxWaitRounds; ++round) {
    for (int pause = 1; pause <= kPausesPerRound; ++pause) {
      command_parts::Pause();
      if (pause % kPausesPerBeep == 0) PlayFixedWord("beep");
    }
    ReplyText = "";
    BytesWaiting = PortBytesWaiting(PortNumber);
    if (BytesWaiting != 0) return true;
  }
  return false;
}

// Sets the bank's split to 90 and waits for the receiver. False when it never answered
// ("rnc" has been said).
bool FixSplitOf(char bank) {
  command_parts::Pause();
  SayWord(std::string(1, bank));
  CommandText = std::string(kCommandBankSplit) + bank + kBankSplitWanted;
  SendCommand();
  command_parts::Pause();
  ReadReply();
  if (WaitForReceiver()) return true;
  SayWord("rnc");
  return false;
}

}  // namespace

void FixBankSetting() { FixSplitOf(bank_under_check); }

namespace command_parts {

void CheckBankSettings() {
  SayWord("ckconfig");
  for (char bank = kFirstBank; bank <= kLastBank; ++bank) {
    bank_under_check = bank;
    const int at = QueryBankSplit(bank);
    if (at == 0) {
      SayWord("rnc");  // the receiver does not answer: the check ends without "ok"
      return;
    }
    if (Mid(ReplyText, at + kSplitOffset, 2) != kBankSplitWanted && !FixSplitOf(bank)) return;
  }
  SayWord("ok");
}

}  // namespace command_parts
}  // namespace kestrel
