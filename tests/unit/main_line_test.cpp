#include <string>
#include <vector>

#include "app/app.h"
#include "bank_test_files.h"
#include "fakes/kestrel_test.h"
#include "runtime/config_format.h"
#include "state/app.h"
#include "state/banks.h"
#include "state/controls.h"
#include "state/link.h"
#include "state/speech.h"

namespace kestrel {
namespace {

using Words = std::vector<std::string>;

class MainLineTest : public fakes::KestrelTest {
 protected:
  void SetUp() override {
    KestrelTest::SetUp();
    window.Close();  // the program opens its own window
    window.closeCount = 0;
    MainWindow.open = false;
  }
  // A configuration of five lines as the configuration program writes it.
  void Configure(const std::string& port, const std::string& voice, const std::string& debug) {
    WriteFile("KESTREL.CFG", "Com=" + port + "\r\nBaud: 9600\r\nBits:8N2\r\nVoice:" + voice +
                                 "\r\nDebug:" + debug + "\r\n");
  }
  // Runs the program; the window is closed after the given number of timer ticks.
  int Run(int ticks = 0) {
    std::vector<platform::WindowEvent> batch;
    for (int i = 0; i < ticks; ++i) window.QueueBatch({{platform::kEventTimer, 1, 0}});
    window.QueueBatch({{platform::kEventClose, 0, 0}});
    return RunProgram();
  }
};

TEST_F(MainLineTest, MissingConfigurationShowsTwoLinesSaysCfnfAndEnds) {
  ports.Add("COM1");
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(window.Texts(),
            (Words{"--- KESTREL.CFG file not found ---", "please run the 'PANELSET' program"}));
  EXPECT_EQ(window.drawn[0].y, 30);
  EXPECT_EQ(window.drawn[1].y, 60);
  EXPECT_EQ(sound.Paths(), (Words{"wave\\cfnf"}));
  EXPECT_TRUE(ports.OpenAttempts().empty());
  EXPECT_FALSE(window.open);
  EXPECT_EQ(window.closeCount, 1);
}

TEST_F(MainLineTest, StartUpPutsTheReceiverIntoItsKnownState) {
  auto& line = ports.Add("COM1");
  Configure("COM1", "1", "0");
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(line.written, "VA0145000000\rMD1\rST012.50\rAT0\rEX\r");
  EXPECT_EQ(line.settings.baud, 9600);
  EXPECT_EQ(line.settings.stopBits, 2);
  EXPECT_EQ(line.timeouts.intervalMs, -1);
  EXPECT_EQ(sound.Words(true), (Words{"kestrel", "4", "point", "0", "1", "4", "5", "point", "0",
                                      "shdel", "FM", "shdel", "attoff"}));
  EXPECT_EQ(window.caption, "*** AR8600 Kestrel Front Panel v4.0c***");
  EXPECT_EQ(window.width, 950);
  EXPECT_EQ(window.height, 500);
  EXPECT_EQ(window.timerPeriodMs, 100);
  EXPECT_EQ(window.drawn.front().text, "*** Kestrel V 4.0c ***");
  EXPECT_EQ(window.drawn.front().x, 270);
  EXPECT_EQ(FrequencyText, "145.0");
  EXPECT_EQ(ModeText, "FM");
  EXPECT_EQ(AttenuatorOn, 0);
  EXPECT_FALSE(FileExists("debug1.dat"));
}

TEST_F(MainLineTest, TraceHasItsHeaderAndNeverTheFinalExit) {
  ports.Add("COM1");
  Configure("COM1", "1", "1");
  Run();
  EXPECT_EQ(ReadFile("debug1.dat"),
            "KESTREL 4.0c  06-12-2026   09:41:07\r\n"
            "TX= VA0145000000\r\nTX= MD1\r\nTX= ST012.50\r\nTX= AT0\r\n");
}

TEST_F(MainLineTest, TraceOffLeavesAnOldTraceUntouched) {
  ports.Add("COM1");
  Configure("COM1", "1", "2");
  WriteFile("debug1.dat", "old trace\r\n");
  Run();
  EXPECT_EQ(ReadFile("debug1.dat"), "old trace\r\n");
}

TEST_F(MainLineTest, OnlyTheLastCharacterOfThePortLineCounts) {
  ports.Add("COM2");
  auto& twelve = ports.Add("\\\\.\\COM12");
  Configure("COM12", "1", "0");
  Run();
  EXPECT_EQ(PortNumber, 2);
  EXPECT_EQ(twelve.opens, 0);
  EXPECT_EQ(ports.Line("COM2").opens, 1);
}

TEST_F(MainLineTest, SpeechOffSilencesWordsButNotPauses) {
  ports.Add("COM1");
  Configure("COM1", "x", "0");
  Run();
  EXPECT_EQ(WaveFolder, "");
  EXPECT_EQ(sound.Paths(), (Words{"kestrel", "4", "point", "0", "1", "4", "5", "point", "0",
                                  "wave\\shdel", "FM", "wave\\shdel", "attoff"}));
}

TEST_F(MainLineTest, AnEmptyConfigurationLeavesThePortClosedAndSpeechOff) {
  ports.Add("COM1");
  WriteFile("KESTREL.CFG", "");
  Run();
  EXPECT_EQ(PortNumber, 0);
  EXPECT_EQ(VoiceEnabled, config::kVoiceOff);
  EXPECT_EQ(DebugFlag, 0);
  EXPECT_EQ(BaudRate, 0);
  EXPECT_TRUE(ports.OpenAttempts().empty());
  EXPECT_EQ(ports.Line("COM1").written, "");
  EXPECT_EQ(sound.Paths().front(), "kestrel");
}

TEST_F(MainLineTest, AConfiguredPortWithNothingBehindItRunsAndCloses) {
  Configure("COM7", "1", "0");
  EXPECT_EQ(Run(3), 0);
  EXPECT_EQ(ports.OpenAttempts(), (Words{"COM7"}));
  EXPECT_FALSE(window.open);
}

TEST_F(MainLineTest, APortThatWouldNotOpenLeavesItsReasonInTheTrace) {
  ports.openProblem = "/dev/ttyUSB0: permission denied";
  Configure("COM7", "1", "1");
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(ReadFile("debug1.dat"),
            "KESTREL 4.0c  06-12-2026   09:41:07\r\n"
            "Port COM7 not opened: /dev/ttyUSB0: permission denied\r\n"
            "TX= VA0145000000\r\nTX= MD1\r\nTX= ST012.50\r\nTX= AT0\r\n");
}

TEST_F(MainLineTest, ClosingDuringASearchKeepsItsFinds) {
  // The search list as the search left it, with one find.
  SearchActive = kSearchRunning;
  testing::LoadListLines(testing::BankLines("Srchbank", "FM", {{"145.5"}}));
  ShutDown();
  EXPECT_EQ(ReadFile("bank00.dat"), "Srchbank\r\nFM\r\n12.5\r\n \r\n145.5\r\n \r\n9999\r\n");
}

}  // namespace
}  // namespace kestrel
