// Drives the event handler as the window runtime does: events by code, timer ticks, and
// level polls whose reply waits on the fake receiver line when it is read.
#pragma once

#include <string>
#include <vector>

#include "app/app.h"
#include "fakes/kestrel_test.h"
#include "runtime/window.h"
#include "state/app.h"
#include "state/link.h"
#include "state/speech.h"

namespace kestrel {

class PollingTest : public fakes::KestrelTest {
 protected:
  void SetUp() override {
    KestrelTest::SetUp();
    line = &ConnectReceiver();
    LinkState = kLinkAnswered;
    RunFlag = 1;
    LevelBarText = "******************";
    SpeechOn();
    ScanVoice = 1;
  }

  void Send(int message, int code = 0) {
    EventMessage = message;
    EventCode = code;
    HandleWindowEvent();
  }
  void Press(int key) { Send(256, key); }
  void Release(int key) { Send(257, key); }
  void Tick() { Send(275, 1); }
  // A key pressed and served, then its reply marker: the words it said.
  std::vector<std::string> Key(char letter) {
    sound.Clear();
    Press(letter);
    Release(letter);
    Tick();
    Tick();
    return sound.Words();
  }

  // One level poll from an idle poller: "LM" is sent, then the reply is read.
  void LevelPoll(const std::string& reply) {
    ASSERT_EQ(PollState, kServeKeys);
    ASSERT_EQ(KeyQueueCount, 0);
    Tick();
    Tick();
    line->Feed(reply);
    Tick();
  }

  // Texts drawn at one place since the last Forget().
  std::vector<std::string> DrawnAt(int x, int y) const {
    std::vector<std::string> texts;
    for (const auto& drawn : window.drawn) {
      if (drawn.x == x && drawn.y == y) texts.push_back(drawn.text);
    }
    return texts;
  }
  void Forget() {
    window.drawn.clear();
    sound.Clear();
    line->TakeWritten();
  }

  fakes::FakeLine* line = nullptr;
};

}  // namespace kestrel
