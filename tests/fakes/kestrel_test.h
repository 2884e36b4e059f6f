// The base of every unit test: program state reset, the recording fakes installed, and a
// fresh temporary working folder that is removed afterwards.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <ostream>
#include <string>

#include "fakes/fake_clock.h"
#include "fakes/fake_serial.h"
#include "fakes/fake_sound.h"
#include "fakes/fake_window.h"
#include "runtime/text.h"
#include "state/speech.h"

namespace kestrel {
// Lets test failures show a Text as its characters.
inline void PrintTo(const Text& text, std::ostream* out) { *out << '"' << text.str() << '"'; }
}  // namespace kestrel

namespace kestrel::fakes {

class KestrelTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Writes a file in the working folder, bytes as given.
  void WriteFile(const std::string& name, const std::string& bytes);
  std::string ReadFile(const std::string& name);
  bool FileExists(const std::string& name);

  // Makes COM1 present, opens it as the receiver's port with the port layer and returns it.
  FakeLine& ConnectReceiver();
  // Speech on, as start-up leaves it: words are heard from "wave\".
  void SpeechOn() {
    WaveFolder = "wave\\";
    SoundFolder = "wave\\";
  }

  FakeSerialPorts ports;
  FakeSoundPlayer sound;
  FakeWindowSystem window;
  FakeClock clock;
  std::filesystem::path folder;

 private:
  std::filesystem::path previous_folder_;
};

}  // namespace kestrel::fakes
