#include <gtest/gtest.h>

#include "frequency.h"
#include "options.h"
#include "scenario.h"

namespace kestrel::sim {
namespace {

TEST(TuningFrequency, TakesTenDigitsInHzAndMhzWithAPoint) {
  EXPECT_EQ(ParseTuningFrequency("0145500000"), 145'500'000);
  EXPECT_EQ(ParseTuningFrequency("0145.50000"), 145'500'000);
  EXPECT_EQ(ParseTuningFrequency("0001.20000"), 1'200'000);
  EXPECT_EQ(ParseTuningFrequency("0145.512550"), 145'512'550);  // a longer text from the panel
  EXPECT_EQ(ParseTuningFrequency("1450000000"), 1'450'000'000);
}

TEST(TuningFrequency, KeepsTheFiftyHertzGrid) {
  EXPECT_EQ(ParseTuningFrequency("0145.500024"), 145'500'000);
  EXPECT_EQ(ParseTuningFrequency("0145.500025"), 145'500'050);
  EXPECT_EQ(ParseTuningFrequency("0145500074"), 145'500'050);
  EXPECT_EQ(ParseTenDigitFrequency("0145512340"), 145'512'350);
  EXPECT_EQ(ParseTenDigitFrequency("0145.51234"), std::nullopt);
}

TEST(TuningFrequency, RefusesOtherFormsAndFrequenciesOutOfRange) {
  EXPECT_EQ(ParseTuningFrequency("145500000"), std::nullopt);    // nine digits
  EXPECT_EQ(ParseTuningFrequency("01455000000"), std::nullopt);  // eleven
  EXPECT_EQ(ParseTuningFrequency("0145.5.000"), std::nullopt);
  EXPECT_EQ(ParseTuningFrequency("0145,50000"), std::nullopt);
  EXPECT_EQ(ParseTuningFrequency(""), std::nullopt);
  EXPECT_EQ(ParseTuningFrequency("."), std::nullopt);
  EXPECT_EQ(ParseTuningFrequency("0000099950"), std::nullopt);  // below 100 kHz
  EXPECT_EQ(ParseTuningFrequency("0000100000"), 100'000);
  EXPECT_EQ(ParseTuningFrequency("2040.00000"), 2'040'000'000);
  EXPECT_EQ(ParseTuningFrequency("2040.00005"), std::nullopt);
  EXPECT_EQ(ParseTuningFrequency("9999999999"), std::nullopt);
}

TEST(Step, TakesSixDigitsInHzAndKhzWithAPoint) {
  EXPECT_EQ(ParseStep("012500"), 12'500);
  EXPECT_EQ(ParseStep("012.50"), 12'500);
  EXPECT_EQ(ParseStep("006.25"), 6'250);
  EXPECT_EQ(ParseStep("005000"), 5'000);
  EXPECT_EQ(ParseStep("100000"), 100'000);
  EXPECT_EQ(ParseStep("000.05"), 50);
}

TEST(Step, RefusesStepsOffTheGridAndOtherForms) {
  EXPECT_EQ(ParseStep("000125"), std::nullopt);
  EXPECT_EQ(ParseStep("012.51"), std::nullopt);
  EXPECT_EQ(ParseStep("000.0501"), std::nullopt);
  EXPECT_EQ(ParseStep("000000"), std::nullopt);
  EXPECT_EQ(ParseStep("12500"), std::nullopt);
  EXPECT_EQ(ParseStep("01250A"), std::nullopt);
}

TEST(ScenarioLine, ReadsSignalsInEitherFrequencyForm) {
  bool ok = false;
  auto signal = ParseSignalLine("145.5000 120 0 -", ok);
  ASSERT_TRUE(ok && signal);
  EXPECT_EQ(signal->hz, 145'500'000);
  EXPECT_EQ(signal->level, 120);
  EXPECT_EQ(signal->offMs, kNever);
  signal = ParseSignalLine("  446006250\t90 5000 9000  # a walkie-talkie\r", ok);
  ASSERT_TRUE(ok && signal);
  EXPECT_EQ(signal->hz, 446'006'250);
  EXPECT_EQ(signal->onMs, 5000);
  EXPECT_EQ(signal->offMs, 9000);
  signal = ParseSignalLine("145.5 60", ok);
  ASSERT_TRUE(ok && signal);
  EXPECT_EQ(signal->onMs, 0);
  EXPECT_EQ(signal->offMs, kNever);
}

TEST(ScenarioLine, SkipsCommentsAndRefusesMalformedLines) {
  bool ok = false;
  EXPECT_FALSE(ParseSignalLine("   # nothing here", ok));
  EXPECT_TRUE(ok);
  for (const char* bad : {"145.5", "145.5 256", "145.5 12 0", "145.5 12 5 5", "145.5 12 9 3",
                          "abc 12", "145.5 12 - 10"}) {
    EXPECT_FALSE(ParseSignalLine(bad, ok)) << bad;
    EXPECT_FALSE(ok) << bad;
  }
}

TEST(ScenarioLevels, StrongestSignalOnAtThatTimeWithinTheWidth) {
  Scenario scenario;
  scenario.Add({145'500'000, 60, 0, kNever});
  scenario.Add({145'500'000, 120, 1000, 2000});
  scenario.Add({145'503'000, 200, 0, kNever});
  EXPECT_EQ(scenario.LevelAt(145'500'000, 999, 0), 60);
  EXPECT_EQ(scenario.LevelAt(145'500'000, 1000, 0), 120);
  EXPECT_EQ(scenario.LevelAt(145'500'000, 2000, 0), 60);
  EXPECT_EQ(scenario.LevelAt(145'500'000, 0, 6000), 200);
  EXPECT_EQ(scenario.LevelAt(145'500'000, 0, 5998), 60);
  EXPECT_EQ(scenario.LevelAt(145'600'000, 0, 0), 0);
  EXPECT_EQ(scenario.NextChangeAfter(0), 1000);
  EXPECT_EQ(scenario.NextChangeAfter(1000), 2000);
  EXPECT_EQ(scenario.NextChangeAfter(2000), kNever);
}

TEST(CommandLine, ReadsEveryKindOfOption) {
  SimOptions options;
  std::string error;
  ASSERT_TRUE(ParseOptions({"--link", "COM3", "--squelch=60", "--cr", "--split", "--seed", "7",
                            "--hangup-after", "1500", "--pause", "300", "--up-answers"},
                           options, error))
      << error;
  EXPECT_EQ(options.link, "COM3");
  EXPECT_EQ(options.receiver.squelch, 60);
  EXPECT_EQ(options.receiver.lineEnd, "\r");
  EXPECT_TRUE(options.output.split);
  EXPECT_EQ(options.output.seed, 7u);
  EXPECT_EQ(options.hangupAfterMs, 1500);
  EXPECT_EQ(options.receiver.pauseMs, 300);
  EXPECT_TRUE(options.receiver.upAnswers);
  EXPECT_EQ(options.exitAfterMs, kNever);
}

TEST(CommandLine, RefusesUnknownOptionsAndBadValues) {
  for (const std::vector<std::string>& bad : {std::vector<std::string>{"--colour"},
                                              {"--squelch"},
                                              {"--squelch", "x"},
                                              {"--squelch", "300"},
                                              {"--search-step", "0"},
                                              {"--cr=1"},
                                              {"--log", ""},
                                              {"--exit-after", "99999999999"}}) {
    SimOptions options;
    std::string error;
    EXPECT_FALSE(ParseOptions(bad, options, error)) << bad[0];
    EXPECT_FALSE(error.empty());
  }
}

}  // namespace
}  // namespace kestrel::sim
