// The platform implementations in use. Until main (or a test) installs others, the program
// runs against inert ones: no port opens, no sound plays, no window shows.
#include <chrono>
#include <ctime>
#include <thread>

#include "runtime/platform/clock.h"
#include "runtime/platform/serial_device.h"
#include "runtime/platform/sound_player.h"
#include "runtime/platform/speech_service.h"
#include "runtime/platform/window_system.h"

namespace kestrel::platform {
namespace {

class SystemClock final : public Clock {
 public:
  LocalTime Now() override {
    timespec stamp{};
    clock_gettime(CLOCK_REALTIME, &stamp);
    std::tm parts{};
    localtime_r(&stamp.tv_sec, &parts);
    return {parts.tm_year + 1900,
            parts.tm_mon + 1,
            parts.tm_mday,
            parts.tm_hour,
            parts.tm_min,
            parts.tm_sec,
            static_cast<int>(stamp.tv_nsec / 1000000)};
  }
};

class NoSerialPorts final : public SerialPorts {
 public:
  std::unique_ptr<SerialDevice> Open(const std::string&) override { return nullptr; }
};

class NoSound final : public SoundPlayer {
 public:
  std::string Play(const std::string&, bool) override { return {}; }
};

class NoSpeech final : public SpeechService {
 public:
  std::string Open() override { return "no speech server"; }
  bool Say(const std::string&) override { return false; }
  bool Cancel() override { return false; }
  SpeechEvent WaitEvent(std::chrono::steady_clock::time_point) override {
    return SpeechEvent::kLost;
  }
  std::string Problem() const override { return "no speech server"; }
  void Close() override {}
};

class NoWindow final : public WindowSystem {
 public:
  bool Open(int, int, int, int, const std::string&) override { return false; }
  int DrawText(int, int, const FontSpec&, std::uint32_t, const std::string&) override { return 0; }
  void Present() override {}
  void StartTimer(int, int) override {}
  void StopTimer(int) override {}
  void TickNow(int) override {}
  void WatchReadable(int, bool) override {}
  std::vector<WindowEvent> WaitEvents() override { return {}; }
  void Close() override {}
  bool IsOpen() const override { return false; }
};

SystemClock system_clock;
NoSerialPorts no_serial_ports;
NoSound no_sound;
NoSpeech no_speech;
NoWindow no_window;

Clock* clock_in_use = &system_clock;
SerialPorts* ports_in_use = &no_serial_ports;
SoundPlayer* player_in_use = &no_sound;
SpeechService* speech_in_use = &no_speech;
WindowSystem* window_in_use = &no_window;

}  // namespace

Clock& GetClock() { return *clock_in_use; }
void InstallClock(Clock* clock) { clock_in_use = clock ? clock : &system_clock; }

long long Clock::SteadyMilliseconds() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

SerialPorts& GetSerialPorts() { return *ports_in_use; }
void InstallSerialPorts(SerialPorts* ports) { ports_in_use = ports ? ports : &no_serial_ports; }

SoundPlayer& GetSoundPlayer() { return *player_in_use; }
void InstallSoundPlayer(SoundPlayer* player) { player_in_use = player ? player : &no_sound; }

SpeechService& GetSpeechService() { return *speech_in_use; }
void InstallSpeechService(SpeechService* service) {
  speech_in_use = service ? service : &no_speech;
}

// A window system that cannot wait for input sleeps the time through.
std::vector<WindowEvent> WindowSystem::WaitInput(int timeoutMs, const std::vector<int>&) {
  if (timeoutMs > 0) std::this_thread::sleep_for(std::chrono::milliseconds(timeoutMs));
  return {};
}

WindowSystem& GetWindowSystem() { return *window_in_use; }
void InstallWindowSystem(WindowSystem* system) { window_in_use = system ? system : &no_window; }

}  // namespace kestrel::platform
