#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "controls/controls.h"
#include "fakes/kestrel_test.h"
#include "state/app.h"
#include "state/commands.h"
#include "state/controls.h"
#include "state/key_codes.h"
#include "state/speech.h"

namespace kestrel {
namespace {

using Words = std::vector<std::string>;

class ModesTest : public fakes::KestrelTest {
 protected:
  void SetUp() override {
    KestrelTest::SetUp();
    SpeechOn();
    line_ = &ConnectReceiver();
  }

  std::string Sent() { return line_->TakeWritten(); }

  void PressModeKey(int key) {
    KeyCode = key;
    SelectModeOfKey();
  }

  fakes::FakeLine* line_ = nullptr;
};

struct ModeKeyCase {
  int key;
  std::string text;
  std::string word;
  std::string command;
};

const ModeKeyCase kModeKeys[] = {
    {keys::kF1, "FM", "FM", "MD1\r"},    {keys::kF2, "AM", "AM", "MD2\r"},
    {keys::kF3, "LSB", "LSB", "MD4\r"},  {keys::kF4, "USB", "USB", "MD3\r"},
    {keys::kF5, "WFM", "WFM", "MD0\r"},  {keys::kF6, "CW ", "cw", "MD5\r"},
    {keys::kF7, "AUT", "auto", "AU1\r"},
};

TEST_F(ModesTest, EveryModeKeySetsSpeaksSendsAndRedrawsTheField) {
  for (const auto& mode : kModeKeys) {
    SCOPED_TRACE(mode.key);
    sound.Clear();
    window.drawn.clear();
    PressModeKey(mode.key);
    EXPECT_EQ(ModeText.str(), mode.text);
    EXPECT_EQ(sound.Words(), Words{mode.word});
    EXPECT_EQ(Sent(), mode.command);
    ASSERT_EQ(window.drawn.size(), 1u);
    EXPECT_EQ(window.drawn[0].text, mode.text + std::string(6, ' '));
    EXPECT_EQ(window.drawn[0].x, 380);
    EXPECT_EQ(window.drawn[0].y, 80);
    EXPECT_EQ(window.drawn[0].font.face, "Ariel");
    EXPECT_EQ(window.drawn[0].font.points, 50);
    EXPECT_EQ(window.drawn[0].font.weight, 700);
    EXPECT_EQ(MainWindow.font.face, "Aerial");
    EXPECT_EQ(MainWindow.font.points, 30);
    EXPECT_EQ(MainWindow.font.weight, 700);
  }
}

TEST_F(ModesTest, OnlyTheCwRoutineLeavesTheSmallFontBehind) {
  SelectModeFm();
  EXPECT_EQ(MainWindow.font.points, 0);
  SelectModeCw();
  EXPECT_EQ(MainWindow.font.face, "Aerial");
  EXPECT_EQ(MainWindow.font.points, 30);
  EXPECT_TRUE(window.drawn.empty());
  EXPECT_EQ(Sent(), "MD1\rMD5\r");
}

TEST_F(ModesTest, KeysNextToTheModeKeysDoNothing) {
  ModeText = "FM";
  PressModeKey(keys::kF1 - 1);
  PressModeKey(keys::kF7 + 1);  // F8
  EXPECT_TRUE(window.drawn.empty());
  EXPECT_EQ(Sent(), "");
  EXPECT_TRUE(sound.Words().empty());
  EXPECT_EQ(MainWindow.font.points, 0);
}

TEST_F(ModesTest, ApplyModeShowsSpeaksAndSendsAStoredMode) {
  ModeText = "LSB";
  ApplyMode();
  ASSERT_EQ(window.drawn.size(), 1u);
  EXPECT_EQ(window.drawn[0].text, "LSB      ");
  EXPECT_EQ(window.drawn[0].font.points, 50);
  EXPECT_EQ(sound.Words(), Words{"LSB"});
  EXPECT_EQ(Sent(), "MD4\r");
  EXPECT_EQ(MainWindow.font.face, "Aerial");
  EXPECT_EQ(MainWindow.font.points, 30);
}

TEST_F(ModesTest, ApplyModeOnlyShowsTheReceiversCw) {
  ModeText = "CW";
  ApplyMode();
  ASSERT_EQ(window.drawn.size(), 1u);
  EXPECT_EQ(window.drawn[0].text, "CW      ");
  EXPECT_TRUE(sound.Words().empty());
  EXPECT_EQ(Sent(), "");
  EXPECT_EQ(ModeText, "CW");
}

TEST_F(ModesTest, AttenuatorTogglesAndSpeaksBeforeSending) {
  AttenuatorOn = 1;
  ToggleAttenuator();
  EXPECT_EQ(AttenuatorOn, 0);
  EXPECT_EQ(Sent(), "AT0\r");
  ToggleAttenuator();
  EXPECT_EQ(AttenuatorOn, 1);
  EXPECT_EQ(Sent(), "AT1\r");
  ToggleAttenuator();
  EXPECT_EQ(Sent(), "AT0\r");
  EXPECT_EQ(sound.Words(), (Words{"attoff", "atton", "attoff"}));
}

TEST_F(ModesTest, NoiseLimiterTogglesAndSpeaksBeforeSending) {
  ToggleNoiseLimiter();
  EXPECT_EQ(NoiseLimiterOn, 1);
  EXPECT_EQ(Sent(), "NL1\r");
  ToggleNoiseLimiter();
  EXPECT_EQ(NoiseLimiterOn, 0);
  EXPECT_EQ(Sent(), "NL0\r");
  EXPECT_EQ(sound.Words(), (Words{"noise", "on", "noise", "off"}));
}

// Speech is synchronous: the receiver must not change before the word has been heard.
TEST_F(ModesTest, WordsArePlayedBeforeTheCommandGoesOut) {
  std::vector<std::size_t> writtenWhenPlayed;
  class OrderedSound final : public platform::SoundPlayer {
   public:
    OrderedSound(fakes::FakeLine& line, std::vector<std::size_t>& seen)
        : line_(line), seen_(seen) {}
    std::string Play(const std::string& path, bool) override {
      seen_.push_back(line_.written.size());
      return path;
    }

   private:
    fakes::FakeLine& line_;
    std::vector<std::size_t>& seen_;
  } ordered(*line_, writtenWhenPlayed);
  platform::InstallSoundPlayer(&ordered);
  ToggleNoiseLimiter();
  ToggleAttenuator();
  SelectModeCw();
  platform::InstallSoundPlayer(&sound);
  EXPECT_EQ(writtenWhenPlayed, (std::vector<std::size_t>{0, 0, 4, 8}));
}

}  // namespace
}  // namespace kestrel
