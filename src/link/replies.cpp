#include "link/replies.h"

#include <algorithm>

#include "runtime/text.h"
#include "state/link.h"

namespace kestrel {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

bool IsLevelReply() {
  const std::string keyword = Left(ReplyText.str(), 2);
  return keyword == kReplyLevel || keyword == kReplyLevelReport;
}

bool ReplyShowsScanning() { return Mid(ReplyText.str(), 3, 1) == kReplyScanningFlag; }

double ReplyLevelField() { return TextToNumber(Mid(ReplyText.str(), 4, 3)); }

// An asked level carries a flag before its digits (a blank when open); an unasked report
// carries the flag only while the squelch is closed.
int ReplyLevel() {
  const std::string& reply = ReplyText.str();
  if (!IsLevelReply() || ReplyShowsScanning()) return -1;
  const std::string digits = Mid(reply, Mid(reply, 3, 1) == " " ? 4 : 3, 3);
  if (Length(digits) != 3 || !std::all_of(digits.begin(), digits.end(), IsDigit)) return -1;
  return std::min(std::stoi(digits), kHighestLevel);
}

std::string ReplyFrequencyDigits() {
  const int at = Find(ReplyText.str(), kReplyFrequency);
  if (at == 0) return "";
  const std::string field = Mid(ReplyText.str(), at + 2, kReplyFrequencyDigits);
  return std::string(field.begin(), std::find_if_not(field.begin(), field.end(), IsDigit));
}

std::string WithMegahertzPoint(std::string_view digits) {
  return Left(digits, kMegahertzDigits) + "." + Mid(digits, kMegahertzDigits + 1);
}

}  // namespace kestrel
