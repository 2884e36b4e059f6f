#include <gtest/gtest.h>

#include "line_splitter.h"

namespace kestrel::sim {
namespace {

using Kind = Received::Kind;

std::string Describe(const std::vector<Received>& received) {
  std::string text;
  for (const auto& r : received) {
    text += r.kind == Kind::kUp ? "<up>" : r.kind == Kind::kTooLong ? "<long>" : "";
    if (r.kind == Kind::kCommand) text += "[" + r.text + "]";
  }
  return text;
}

TEST(LineSplitter, CutsAtCrAndIgnoresLf) {
  LineSplitter splitter;
  EXPECT_EQ(Describe(splitter.Feed("LM\rRX\r\nV\nA\r")), "[LM][RX][VA]");
}

TEST(LineSplitter, KeepsAHalfCommandForTheNextBytes) {
  LineSplitter splitter;
  EXPECT_EQ(Describe(splitter.Feed("VA01")), "");
  EXPECT_EQ(Describe(splitter.Feed("45000000")), "");
  EXPECT_EQ(Describe(splitter.Feed("\rL")), "[VA0145000000]");
  EXPECT_EQ(Describe(splitter.Feed("M\r")), "[LM]");
}

TEST(LineSplitter, UpByteStandsAloneWithOrWithoutItsCr) {
  LineSplitter splitter;
  EXPECT_EQ(Describe(splitter.Feed("\x1e\x1e\rLM\r")), "<up><up>[LM]");
  // Its CR may come in a later read.
  EXPECT_EQ(Describe(splitter.Feed("\x1e")), "<up>");
  EXPECT_EQ(Describe(splitter.Feed("\r")), "");
  // Inside a command it does not end the command; a second CR is an empty command.
  EXPECT_EQ(Describe(splitter.Feed("L\x1eM\r\r")), "<up>[LM][]");
}

TEST(LineSplitter, OverLongLineIsOneFaultyCommandAndTheNextIsWhole) {
  LineSplitter splitter;
  const auto received = splitter.Feed(std::string(300, 'A') + "\rLM\r");
  ASSERT_EQ(received.size(), 2u);
  EXPECT_EQ(received[0].kind, Kind::kTooLong);
  EXPECT_EQ(received[0].text.size(), kLongestCommand);
  EXPECT_EQ(received[1].text, "LM");
}

}  // namespace
}  // namespace kestrel::sim
