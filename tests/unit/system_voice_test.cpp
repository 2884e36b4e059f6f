#include "runtime/system_voice.h"

#include <chrono>
#include <string>
#include <vector>

#include "fakes/fake_speech.h"
#include "fakes/kestrel_test.h"
#include "runtime/sound.h"
#include "runtime/vocabulary.h"
#include "speech/speech.h"
#include "state/speech.h"

namespace kestrel {
namespace {

using platform::SpeechEvent;
using Calls = std::vector<std::string>;

std::vector<std::string> reports;
void RecordReport(const std::string& why) { reports.push_back(why); }

class SystemVoiceTest : public fakes::KestrelTest {
 protected:
  void SetUp() override {
    fakes::KestrelTest::SetUp();
    platform::InstallSpeechService(&speech);
    SpeechOn();
    reports.clear();
    SetSystemVoiceReport(RecordReport);
  }
  void TearDown() override {
    fakes::KestrelTest::TearDown();
    SetSystemVoiceReport(nullptr);
    platform::InstallSpeechService(nullptr);
  }

  fakes::FakeSpeechService speech;
};

TEST_F(SystemVoiceTest, WordsAreSaidAsTheirPhrasesWhilePauseAndToneKeepTheirSounds) {
  ASSERT_EQ(StartSystemVoice(), "");
  SayWord("4");
  SayWord("FM");
  SayWord("fm.wav");
  SayWord("cfnf");
  SayWord("#");  // a typed key the table has no word for: nothing
  const auto before_pause = std::chrono::steady_clock::now();
  PlayFixedWord("shdel");
  EXPECT_GE(std::chrono::steady_clock::now() - before_pause, std::chrono::milliseconds(150));
  PlayFixedWord("beep");
  EXPECT_EQ(speech.calls,
            (Calls{"open", "say four", "say F M", "say F M", "say configuration file not found"}));
  EXPECT_EQ(sound.Paths(), Calls{"wave\\beep"});
  EXPECT_EQ(PhraseOfWord("shdel"), "<silence 150>");
}

TEST_F(SystemVoiceTest, AWordCutsALevelToneOffAndNoToneStartsWhileAWordSounds) {
  ASSERT_EQ(StartSystemVoice(), "");
  PlayTone(1000, 40);
  SayWord("ok");
  EXPECT_EQ(sound.Paths(), Calls{""});  // the tone stopped before the word is said
  EXPECT_EQ(speech.calls.back(), "say OK");
  speech.events = {SpeechEvent::kBegan, SpeechEvent::kTimedOut};  // heard a while yet
  SayWordInBackground("help");
  PlayTone(1000, 40);
  EXPECT_EQ(sound.tones.size(), 1u);
  PlayTone(1000, 40);  // the word has ended meanwhile
  EXPECT_EQ(sound.tones.size(), 2u);
}

TEST_F(SystemVoiceTest, OnlyABackgroundWordIsCutOffByTheNext) {
  ASSERT_EQ(StartSystemVoice(), "");
  SayWord("ok");
  SayWord("ok");
  SayWordInBackground("help");
  SayWord("inv");
  EXPECT_EQ(speech.calls, (Calls{"open", "say OK", "say OK", "say help", "cancel", "say invalid"}));
  EXPECT_TRUE(sound.played.empty());
}

TEST_F(SystemVoiceTest, AWordWhoseEndNeverComesIsCancelledAndThePanelGoesOn) {
  ASSERT_EQ(StartSystemVoice(), "");
  speech.events = {SpeechEvent::kBegan, SpeechEvent::kTimedOut};
  SayWord("scan");
  SayWord("stop");
  EXPECT_EQ(speech.calls, (Calls{"open", "say scan", "cancel", "say stop"}));
  EXPECT_TRUE(SystemVoiceActive());
  EXPECT_TRUE(reports.empty());
}

TEST_F(SystemVoiceTest, AServerThatMissesThreeWordEndsInARowIsGivenUpForTheRecordings) {
  ASSERT_EQ(StartSystemVoice(), "");
  using enum SpeechEvent;
  speech.events = {kTimedOut, kTimedOut, kEnded, kTimedOut, kTimedOut, kTimedOut};
  for (const char* word : {"1", "2", "3", "4", "5"}) SayWord(word);
  EXPECT_TRUE(SystemVoiceActive());  // an end that came starts the count again
  EXPECT_TRUE(reports.empty());
  SayWord("6");
  EXPECT_FALSE(SystemVoiceActive());
  EXPECT_EQ(sound.Paths(), Calls{});
  SayWord("7");
  EXPECT_EQ(sound.Paths(), Calls{"wave\\7"});
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_NE(reports[0].find("no word's end 3 times in a row"), std::string::npos);
}

TEST_F(SystemVoiceTest, AServerLostMidWordLeavesThatWordAndTheRestToTheRecordings) {
  ASSERT_EQ(StartSystemVoice(), "");
  speech.events = {SpeechEvent::kBegan, SpeechEvent::kLost};
  SayWord("4");
  SayWord("5");
  EXPECT_FALSE(SystemVoiceActive());
  EXPECT_EQ(speech.calls, (Calls{"open", "say four", "close"}));
  EXPECT_EQ(sound.Paths(), (Calls{"wave\\4", "wave\\5"}));
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_NE(reports[0].find("the fake server has gone away"), std::string::npos);
}

TEST_F(SystemVoiceTest, AMissingServerIsReportedAndTheRecordingsPlay) {
  speech.open_problem = "speech-dispatcher is not there";
  EXPECT_EQ(StartSystemVoice(), "speech-dispatcher is not there");
  SayWord("kestrel");
  EXPECT_EQ(sound.Paths(), Calls{"wave\\kestrel"});
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_NE(reports[0].find("speech-dispatcher is not there"), std::string::npos);
}

}  // namespace
}  // namespace kestrel
