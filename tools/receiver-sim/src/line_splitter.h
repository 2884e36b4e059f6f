// Cuts the bytes the panel sends into commands: text up to a CR, LF ignored, and the up byte
// 0x1E as a command of its own wherever it stands.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kestrel::sim {

inline constexpr char kUpByte = 0x1e;
inline constexpr std::size_t kLongestCommand = 256;

struct Received {
  enum class Kind { kCommand, kUp, kTooLong };
  Kind kind = Kind::kCommand;
  std::string text;  // without its CR; for kTooLong the first kLongestCommand bytes
};

class LineSplitter {
 public:
  std::vector<Received> Feed(std::string_view bytes);

 private:
  std::string pending_;
  bool tooLong_ = false;
  // The up byte may be followed by a CR of its own, which is no empty command.
  bool afterUp_ = false;
};

}  // namespace kestrel::sim
