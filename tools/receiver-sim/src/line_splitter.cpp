#include "line_splitter.h"

namespace kestrel::sim {

std::vector<Received> LineSplitter::Feed(std::string_view bytes) {
  std::vector<Received> done;
  for (const char c : bytes) {
    if (c == '\n') continue;
    if (c == kUpByte) {
      done.push_back({Received::Kind::kUp, "\x1e"});
      afterUp_ = true;
      continue;
    }
    if (c == '\r') {
      const bool upTerminator = afterUp_ && pending_.empty() && !tooLong_;
      afterUp_ = false;
      if (upTerminator) continue;
      done.push_back({tooLong_ ? Received::Kind::kTooLong : Received::Kind::kCommand, pending_});
      pending_.clear();
      tooLong_ = false;
      continue;
    }
    afterUp_ = false;
    if (pending_.size() < kLongestCommand) {
      pending_ += c;
    } else {
      tooLong_ = true;
    }
  }
  return done;
}

}  // namespace kestrel::sim
