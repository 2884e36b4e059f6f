// receiver-sim: a simulated AR8600 on a pseudo-terminal (see --help).
#include <poll.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <iostream>

#include "line_splitter.h"
#include "options.h"
#include "output_queue.h"
#include "pty_link.h"
#include "receiver.h"
#include "runtime/journal.h"

namespace kestrel::sim {
namespace {

volatile std::sig_atomic_t stop_requested = 0;

void RequestStop(int) { stop_requested = 1; }

void CatchStopSignals() {
  struct sigaction action {};
  action.sa_handler = RequestStop;
  sigemptyset(&action.sa_mask);
  // No SA_RESTART: the signal wakes the wait in poll at once.
  sigaction(SIGTERM, &action, nullptr);
  sigaction(SIGINT, &action, nullptr);
  std::signal(SIGPIPE, SIG_IGN);
}

// Every line is flushed at once, so a test reading the log sees each command as it comes.
class CommandLog {
 public:
  explicit CommandLog(const std::string& path)
      : file_(path.empty() ? nullptr : std::fopen(path.c_str(), "w")) {}
  ~CommandLog() {
    if (file_) std::fclose(file_);
  }
  bool Failed(const std::string& path) const { return !path.empty() && !file_; }
  void Command(Millis ms, std::string_view text) { Event(ms, EscapeForJournal(text)); }
  void Event(Millis ms, const std::string& text) {
    if (!file_) return;
    std::fprintf(file_, "%lld\t%s\n", static_cast<long long>(ms), text.c_str());
    std::fflush(file_);
  }

 private:
  std::FILE* file_;
};

constexpr Millis kSettingsPollMs = 50;
constexpr Millis kIdleWaitMs = 20;  // how often to look for a panel while none is there
constexpr Millis kLongestWaitMs = 1000;

class Simulator {
 public:
  Simulator(const SimOptions& options, Receiver& receiver, PtyLink& link, CommandLog& log)
      : options_(options), receiver_(receiver), link_(link), log_(log), output_(options.output) {}

  void Serve() {
    while (!stop_requested) {
      const Millis now = Now();
      if (now >= options_.exitAfterMs) return;
      if (!hungUp_ && now >= options_.hangupAfterMs) HangUp(now);
      if (!hungUp_) Step(now);
      Wait();
    }
  }

 private:
  Millis Now() const {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                                 start_)
        .count();
  }

  void Step(Millis now) {
    const bool open = link_.PeerOpen();
    // What a closing panel wrote last still counts (its "EX"), so it is read before the close
    // is noted. The panel sets the line up before it writes: the settings come first. Bytes
    // show that a panel was there even when it came and went between two looks.
    const std::string bytes = link_.ReadAvailable();
    if ((open || !bytes.empty()) && !peerOpen_) PeerOpened(now);
    WatchSettings(now, !bytes.empty());
    TakeCommands(bytes);
    if (!open && peerOpen_) PeerClosed(now);
    if (!options_.silent) Send(receiver_.Advance(Now()));
    for (std::string out; !(out = output_.TakeDue(Now())).empty();) {
      if (peerOpen_) link_.Write(out);
    }
  }

  void PeerOpened(Millis now) {
    peerOpen_ = true;
    log_.Event(now, "PORT OPENED");
  }

  // Nothing is kept for a panel that has gone, not even half a command: the next one starts
  // afresh.
  void PeerClosed(Millis now) {
    peerOpen_ = false;
    log_.Event(now, "PORT CLOSED");
    const std::string before = link_.TerminalName();
    std::string error;
    if (!link_.Release(error)) log_.Event(now, "TERMINAL LEFT EXCLUSIVE: " + error);
    if (link_.TerminalName() != before) log_.Event(now, "TERMINAL " + link_.TerminalName());
    output_.Clear();
    splitter_ = LineSplitter{};
  }

  void WatchSettings(Millis now, bool atOnce) {
    if (now < nextSettingsPoll_ && !atOnce) return;
    nextSettingsPoll_ = now + kSettingsPollMs;
    const std::string settings = link_.SettingsText();
    if (settings.empty() || settings == lastSettings_) return;
    lastSettings_ = settings;
    log_.Event(now, "SETTINGS " + settings);
  }

  void TakeCommands(const std::string& bytes) {
    for (const auto& received : splitter_.Feed(bytes)) {
      const Millis now = Now();
      log_.Command(now, received.text);
      if (options_.silent) continue;
      switch (received.kind) {
        case Received::Kind::kCommand: Send(receiver_.Command(received.text, now)); break;
        case Received::Kind::kUp: Send(receiver_.Up(now)); break;
        case Received::Kind::kTooLong: Send({Reply{"?" + options_.receiver.lineEnd}}); break;
      }
    }
  }

  void Send(const Replies& replies) {
    for (const auto& reply : replies) output_.Push(reply, Now());
  }

  void HangUp(Millis now) {
    link_.Close();
    log_.Event(now, "HANGUP");
    hungUp_ = true;
    peerOpen_ = false;
    output_.Clear();
  }

  // Sleeps until the next thing to do; once hung up, only the end is left to wait for.
  void Wait() {
    Millis wake = options_.exitAfterMs;
    if (!hungUp_) {
      wake = std::min({wake, options_.hangupAfterMs, nextSettingsPoll_, output_.NextDue()});
      if (!options_.silent) wake = std::min(wake, receiver_.NextDue());
    }
    Millis timeout = std::clamp<Millis>(wake - Now(), 0, kLongestWaitMs);
    if (!peerOpen_ && !hungUp_) timeout = std::min(timeout, kIdleWaitMs);
    pollfd p{link_.MasterFd(), POLLIN, 0};
    const bool watch = peerOpen_ && !hungUp_;
    ::poll(watch ? &p : nullptr, watch ? 1 : 0, static_cast<int>(timeout));
  }

  const SimOptions& options_;
  Receiver& receiver_;
  PtyLink& link_;
  CommandLog& log_;
  OutputQueue output_;
  LineSplitter splitter_;
  const std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
  bool peerOpen_ = false;
  bool hungUp_ = false;
  Millis nextSettingsPoll_ = 0;
  std::string lastSettings_;
};

int Fail(const std::string& message, int status) {
  std::cerr << "receiver-sim: " << message << '\n';
  return status;
}

int Run(const SimOptions& options) {
  Scenario scenario;
  Memory memory;
  std::string error;
  if (!options.scenarioPath.empty() && !LoadScenarioFile(options.scenarioPath, scenario, error)) {
    return Fail(error, 2);
  }
  if (!options.memoryIn.empty() && !LoadMemoryFile(options.memoryIn, memory, error)) {
    return Fail(error, 2);
  }
  CommandLog log(options.logPath);
  if (log.Failed(options.logPath)) return Fail("cannot write " + options.logPath, 2);
  Receiver receiver(options.receiver, scenario, memory);
  PtyLink link;
  if (!link.Open(options.link, error)) return Fail(error, 1);
  std::cout << link.TerminalName() << std::endl;
  Simulator(options, receiver, link, log).Serve();
  link.Close();
  if (!options.memoryOut.empty() && !SaveMemoryFile(options.memoryOut, receiver.memory())) {
    return Fail("cannot write " + options.memoryOut, 2);
  }
  return 0;
}

}  // namespace
}  // namespace kestrel::sim

int main(int argc, char** argv) {
  using namespace kestrel::sim;
  SimOptions options;
  std::string error;
  if (!ParseOptions(std::vector<std::string>(argv + 1, argv + argc), options, error)) {
    return Fail(error, 2);
  }
  if (options.help) {
    std::cout << kHelpText;
    return 0;
  }
  if (options.version) {
    std::cout << "receiver-sim " << KESTREL_VERSION << "\n";
    return 0;
  }
  CatchStopSignals();
  return Run(options);
}
