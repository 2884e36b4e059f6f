#include <string>

#include "fakes/kestrel_test.h"
#include "link/replies.h"
#include "state/link.h"

namespace kestrel {
namespace {

class RepliesTest : public fakes::KestrelTest {};

// The level bar reads the three characters after the flag's place; the level tones and the
// hit log read the digits after the flag, which an open "LC" report leaves out.
TEST_F(RepliesTest, LevelReadersTakeTheirDigitsFromTheirOwnPlaces) {
  struct Case {
    const char* reply;
    bool level;
    bool scanning;
    double field;
    int reading;
  };
  const Case cases[] = {
      {"LM 087", true, false, 87, 87},        {"LM%087", true, true, 87, -1},
      {"LC 120 MA05", true, false, 120, 120}, {"LC1234 MA05", true, false, 234, 123},
      {"LM 999", true, false, 999, 255},      {"LM 0x7", true, false, 0, -1},
      {"LM 08", true, false, 8, -1},          {"VS 087", false, false, 87, -1},
  };
  for (const Case& c : cases) {
    ReplyText = c.reply;
    EXPECT_EQ(IsLevelReply(), c.level) << c.reply;
    EXPECT_EQ(ReplyShowsScanning(), c.scanning) << c.reply;
    EXPECT_EQ(ReplyLevelField(), c.field) << c.reply;
    EXPECT_EQ(ReplyLevel(), c.reading) << c.reply;
  }
}

TEST_F(RepliesTest, FrequencyDigitsEndAtTheFirstNonDigitAndAtTen) {
  const std::pair<const char*, const char*> cases[] = {
      {"LC 087 MA05 RF0145500000 ST", "0145500000"},
      {"RF0145\r\n", "0145"},
      {"RF01455000009", "0145500000"},
      {"RF", ""},
      {"LM 087", ""},
  };
  for (const auto& [reply, digits] : cases) {
    ReplyText = reply;
    EXPECT_EQ(ReplyFrequencyDigits(), digits) << reply;
  }
  EXPECT_EQ(WithMegahertzPoint("0145500000"), "0145.500000");
}

}  // namespace
}  // namespace kestrel
