#include <gtest/gtest.h>

#include "runtime/text.h"

namespace kestrel {
namespace {

TEST(TextPositions, MidClampsItsStartAndCount) {
  EXPECT_EQ(Mid("abc", 2, 5), "bc");
  EXPECT_EQ(Mid("abc", 4), "");
  EXPECT_EQ(Mid("abc", 0, 1), "a");
  EXPECT_EQ(Mid("abc", -3, 2), "ab");
  EXPECT_EQ(Mid("abc", 2, -1), "bc");
  EXPECT_EQ(Mid("abc", 2, 0), "");
}

TEST(TextPositions, LeftAndRightClampTheirCounts) {
  EXPECT_EQ(Right("145.500", 1), "0");
  EXPECT_EQ(Left("145.500", 6), "145.50");
  EXPECT_EQ(Left("abc", -1), "");
  EXPECT_EQ(Left("abc", 9), "abc");
  EXPECT_EQ(Right("abc", -2), "");
  EXPECT_EQ(Right("abc", 3), "abc");
  EXPECT_EQ(Right("abc", 7), "abc");
}

TEST(TextPositions, FindIsOneBasedAndZeroWhenAbsent) {
  EXPECT_EQ(Find("145.5", ".", 1), 4);
  EXPECT_EQ(Find("145", ".", 1), 0);
  EXPECT_EQ(Find("", ".", 1), 0);
  EXPECT_EQ(Find("abc", "", 1), 0);
  EXPECT_EQ(Find("abab", "ab", 0), 1);
  EXPECT_EQ(Find("abab", "ab", 2), 3);
  EXPECT_EQ(Find("abab", "ab", 5), 0);
  EXPECT_EQ(Find("abab", "b", 4), 4);
}

TEST(TextCharacters, CharOfCodeOfAndSpaces) {
  EXPECT_EQ(CharOf(65), "A");
  EXPECT_EQ(CodeOf("A"), 65);
  EXPECT_EQ(CodeOf(""), 0);
  EXPECT_EQ(CodeOf("\xe9"), 0xe9);
  EXPECT_EQ(Spaces(3), "   ");
  EXPECT_EQ(Spaces(-1), "");
  EXPECT_EQ(Length("145.5"), 5);
}

TEST(TextVariable, KeepsAtMost254Characters) {
  Text t = std::string(300, 'x');
  EXPECT_EQ(t.size(), 254u);
  t = "short";
  EXPECT_EQ(t, "short");
  Text raw;
  raw.AssignRaw(std::string(255, 'y'));
  EXPECT_EQ(raw.size(), 255u);
  Text joined = t + std::string(260, 'z');
  EXPECT_EQ(joined.size(), 254u);
  EXPECT_EQ(Left(joined.str(), 5), "short");
}

TEST(TextToNumberReading, FollowsTheNumberRules) {
  EXPECT_DOUBLE_EQ(TextToNumber("12.5"), 12.5);
  EXPECT_DOUBLE_EQ(TextToNumber("  -3"), -3);
  EXPECT_DOUBLE_EQ(TextToNumber("\t7"), 7);
  EXPECT_DOUBLE_EQ(TextToNumber("7x"), 7);
  EXPECT_DOUBLE_EQ(TextToNumber(".5"), 0.5);
  EXPECT_DOUBLE_EQ(TextToNumber("1e3"), 1);
  EXPECT_DOUBLE_EQ(TextToNumber("+5"), 0);
  EXPECT_DOUBLE_EQ(TextToNumber("-"), 0);
  EXPECT_DOUBLE_EQ(TextToNumber(""), 0);
  EXPECT_DOUBLE_EQ(TextToNumber("   "), 0);
  EXPECT_DOUBLE_EQ(TextToNumber("x7"), 0);
  EXPECT_DOUBLE_EQ(TextToNumber("145.0125"), 145.0125);
  EXPECT_DOUBLE_EQ(TextToNumber("9999"), 9999);
  EXPECT_DOUBLE_EQ(TextToNumber("1.2.3"), 1.2);
}

TEST(NumberToTextForm, WholeNumbersAndTwoDecimalsWithALeadingBlank) {
  EXPECT_EQ(NumberToText(145012500), " 145012500");
  EXPECT_EQ(NumberToText(145000000), " 145000000");
  EXPECT_EQ(NumberToText(-5), " -5");
  EXPECT_EQ(NumberToText(0), " 0");
  EXPECT_EQ(NumberToText(12.5), " 12.50");
  EXPECT_EQ(NumberToText(-0.25), " -0.25");
  EXPECT_EQ(NumberToText(0.5), " 0.50");
  EXPECT_EQ(NumberToText(4294967296.0 + 7), " 7");
}

TEST(IntegerStore, RoundsHalvesToEvenAndTruncatesWhereAsked) {
  EXPECT_EQ(StoreInteger(TextToNumber("12.5")), 12);
  EXPECT_EQ(StoreInteger(TextToNumber("13.5")), 14);
  EXPECT_EQ(StoreInteger(-2.5), -2);
  EXPECT_EQ(StoreInteger(2.6), 3);
  EXPECT_EQ(StoreInteger(145012499.6), 145012500);
  EXPECT_EQ(TruncateInteger(145.9), 145);
  EXPECT_EQ(TruncateInteger(-3.9), -3);
  EXPECT_EQ(StoreInteger(1e12), 2147483647);
}

}  // namespace
}  // namespace kestrel
