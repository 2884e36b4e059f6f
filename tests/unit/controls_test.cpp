#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "controls/controls.h"
#include "display/screen_map.h"
#include "fakes/kestrel_test.h"
#include "state/app.h"
#include "state/commands.h"
#include "state/controls.h"
#include "state/key_codes.h"
#include "state/speech.h"

namespace kestrel {
namespace {

using keys::kDown;
using keys::kLeft;
using keys::kPageDown;
using keys::kPageUp;
using keys::kRight;
using keys::kUp;

class ControlsTest : public fakes::KestrelTest {
 protected:
  void SetUp() override {
    KestrelTest::SetUp();
    SpeechOn();
    line_ = &ConnectReceiver();
  }

  std::string Sent() { return line_->TakeWritten(); }

  // What tuning VFO A to the text puts on the line.
  std::string TuneTo(const std::string& frequency) {
    FrequencyText = frequency;
    SpokenText = frequency;
    TuneVfoA();
    return Sent();
  }

  std::string ArrowFrom(const std::string& frequency, int key) {
    FrequencyText = frequency;
    KeyCode = key;
    switch (key) {
      case kUp:
      case kDown: TuneByKilohertz(); break;
      case kLeft:
      case kRight: TuneByHundredHertz(); break;
      default: TuneByStep(); break;
    }
    return Sent();
  }

  std::string HertzToText(std::int32_t hertz) {
    FrequencyHz = hertz;
    HzToFrequencyText();
    return SpokenText.str();
  }

  std::int32_t TextToHertz(const std::string& text) {
    SpokenText = text;
    FrequencyTextToHz();
    return FrequencyHz;
  }

  std::int32_t StepToHertz(const std::string& step) {
    StepText = step;
    StepTextToHz();
    return StepHz;
  }

  std::string StepCommand(const std::string& step) {
    StepText = step;
    SetStep();
    return Sent();
  }

  fakes::FakeLine* line_ = nullptr;
};

TEST_F(ControlsTest, VfoAGetsFourMegahertzDigitsAndFiveFractionDigits) {
  EXPECT_EQ(TuneTo("145.5"), "VA0145.50000\r");
  EXPECT_EQ(TuneTo("1240.5"), "VA1240.50000\r");
  EXPECT_EQ(TuneTo("5.5"), "VA0005.50000\r");
  EXPECT_EQ(TuneTo("7.05"), "VA0007.05000\r");
  EXPECT_EQ(TuneTo("1.2"), "VA0001.20000\r");
  EXPECT_EQ(TuneTo("88.5"), "VA0088.50000\r");
}

TEST_F(ControlsTest, VfoAWholeMegahertzGoesAsTenHertzDigitsAndGainsAPoint) {
  EXPECT_EQ(TuneTo("145"), "VA0145000000\r");
  EXPECT_EQ(FrequencyText, "145.0");
  EXPECT_EQ(SpokenText, "145.0");
}

TEST_F(ControlsTest, VfoALongTextIsSentWhole) {
  EXPECT_EQ(TuneTo("145.123456"), "VA0145.1234560\r");
  EXPECT_EQ(FrequencyText, "145.123456");
}

TEST_F(ControlsTest, VfoTextWithoutLeadingDigitIsTunedFromZero) {
  EXPECT_EQ(TuneTo(".5"), "VA0000.50000\r");
  EXPECT_EQ(FrequencyText, "0.5");
  EXPECT_EQ(TuneTo("0.5"), "VA0000.50000\r");
  SpokenText = ".75";
  TuneVfoB();
  EXPECT_EQ(Sent(), "VB0000.75000\r");
}

TEST_F(ControlsTest, LeadingZerosOfATypedFrequencyOrStepDoNotCount) {
  EXPECT_EQ(TuneTo("0145.5"), "VA0145.50000\r");
  EXPECT_EQ(FrequencyText, "145.5");
  EXPECT_EQ(TuneTo("00145"), "VA0145000000\r");
  EXPECT_EQ(TuneTo("00.5"), "VA0000.50000\r");
  EXPECT_EQ(TuneTo("000"), "VA0000000000\r");
  EXPECT_EQ(StepCommand("012.5"), "ST012.50\r");
  EXPECT_EQ(StepCommand("0005"), "ST005000\r");
  EXPECT_EQ(StepCommand("00.5"), "ST000.50\r");
}

TEST_F(ControlsTest, VfoBSendsVbAndDrawsNothing) {
  FrequencyText = "146";
  SpokenText = "146";
  TuneVfoB();
  EXPECT_EQ(Sent(), "VB0146000000\r");
  EXPECT_EQ(FrequencyText, "146.0");
  EXPECT_TRUE(window.drawn.empty());
  EXPECT_EQ(LimitEntryFresh, 0);
}

TEST_F(ControlsTest, FrequencyTextToHzCountsSixFractionDigits) {
  EXPECT_EQ(TextToHertz("145.0125"), 145012500);
  EXPECT_EQ(TextToHertz("145.1234567"), 145123456);
  EXPECT_EQ(TextToHertz("145."), 145000000);
  EXPECT_EQ(TextToHertz(".5"), 500000);
  EXPECT_EQ(TextToHertz("145.0x5"), 145005000);  // a stray character counts 0
}

TEST_F(ControlsTest, FrequencyTextWithoutPointIsWholeMegahertz) {
  EXPECT_EQ(TextToHertz("146"), 146000000);
}

TEST_F(ControlsTest, HzToFrequencyTextDropsTrailingZeros) {
  EXPECT_EQ(HertzToText(145012500), "145.0125");
  EXPECT_EQ(HertzToText(145000000), "145.");
  EXPECT_EQ(HertzToText(500000), ".5");
  EXPECT_EQ(HertzToText(1240500000), "1240.5");
}

TEST_F(ControlsTest, HzToFrequencyTextKeepsTheZerosBelowATenthOfAMegahertz) {
  EXPECT_EQ(HertzToText(99000), ".099");
  EXPECT_EQ(HertzToText(0), ".");
}

TEST_F(ControlsTest, StepCommandHasThreeKilohertzDigits) {
  EXPECT_EQ(StepCommand("12.5"), "ST012.50\r");
  EXPECT_EQ(StepCommand("6.25"), "ST006.25\r");
  EXPECT_EQ(StepCommand("5"), "ST005000\r");
  EXPECT_EQ(StepCommand("100"), "ST100000\r");
  EXPECT_EQ(StepCommand("8.333"), "ST008.333\r");
  EXPECT_EQ(StepCommand(".5"), "ST000.50\r");
}

TEST_F(ControlsTest, StepToHertz) {
  EXPECT_EQ(StepToHertz("12.5"), 12500);
  EXPECT_EQ(StepToHertz("25"), 25000);
  EXPECT_EQ(StepToHertz("100"), 100000);
  EXPECT_EQ(StepToHertz("6.25"), 6250);
  EXPECT_EQ(StepToHertz("8.33"), 8330);
  EXPECT_EQ(StepToHertz(".5"), 500);
}

TEST_F(ControlsTest, ArrowKeysTuneByOneKilohertzAndOneHundredHertz) {
  EXPECT_EQ(ArrowFrom("145.0", kUp), "VA0145.00100\r");
  EXPECT_EQ(FrequencyText, "145.001");
  const std::vector<std::string> shown = window.Texts();
  EXPECT_EQ(shown[shown.size() - 2] + shown.back(), "145.0010" + std::string(30, ' '));
  EXPECT_EQ(ArrowFrom("145.0", kRight), "VA0145.00010\r");
  EXPECT_EQ(ArrowFrom("145.0", kLeft), "VA0144.99990\r");
  EXPECT_EQ(ArrowFrom("145.0", kDown), "VA0144.99900\r");
  EXPECT_EQ(FrequencyText, "144.999");
  EXPECT_TRUE(sound.Words().empty());
}

TEST_F(ControlsTest, AnyOtherKeyOfAPairCountsAsTheSecond) {
  StepText = "12.5";
  EXPECT_EQ(ArrowFrom("145.0", kPageUp), "VA0145.01250\r");
  EXPECT_EQ(FrequencyText, "145.0125");
  EXPECT_EQ(ArrowFrom("145.0", kPageDown), "VA0144.98750\r");
  FrequencyText = "145.0";
  KeyCode = keys::kReplyMarker;
  TuneByKilohertz();
  EXPECT_EQ(Sent(), "VA0144.99900\r");
}

TEST_F(ControlsTest, PageKeysMoveByTheWholeStepToTheHertz) {
  StepText = "6.25";
  EXPECT_EQ(ArrowFrom("145.5", kPageUp), "VA0145.506250\r");
  EXPECT_EQ(FrequencyText, "145.50625");
  KeyCode = kPageUp;
  TuneByStep();
  EXPECT_EQ(Sent(), "VA0145.51250\r");
  StepText = "12.5";
  EXPECT_EQ(ArrowFrom("145.5", kPageUp), "VA0145.51250\r");
}

TEST_F(ControlsTest, TuningToAWholeMegahertzKeepsThePoint) {
  EXPECT_EQ(ArrowFrom("145.0001", kLeft), "VA0145.00000\r");
  EXPECT_EQ(FrequencyText, "145.");
  const std::vector<std::string> shown = window.Texts();
  EXPECT_EQ(shown[shown.size() - 2] + shown.back(), "145.0000" + std::string(30, ' '));
}

TEST_F(ControlsTest, ArrowTuningBelowOneMegahertzGetsALeadingZero) {
  EXPECT_EQ(ArrowFrom("1.0005", kDown), "VA0000.99950\r");
  EXPECT_EQ(FrequencyText, "0.9995");
  EXPECT_EQ(ArrowFrom("0.1", kDown), "VA0000.09900\r");
}

TEST_F(ControlsTest, TuningBelowZeroSaysInvalidAndSendsNothing) {
  EXPECT_EQ(ArrowFrom("0.0005", kDown), "");
  EXPECT_EQ(ArrowFrom("0.00005", kLeft), "");
  StepText = "12.5";
  EXPECT_EQ(ArrowFrom("0.01", kPageDown), "");
  EXPECT_EQ(FrequencyText, "0.01");
  EXPECT_EQ(sound.Words(), (std::vector<std::string>{"inv", "inv", "inv"}));
  EXPECT_TRUE(window.drawn.empty());
  EXPECT_EQ(ArrowFrom("0.0001", kLeft), "VA0000.00000\r");
}

TEST_F(ControlsTest, TuningBeyondTheHertzCountSaysInvalid) {
  EXPECT_EQ(ArrowFrom("2147.4836", kUp), "");
  EXPECT_EQ(ArrowFrom("2500.0", kDown), "");
  EXPECT_EQ(sound.Words(), (std::vector<std::string>{"inv", "inv"}));
  EXPECT_EQ(ArrowFrom("2147.483547", kRight), "VA2147.4836470\r");
  EXPECT_EQ(ArrowFrom("2147.483647", kLeft), "VA2147.4835470\r");
}

// The frequency field: the draws that one ShowFrequency makes, in order.
class FrequencyFieldTest : public ControlsTest {
 protected:
  std::vector<fakes::DrawnText> Show(const std::string& frequency) {
    window.drawn.clear();
    FrequencyText = frequency;
    ShowFrequency();
    return window.drawn;
  }
};

TEST_F(FrequencyFieldTest, ErasesInLargeTypeThenDrawsTheFrequencyInBlue) {
  const auto drawn = Show("145.0125");
  ASSERT_EQ(drawn.size(), 2u);
  EXPECT_EQ(drawn[0].text, std::string(20, ' '));
  EXPECT_EQ(drawn[0].x, 300);
  EXPECT_EQ(drawn[0].y, 150);
  EXPECT_EQ(drawn[0].font.face, "Ariel");
  EXPECT_EQ(drawn[0].font.points, 50);
  EXPECT_EQ(drawn[0].font.weight, 700);
  EXPECT_EQ(drawn[1].text, "145.0125");
  EXPECT_EQ(drawn[1].x, 300);
  EXPECT_EQ(drawn[1].colour, screen::kBlue);
  EXPECT_EQ(drawn[1].font.points, 50);
}

TEST_F(FrequencyFieldTest, ShortFrequenciesArePaddedWithZerosAndBlanks) {
  const std::string blanks(30, ' ');
  auto drawn = Show("145.0");
  ASSERT_EQ(drawn.size(), 3u);
  EXPECT_EQ(drawn[2].text, "000" + blanks);
  EXPECT_EQ(drawn[2].x, 300 + 5 * fakes::FakeWindowSystem::kCharWidth);
  EXPECT_EQ(drawn[2].colour, screen::kBlue);
  EXPECT_EQ(Show("88.5").back().text, "0000" + blanks);
  EXPECT_EQ(Show("1240.5").back().text, "00" + blanks);
  EXPECT_EQ(Show("145.").back().text, "0000" + blanks);
  EXPECT_EQ(Show("145.123456").size(), 2u);
}

TEST_F(FrequencyFieldTest, LeavesBlackNormalTypeAndAFreshLimitEntry) {
  MainWindow.colour = screen::kRed;
  Show("145.0");
  EXPECT_EQ(MainWindow.colour, screen::kBlack);
  EXPECT_EQ(MainWindow.font.face, "Ariel");
  EXPECT_EQ(MainWindow.font.points, 30);
  EXPECT_EQ(MainWindow.font.weight, 700);
  EXPECT_EQ(LimitEntryFresh, 1);
  EXPECT_EQ(SpokenText, "145.0");
}

TEST_F(FrequencyFieldTest, TheEraseIsDrawnInTheColourLeftBefore) {
  MainWindow.colour = screen::kGreen;
  EXPECT_EQ(Show("145.0").front().colour, screen::kGreen);
}

}  // namespace
}  // namespace kestrel
