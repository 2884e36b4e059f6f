// The program entry: the Linux implementations of the platform are installed, then the
// main line runs. There is no command line.
#include "app/app.h"
#include "link/port.h"
#include "runtime/journal.h"
#include "runtime/platform/linux_serial.h"
#include "runtime/platform/linux_sound.h"
#include "runtime/platform/linux_speechd.h"
#include "runtime/platform/linux_window.h"

int main() {
  using namespace kestrel;
  OpenJournalFromEnvironment();
  platform::TermiosSerialPorts serial_ports;
  platform::SdlWindowSystem window_system;
  platform::SdlSoundPlayer sound_player;
  platform::SpeechdService speech_service;
  platform::InstallSerialPorts(&serial_ports);
  platform::InstallWindowSystem(&window_system);
  platform::InstallSoundPlayer(&sound_player);
  platform::InstallSpeechService(&speech_service);
  const int exit_code = RunProgram();
  CloseAllPorts();
  platform::InstallSpeechService(nullptr);
  platform::InstallSoundPlayer(nullptr);
  platform::InstallWindowSystem(nullptr);
  platform::InstallSerialPorts(nullptr);
  CloseJournal();
  return exit_code;
}
