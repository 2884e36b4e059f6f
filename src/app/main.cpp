// The program entry: the Linux implementations of the platform are installed, then the
// main line runs. The one option, --rigctl[=ADDRESS:PORT], opens the network control port.
#include <cstdio>
#include <string>

#include "app/app.h"
#include "link/port.h"
#include "rigctl/rigctl.h"
#include "runtime/journal.h"
#include "runtime/platform/linux_serial.h"
#include "runtime/platform/linux_sockets.h"
#include "runtime/platform/linux_sound.h"
#include "runtime/platform/linux_window.h"
#include "runtime/window.h"
#include "speech/announcements.h"

int main(int argc, char** argv) {
  using namespace kestrel;
  bool rigControl = false;
  std::string rigAddress;
  int rigPort = 0;
  for (int i = 1; i < argc; ++i) {
    if (!ParseRigctlOption(argv[i], rigAddress, rigPort)) {
      std::fprintf(stderr, "usage: kestrel [--rigctl[=ADDRESS:PORT]]  (default %s:%d)\n",
                   kRigctlDefaultAddress, kRigctlDefaultPort);
      return 2;
    }
    rigControl = true;
  }
  OpenJournalFromEnvironment();
  OpenTextLineFromEnvironment();
  platform::TermiosSerialPorts serial_ports;
  platform::SdlWindowSystem window_system;
  platform::SdlSoundPlayer sound_player;
  platform::PosixSockets sockets;
  platform::InstallSerialPorts(&serial_ports);
  platform::InstallWindowSystem(&window_system);
  platform::InstallSoundPlayer(&sound_player);
  platform::InstallNetSockets(&sockets);
  if (rigControl && StartRigControl(rigAddress, rigPort)) SetLoopService(ServeRigControl);
  const int exit_code = RunProgram();
  StopRigControl();
  CloseAllPorts();
  platform::InstallNetSockets(nullptr);
  platform::InstallSoundPlayer(nullptr);
  platform::InstallWindowSystem(nullptr);
  platform::InstallSerialPorts(nullptr);
  CloseJournal();
  return exit_code;
}
