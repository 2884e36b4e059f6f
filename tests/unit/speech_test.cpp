#include "speech/speech.h"

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "fakes/kestrel_test.h"
#include "runtime/journal.h"
#include "runtime/sound.h"
#include "state/banks.h"
#include "state/controls.h"
#include "state/speech.h"

namespace kestrel {
namespace {

using Words = std::vector<std::string>;

class SpeechTest : public fakes::KestrelTest {
 protected:
  void SetUp() override {
    fakes::KestrelTest::SetUp();
    SpeechOn();
  }

  Words SpeakFrequencyOf(const std::string& text) {
    sound.Clear();
    SpokenText = text;
    SpeakFrequency();
    return sound.Words();
  }

  Words SpeakModeOf(const std::string& mode) {
    sound.Clear();
    ModeText = mode;
    SpeakMode();
    return sound.Words();
  }
};

TEST_F(SpeechTest, AFrequencyIsSpokenCharacterByCharacter) {
  EXPECT_EQ(SpeakFrequencyOf("145"), (Words{"1", "4", "5"}));
  EXPECT_EQ(SpeakFrequencyOf("150"), (Words{"1", "5", "0"}));
  EXPECT_EQ(SpeakFrequencyOf("12.5"), (Words{"1", "2", "point", "5"}));
  EXPECT_EQ(SpeakFrequencyOf(""), Words{});
  EXPECT_EQ(sound.Paths(), std::vector<std::string>{});
}

TEST_F(SpeechTest, TrailingZerosAfterThePointAreDroppedButOneDigitStays) {
  EXPECT_EQ(SpeakFrequencyOf("145.500"), (Words{"1", "4", "5", "point", "5"}));
  EXPECT_EQ(SpokenText, "145.5");
  EXPECT_EQ(SpeakFrequencyOf("145."), (Words{"1", "4", "5", "point", "0"}));
  EXPECT_EQ(SpokenText, "145.0");
  EXPECT_EQ(SpeakFrequencyOf("145.000"), (Words{"1", "4", "5", "point", "0"}));
  EXPECT_EQ(SpokenText, "145.0");
  EXPECT_EQ(SpeakFrequencyOf("0.050"), (Words{"0", "point", "0", "5"}));
  EXPECT_EQ(SpokenText, "0.05");
}

TEST_F(SpeechTest, SearchingIsSaidOnlyWhileTheSearchRuns) {
  SearchActive = kSearchRunning;
  EXPECT_EQ(SpeakFrequencyOf("145"), (Words{"srching", "1", "4", "5"}));
  EXPECT_EQ(SpeakFrequencyOf(""), (Words{"srching"}));
  SearchActive = kSearchHalted;
  EXPECT_EQ(SpeakFrequencyOf("145"), (Words{"1", "4", "5"}));
}

TEST_F(SpeechTest, EveryModeTextHasItsWord) {
  const std::vector<std::pair<std::string, std::string>> rows = {
      {"WFM", "wfm.wav"}, {"FM", "fm.wav"},        {"AM", "am.wav"},
      {"USB", "usb.wav"}, {"LSB", "lsb.wav"},      {"CW ", "cw.wav"},
      {"AUT", "auto"},    {"ATT ON", "atton.wav"}, {"ATT OFF", "attoff.wav"},
  };
  for (const auto& [mode, word] : rows) {
    EXPECT_EQ(SpeakModeOf(mode), Words{word}) << mode;
    EXPECT_EQ(SpokenText.str(), mode);
  }
}

TEST_F(SpeechTest, AModeTextOfNoRowSaysNothing) {
  EXPECT_EQ(SpeakModeOf("CW"), Words{});
  EXPECT_EQ(SpeakModeOf("fm"), Words{});
  EXPECT_EQ(SpeakModeOf(""), Words{});
}

TEST_F(SpeechTest, WordsAreSynchronousExceptTheBackgroundOnes) {
  SayWord("scan");
  SayWordInBackground("help");
  PlayFixedWord("shdel");
  ASSERT_EQ(sound.played.size(), 3u);
  EXPECT_EQ(sound.played[0].path, "wave\\scan");
  EXPECT_FALSE(sound.played[0].background);
  EXPECT_EQ(sound.played[1].path, "wave\\help");
  EXPECT_TRUE(sound.played[1].background);
  EXPECT_EQ(sound.played[2].path, "wave\\shdel");
  EXPECT_FALSE(sound.played[2].background);
}

TEST_F(SpeechTest, WithSpeechOffOnlyTheFixedSoundsFindTheirFolder) {
  WaveFolder = "";
  SayWord("scan");
  SpokenText = "1";
  SpeakFrequency();
  PlayFixedWord("shdel");
  PlayFixedWord("beep");
  EXPECT_EQ(sound.Paths(), (std::vector<std::string>{"scan", "1", "wave\\shdel", "wave\\beep"}));
}

TEST_F(SpeechTest, EveryPlayIsJournalledWithWhatWasPlayed) {
  const std::string journal = (folder / "journal.txt").string();
  OpenJournal(journal);
  sound.missing.insert("wave\\nothing");
  SayWord("scan");
  SayWordInBackground("help");
  SayWord("nothing");
  PlaySoundFile("", kPlaySync);
  CloseJournal();

  std::ifstream in(journal);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) {
    ASSERT_NE(line.find('\t'), std::string::npos) << line;
    EXPECT_GE(std::stoll(line.substr(0, line.find('\t'))), 0);
    lines.push_back(line.substr(line.find('\t') + 1));
  }
  EXPECT_EQ(lines, (std::vector<std::string>{
                       "SOUND\tsync\twave\\\\scan\twave\\\\scan",
                       "SOUND\tasync\twave\\\\help\twave\\\\help",
                       "SOUND\tsync\twave\\\\nothing\t-",
                       "SOUND\tstop\t\t-",
                   }));
}

}  // namespace
}  // namespace kestrel
