#include "runtime/platform/drawn_texts.h"

#include <gtest/gtest.h>

namespace kestrel::platform {
namespace {

const FontSpec kBold{"Ariel", 30, 700};
const FontSpec kNormal{"Ariel", 30, 400};

TEST(DrawnTextsTest, OnlyATextStandingWholeInItsPlaceFontAndColourCountsAsDrawn) {
  DrawnTexts drawn;
  drawn.Record({320, 30, 200, 35}, kBold, 65280, "***>");
  drawn.Record({0, 100, 50, 35}, kBold, 0, "FM");
  EXPECT_EQ(drawn.WidthIfStanding(320, 30, kBold, 65280, "***>"), 200);
  EXPECT_EQ(drawn.WidthIfStanding(320, 30, kBold, 255, "***>"), -1);
  EXPECT_EQ(drawn.WidthIfStanding(320, 30, kNormal, 65280, "***>"), -1);
  EXPECT_EQ(drawn.WidthIfStanding(321, 30, kBold, 65280, "***>"), -1);
  EXPECT_EQ(drawn.WidthIfStanding(320, 30, kBold, 65280, "**>"), -1);

  // A later text that covers part of it: it must be drawn again.
  drawn.Record({500, 40, 10, 10}, kBold, 0, "x");
  EXPECT_EQ(drawn.WidthIfStanding(320, 30, kBold, 65280, "***>"), -1);
  // Texts that only touch it stay.
  drawn.Record({50, 100, 20, 35}, kBold, 0, "AM");
  EXPECT_EQ(drawn.WidthIfStanding(0, 100, kBold, 0, "FM"), 50);
  drawn.Clear();
  EXPECT_EQ(drawn.WidthIfStanding(0, 100, kBold, 0, "FM"), -1);
}

}  // namespace
}  // namespace kestrel::platform
