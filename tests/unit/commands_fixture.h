// The command tests' base: the receiver connected and answered, the settings the panel
// has after connecting, and keys pressed the way the poller hands them over.
#pragma once

#include <string>
#include <vector>

#include "bank_test_files.h"
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
    SpeechOn();
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
  // A bank file as the bank operations write it, its entries without labels.
  static std::string BankText(const std::vector<std::string>& entries,
                              const std::string& mode = "FM") {
    std::vector<testing::Entry> rows;
    for (const auto& entry : entries) rows.push_back({entry});
    return testing::BankBytes(testing::BankLines("bank", mode, rows));
  }
  void WriteBank(const std::string& name, const std::vector<std::string>& entries,
                 const std::string& mode = "FM") {
    WriteFile(name, BankText(entries, mode));
  }

  FakeLine* line = nullptr;
};

using WordList = std::vector<std::string>;

}  // namespace kestrel::fakes
