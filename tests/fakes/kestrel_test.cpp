#include "fakes/kestrel_test.h"

#include <fstream>
#include <sstream>

#include <unistd.h>

#include "display/display.h"
#include "link/port.h"
#include "state/app.h"
#include "state/link.h"

namespace kestrel::fakes {

void KestrelTest::SetUp() {
  ResetProgramState();
  platform::InstallSerialPorts(&ports);
  platform::InstallSoundPlayer(&sound);
  platform::InstallWindowSystem(&window);
  platform::InstallClock(&clock);
  // The main window stands open, as after start-up, and drawing goes to it.
  window.Open(250, 100, 950, 500, "test");
  MainWindow.open = true;
  NameWindow(MainWindow);
  previous_folder_ = std::filesystem::current_path();
  std::string pattern = (std::filesystem::temp_directory_path() / "kestrel-unit-XXXXXX").string();
  folder = ::mkdtemp(pattern.data());
  std::filesystem::current_path(folder);
}

void KestrelTest::TearDown() {
  ResetProgramState();
  platform::InstallSerialPorts(nullptr);
  platform::InstallSoundPlayer(nullptr);
  platform::InstallWindowSystem(nullptr);
  platform::InstallClock(nullptr);
  std::filesystem::current_path(previous_folder_);
  std::error_code ignored;
  std::filesystem::remove_all(folder, ignored);
}

void KestrelTest::WriteFile(const std::string& name, const std::string& bytes) {
  std::ofstream out(folder / name, std::ios::binary);
  out << bytes;
}

std::string KestrelTest::ReadFile(const std::string& name) {
  std::ifstream in(folder / name, std::ios::binary);
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

bool KestrelTest::FileExists(const std::string& name) {
  return std::filesystem::exists(folder / name);
}

FakeLine& KestrelTest::ConnectReceiver() {
  FakeLine& line = ports.Add("COM1");
  PortNumber = 1;
  OpenPort(1, 9600);
  SetReadTimeouts(1, -1);
  SetLineShape(1, 8, 0, 2);
  return line;
}

}  // namespace kestrel::fakes
