// The program entry: the working folder is entered, the Linux implementations of the
// platform are installed, then the main line runs. --rigctl[=ADDRESS:PORT] opens the
// network control port.
#include <algorithm>
#include <csignal>
#include <iostream>
#include <string>
#include <vector>

#include "app/app.h"
#include "app/first_start.h"
#include "link/port.h"
#include "panelset.h"
#include "rigctl/rigctl.h"
#include "runtime/journal.h"
#include "runtime/platform/linux_capture.h"
#include "runtime/platform/linux_folders.h"
#include "runtime/platform/linux_serial.h"
#include "runtime/platform/linux_sockets.h"
#include "runtime/platform/linux_sound.h"
#include "runtime/platform/linux_speechd.h"
#include "runtime/platform/linux_window.h"
#include "runtime/window.h"
#include "speech/announcements.h"

namespace {

constexpr int kRefused = 2;

// Where the network control port listens (port 0: any free port); off unless asked for.
struct RigControlOption {
  bool wanted = false;
  std::string address;
  int port = 0;
};

void PrintHelp() {
  std::cout << "Usage: kestrel [--folder DIR | --user-folder] [--rigctl[=ADDRESS:PORT]]\n"
               "\n"
               "The talking front panel for the AR8600 receiver. It reads KESTREL.CFG (written\n"
               "by panelset) from its working folder, keeps its bank files there, and plays\n"
               "its words from wave/ there or from the installed voice set.\n"
               "\n"
            << kestrel::platform::kFolderOptionsHelp
            << "  --rigctl[=ADDRESS:PORT]  serve Hamlib's NET rigctl protocol (default "
            << kestrel::kRigctlDefaultAddress << ":" << kestrel::kRigctlDefaultPort << ")\n"
            << "  --help          show this text\n"
               "  --version       show the version\n";
}

// Handles the command line; -1 to run the panel, otherwise the exit code.
int ReadCommandLine(std::vector<std::string> args, RigControlOption& rig) {
  for (const std::string& arg : args) {
    if (arg == "--help" || arg == "-h") {
      PrintHelp();
      return 0;
    }
    if (arg == "--version") {
      std::cout << "kestrel " << KESTREL_VERSION << "\n";
      return 0;
    }
  }
  std::string folder, problem;
  if (kestrel::platform::TakeFolderOption(args, folder, problem)) {
    std::erase_if(args, [&rig](const std::string& arg) {
      const bool taken = kestrel::ParseRigctlOption(arg, rig.address, rig.port);
      rig.wanted = rig.wanted || taken;
      return taken;
    });
    if (!args.empty()) {
      problem = "unknown option '" + args.front() + "'";
    } else if (kestrel::platform::EnterFolder(folder, problem)) {
      return -1;
    }
  }
  std::cerr << "kestrel: " << problem << "\nTry 'kestrel --help'.\n";
  return kRefused;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace kestrel;
  RigControlOption rig;
  const int done = ReadCommandLine(std::vector<std::string>(argv + 1, argv + argc), rig);
  if (done >= 0) return done;
  // A reader that went away (a closed pipe on standard output) is a failed write, never
  // the end of the panel.
  std::signal(SIGPIPE, SIG_IGN);
  // Only the user's Kestrel folder (the menu's start) looks for the receiver by itself.
  if (std::find(argv + 1, argv + argc, std::string("--user-folder")) != argv + argc) {
    EnableFirstStartSearch(panelset::WriteFoundReceiver);
  }
  OpenJournalFromEnvironment();
  OpenTextLineFromEnvironment();
  platform::TermiosSerialPorts serial_ports;
  platform::SdlWindowSystem window_system;
  platform::SdlSoundPlayer sound_player;
  platform::PosixSockets sockets;
  platform::SpeechdService speech_service;
  platform::SdlSoundCapture sound_capture;
  platform::InstallSerialPorts(&serial_ports);
  platform::InstallWindowSystem(&window_system);
  platform::InstallSoundPlayer(&sound_player);
  platform::InstallNetSockets(&sockets);
  platform::InstallSpeechService(&speech_service);
  platform::InstallSoundCapture(&sound_capture);
  if (rig.wanted && StartRigControl(rig.address, rig.port)) SetLoopService(ServeRigControl);
  const int exit_code = RunProgram();
  StopRigControl();
  CloseAllPorts();
  platform::InstallSoundCapture(nullptr);
  platform::InstallSpeechService(nullptr);
  platform::InstallNetSockets(nullptr);
  platform::InstallSoundPlayer(nullptr);
  platform::InstallWindowSystem(nullptr);
  platform::InstallSerialPorts(nullptr);
  CloseJournal();
  return exit_code;
}
