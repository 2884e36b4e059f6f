// The command tests' base: the receiver connected and answered, the settings the panel
// has after connecting, and keys pressed the way the poller hands them over.
#pragma once

#include <string>
#include <vector>

#include "commands/commands.h"
#include "fakes/kestrel_test.h"
#include "state/app.h"
#include "state/banks.h"
#include "state/commands.h"
#include "state/controls.h"
#include "state/key_codes.h"
#include "state/link.h"
#include "state/speech.h"

namespace kestrel::fakes {

class CommandsTest : public KestrelTest {
 protected:
  void SetUp() override {
    KestrelTest::SetUp();
    line = &ConnectReceiver();
    WaveFolder = "wave\\";
    SoundFolder = "wave\\";
    LinkState = kLinkAnswered;
    FrequencyText = "145.0";
    FrequencyEntryFresh = 1;
    StepText = "12.5";
    ModeText = "FM";
    SearchStartText = "145";
    SearchEndText = "146";
    PassCount = 1;
    ScanVoice = 1;
    LastScanBank = "X";
  }

  // Each press queues the key and the reply marker, and each entry gets its own call.
  void Press(const std::vector<int>& codes) {
    for (int code : codes) {
      KeyQueue[KeyQueueCount++] = code;
      KeyQueue[KeyQueueCount++] = keys::kReplyMarker;
      HandleKey();
      HandleKey();
    }
  }
  void Type(const std::string& keys) {
    for (char c : keys) Press({c});
  }
  void Forget() {
    line->TakeWritten();
    sound.Clear();
    window.drawn.clear();
  }
  std::vector<std::string> Words() const { return sound.Words(); }
  // A bank file as the bank operations write it: name, mode, step, blank, entries, marker.
  void WriteBank(const std::string& name, const std::vector<std::string>& entries,
                 const std::string& mode = "FM") {
    std::string text = "bank\r\n" + mode + "\r\n12.5\r\n \r\n";
    for (const auto& entry : entries) text += entry + "\r\n \r\n";
    WriteFile(name, text + "9999\r\n");
  }

  FakeLine* line = nullptr;
};

using WordList = std::vector<std::string>;

}  // namespace kestrel::fakes
