// The program entry: the working folder is entered, the Linux implementations of the
// platform are installed, then the main line runs.
#include <iostream>
#include <string>
#include <vector>

#include "app/app.h"
#include "link/port.h"
#include "runtime/journal.h"
#include "runtime/platform/linux_folders.h"
#include "runtime/platform/linux_serial.h"
#include "runtime/platform/linux_sound.h"
#include "runtime/platform/linux_window.h"

namespace {

constexpr int kRefused = 2;

void PrintHelp() {
  std::cout << "Usage: kestrel [--folder DIR | --user-folder]\n"
               "\n"
               "The talking front panel for the AR8600 receiver. It reads KESTREL.CFG (written\n"
               "by panelset) from its working folder, keeps its bank files there, and plays\n"
               "its words from wave/ there or from the installed voice set.\n"
               "\n"
            << kestrel::platform::kFolderOptionsHelp
            << "  --help          show this text\n"
               "  --version       show the version\n";
}

// Handles the command line; -1 to run the panel, otherwise the exit code.
int ReadCommandLine(std::vector<std::string> args) {
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
  const int done = ReadCommandLine(std::vector<std::string>(argv + 1, argv + argc));
  if (done >= 0) return done;
  OpenJournalFromEnvironment();
  platform::TermiosSerialPorts serial_ports;
  platform::SdlWindowSystem window_system;
  platform::SdlSoundPlayer sound_player;
  platform::InstallSerialPorts(&serial_ports);
  platform::InstallWindowSystem(&window_system);
  platform::InstallSoundPlayer(&sound_player);
  const int exit_code = RunProgram();
  CloseAllPorts();
  platform::InstallSoundPlayer(nullptr);
  platform::InstallWindowSystem(nullptr);
  platform::InstallSerialPorts(nullptr);
  CloseJournal();
  return exit_code;
}
