#include "operator/recordings.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <thread>

#include "bank_test_files.h"
#include "fakes/fake_capture.h"
#include "operator/hit_log.h"
#include "polling_fixture.h"
#include "recording/opus_file.h"
#include "recording/recording_folder.h"
#include "state/banks.h"
#include "state/commands.h"
#include "state/controls.h"
#include "state/recordings.h"

namespace kestrel {
namespace {

namespace fs = std::filesystem;
using Words = std::vector<std::string>;

constexpr int kRate = recording::kRate;

bool WaitFor(const std::function<bool()>& done) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (!done()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return true;
}

class RecordingsTest : public PollingTest {
 protected:
  void SetUp() override {
    PollingTest::SetUp();
    platform::InstallSoundCapture(&capture);
    ModeText = "FM";
    testing::LoadListLines(testing::BankLines("Srchbank", "FM", {}));
    AudioInputText = "Line In";
  }
  void TearDown() override {
    StopRecordings();
    platform::InstallSoundCapture(nullptr);
    PollingTest::TearDown();
  }
  // A search runs with the input open, then halts on 145.25 after `before` seconds of sound,
  // holds the signal for `held` seconds and runs on. The hit log's recording column.
  std::string SearchHit(double before, double held) {
    SearchActive = kSearchRunning;
    StopMode = 1;
    LevelPoll("LM%000");
    EXPECT_TRUE(WaitFor([this] { return capture.IsOpen(); }));
    capture.Feed(static_cast<std::size_t>(before * kRate));
    LevelPoll("LM 100");
    Tick();
    line->Feed("VS RF0145250000 ST012500 AU0 MD1 AT0");
    Tick();
    WaitForRecordings();
    capture.Feed(static_cast<std::size_t>(held * kRate));
    LevelPoll("LM%000");  // the search runs on: the hit ends
    WaitForRecordings();
    const std::string text = ReadFile("hits.csv");
    const auto cut = text.rfind(',', text.size() - 3);
    return text.substr(cut + 1, text.size() - cut - 3);
  }
  void WriteRecording(const std::string& name, double seconds) {
    const int folder = recording::OpenFolder(true);
    recording::OpusWriter writer;
    const std::vector<std::int16_t> samples(static_cast<std::size_t>(seconds * kRate), 500);
    ASSERT_TRUE(writer.Create(folder, name));
    ASSERT_TRUE(writer.Write(samples.data(), samples.size()));
    ASSERT_TRUE(writer.Finish());
    ::close(folder);
  }

  fakes::FakeSoundCapture capture;
};

TEST_F(RecordingsTest, AHitIsRecordedFromTwoSecondsBeforeItsHaltToItsEndAndLoggedByName) {
  StartRecordings();
  const std::string name = SearchHit(3.0, 1.5);
  EXPECT_EQ(name, "20261206-094107_145.2500.opus");
  EXPECT_EQ(ReadFile("hits.csv").substr(0, ReadFile("hits.csv").find('\r')),
            "start,end,duration_s,frequency_mhz,mode,level_raw,s_reading,hits,source,label,"
            "recording");
  std::vector<std::int16_t> samples;
  int rate = 0;
  ASSERT_TRUE(recording::ReadRecording("recordings/" + name, samples, rate));
  EXPECT_EQ(rate, kRate);
  EXPECT_NEAR(static_cast<double>(samples.size()) / kRate, 3.5, 0.03);
  EXPECT_EQ(capture.opened, (std::vector<std::string>{"Line In@16000"}));
  SearchActive = kNoSearch;
  LevelPoll("LM 000");
  EXPECT_TRUE(WaitFor([this] { return !capture.IsOpen(); })) << "the input stays open";
  const Words words = sound.Words();
  EXPECT_EQ(std::count(words.begin(), words.end(), "failed"), 0);
}

TEST_F(RecordingsTest, WithNoInputChosenNothingIsRecordedAndTheHitLogAndJStayAsTheyWere) {
  AudioInputText = "";
  StartRecordings();
  SearchActive = kSearchRunning;
  LevelPoll("LM%000");
  EXPECT_EQ(Key('J'), Words{});
  EXPECT_TRUE(capture.opened.empty());
  EXPECT_FALSE(fs::exists("recordings"));
}

TEST_F(RecordingsTest, TheFolderIsKeptWithinTheSizeOfTheSetUpOldestFirst) {
  AudioInputText = "";
  WriteFile("KESTREL.CFG",
            "Com=COM1\r\nBaud: 9600\r\nBits:8N2\r\nVoice:1\r\nDebug:0\r\n"
            "AudioIn:Line In\r\nRecordingsMB:1\r\n");
  ASSERT_EQ(OpenFile(ConfigFile, "KESTREL.CFG", "R"), 0);
  ReadConfiguration();
  ReadRecordingSettings();
  CloseFile(ConfigFile);
  EXPECT_EQ(AudioInputText, "Line In");
  EXPECT_EQ(RecordingsLimitMb, 1);
  fs::create_directory("recordings");
  const char* old[] = {"20250101-000000_145.0000.opus", "20250102-000000_145.0000.opus",
                       "20250103-000000_145.0000.opus"};
  for (const char* name : old)
    WriteFile(std::string("recordings/") + name, std::string(400000, 'x'));
  WriteFile("recordings/notes.txt", std::string(400000, 'x'));
  StartRecordings();
  SearchHit(2.0, 1.0);
  EXPECT_FALSE(fs::exists(std::string("recordings/") + old[0]));
  EXPECT_TRUE(fs::exists(std::string("recordings/") + old[1]));
  EXPECT_TRUE(fs::exists(std::string("recordings/") + old[2]));
  EXPECT_TRUE(fs::exists("recordings/notes.txt")) << "only recordings are removed";
  EXPECT_TRUE(fs::exists("recordings/20261206-094107_145.2500.opus"));
}

TEST_F(RecordingsTest, ARecordingThatCannotBeWrittenIsDroppedWithOneFailedAndTheSearchGoesOn) {
  fs::create_directory("recordings");
  ASSERT_EQ(::mkfifo("recordings/20261206-094107_145.2500.opus", 0644), 0);
  StartRecordings();
  EXPECT_EQ(SearchHit(2.0, 1.0), "") << "a FIFO in the way";
  EXPECT_TRUE(fs::is_fifo("recordings/20261206-094107_145.2500.opus"));
  EXPECT_EQ(Key('Y').front(), "failed");
  // A full disk: the file cannot grow as far as the recording needs.
  clock.now.second = 30;
  rlimit saved{};
  ::getrlimit(RLIMIT_FSIZE, &saved);
  const auto previous = std::signal(SIGXFSZ, SIG_IGN);
  rlimit small = saved;
  small.rlim_cur = 4000;
  ::setrlimit(RLIMIT_FSIZE, &small);
  SearchHit(2.0, 8.0);
  ::setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, previous);
  EXPECT_FALSE(fs::exists("recordings/20261206-094130_145.2500.opus")) << "no half recording";
  const Words words = Key('Y');
  EXPECT_EQ(std::count(words.begin(), words.end(), "failed"), 0) << "once per run";
  EXPECT_EQ(SearchActive, kSearchRunning);
}

TEST_F(RecordingsTest, JSaysTheNewestHitAndHowLongAgoThenPlaysItAndStepsBack) {
  WriteRecording("20261205-094107_446.0000.opus", 0.5);
  WriteRecording("20261206-062907_145.2500.opus", 1.0);  // 3 hours 12 minutes before the clock
  StartRecordings();
  EXPECT_EQ(Key('J'), (Words{"1", "4", "5", "point", "2", "5", "3", "hours", "1", "2", "minutes"}));
  ASSERT_EQ(sound.sample_plays.size(), 1u);
  EXPECT_NEAR(static_cast<double>(sound.sample_plays[0].first), kRate, kRate / 50);
  EXPECT_EQ(sound.sample_plays[0].second, kRate);
  // J again stops the one playing ("") and steps back.
  EXPECT_EQ(Key('J'), (Words{"", "4", "4", "6", "1", "day", "0", "hours"}));
  EXPECT_EQ(Key('J'), (Words{"", "none"}));
  Key('J');
  EXPECT_EQ(Key('V').front(), "") << "any other key stops the playing and is acted on";
  EXPECT_GT(sound.Words().size(), 3u);
  EXPECT_EQ(Key('J').front(), "1") << "and J starts from the newest again";
}

}  // namespace
}  // namespace kestrel
