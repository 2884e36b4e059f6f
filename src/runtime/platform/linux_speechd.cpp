#include "runtime/platform/linux_speechd.h"

#include <fcntl.h>
#include <libspeechd.h>
#include <poll.h>
#include <signal.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <condition_variable>
#include <cstdint>
#include <cstdlib>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>

#include "runtime/platform/listening_wait.h"

namespace kestrel::platform {
namespace {

using SteadyClock = std::chrono::steady_clock;

// The library waits for the server's answers without any limit; the panel never waits longer.
constexpr auto kAnswerLimit = std::chrono::seconds(5);
// After the server hung up, events it sent just before still reach the queue in this time.
constexpr auto kHangUpGrace = std::chrono::milliseconds(100);
// How long the panel listens between two looks at the server while a word is said.
constexpr auto kListenSlice = std::chrono::milliseconds(5);

// The events of every message, as the library's thread reports them through the callbacks.
// The callbacks carry no pointer of ours, so there is one queue for the program.
struct EventQueue {
  std::mutex mutex;
  std::deque<std::pair<std::size_t, SpeechEvent>> events;
  int wake_fd = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);  // counts events not yet looked at
};

EventQueue& Events() {
  static EventQueue* queue = new EventQueue;  // lives as long as the library's thread may
  return *queue;
}

void QueueEvent(std::size_t message, SpeechEvent event) {
  EventQueue& queue = Events();
  {
    std::lock_guard lock(queue.mutex);
    queue.events.emplace_back(message, event);
  }
  const std::uint64_t one = 1;
  if (write(queue.wake_fd, &one, sizeof one) < 0) {
    // The counter cannot overflow in a run; a failed wake-up is caught by the next poll.
  }
}

void OnBegin(std::size_t message, std::size_t, SPDNotificationType) {
  QueueEvent(message, SpeechEvent::kBegan);
}

// A cancelled message has ended as far as the panel is concerned.
void OnEnd(std::size_t message, std::size_t, SPDNotificationType) {
  QueueEvent(message, SpeechEvent::kEnded);
}

// The next event of the message, dropping those of earlier messages.
std::optional<SpeechEvent> TakeEvent(std::size_t message) {
  EventQueue& queue = Events();
  std::lock_guard lock(queue.mutex);
  while (!queue.events.empty()) {
    const auto [id, event] = queue.events.front();
    if (id > message) break;
    queue.events.pop_front();
    if (id == message) return event;
  }
  return std::nullopt;
}

void DrainWakeUps() {
  std::uint64_t count = 0;
  if (read(Events().wake_fd, &count, sizeof count) < 0) {
    // Nothing was pending.
  }
}

// Runs one call of the library on a thread of its own and waits for it at most
// kAnswerLimit. A call that does not come back in time is left to itself; its connection is
// then never used or freed again. A server gone away turns the library's writes into EPIPE
// instead of a signal that would end the panel.
template <typename Result>
std::optional<Result> CallWithin(std::function<Result()> call) {
  struct Outcome {
    std::mutex mutex;
    std::condition_variable done_signal;
    std::optional<Result> result;
  };
  auto outcome = std::make_shared<Outcome>();
  std::thread([outcome, call = std::move(call)] {
    sigset_t pipe_signal;
    sigemptyset(&pipe_signal);
    sigaddset(&pipe_signal, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipe_signal, nullptr);
    Result result = call();
    std::lock_guard lock(outcome->mutex);
    outcome->result = std::move(result);
    outcome->done_signal.notify_all();
  }).detach();
  std::unique_lock lock(outcome->mutex);
  outcome->done_signal.wait_for(lock, kAnswerLimit, [&] { return outcome->result.has_value(); });
  return outcome->result;
}

struct Opened {
  SPDConnection* connection = nullptr;
  std::string error;
};

Opened OpenConnection() {
  char* error = nullptr;
  Opened opened;
  opened.connection = spd_open2("kestrel", "main", nullptr, SPD_MODE_THREADED, nullptr, 1, &error);
  if (error) opened.error = error;
  std::free(error);
  return opened;
}

}  // namespace

struct SpeechdService::Connection {
  SPDConnection* spd = nullptr;
  int watch_fd = -1;        // a second descriptor of the server's socket: shows its hang-up
  bool stuck = false;       // a call never came back: the connection is left alone
  std::size_t message = 0;  // the last message said
  std::optional<SteadyClock::time_point> hung_up_until;

  ~Connection() {
    if (watch_fd >= 0) close(watch_fd);
    if (spd && !stuck) spd_close(spd);
  }
};

SpeechdService::SpeechdService() = default;

SpeechdService::~SpeechdService() { Close(); }

bool SpeechdService::Lose(const std::string& why) {
  problem_ = why;
  connection_.reset();
  return false;
}

std::string SpeechdService::Open() {
  Close();
  const std::optional<Opened> opened = CallWithin<Opened>(OpenConnection);
  if (!opened) return problem_ = "speech-dispatcher does not answer";
  if (!opened->connection) return problem_ = "speech-dispatcher is not there: " + opened->error;
  connection_ = std::make_shared<Connection>();
  SPDConnection* spd = connection_->spd = opened->connection;
  spd->callback_begin = OnBegin;
  spd->callback_end = OnEnd;
  spd->callback_cancel = OnEnd;
  connection_->watch_fd = fcntl(spd->socket, F_DUPFD_CLOEXEC, 0);
  const std::optional<int> notified =
      CallWithin<int>([spd] { return spd_set_notification_on(spd, SPD_ALL); });
  if (!notified) connection_->stuck = true;
  if (!notified || *notified != 0) {
    Lose("speech-dispatcher does not answer");
    return problem_;
  }
  problem_.clear();
  return {};
}

bool SpeechdService::Say(const std::string& text) {
  if (!connection_) return false;
  SPDConnection* spd = connection_->spd;
  const std::optional<int> message =
      CallWithin<int>([spd, text] { return spd_say(spd, SPD_MESSAGE, text.c_str()); });
  if (!message) connection_->stuck = true;
  if (!message) return Lose("speech-dispatcher does not answer");
  if (*message < 0) return Lose("speech-dispatcher did not take the message");
  connection_->message = static_cast<std::size_t>(*message);
  return true;
}

bool SpeechdService::Cancel() {
  if (!connection_) return false;
  SPDConnection* spd = connection_->spd;
  const std::optional<int> done = CallWithin<int>([spd] { return spd_cancel(spd); });
  if (!done) connection_->stuck = true;
  if (!done) return Lose("speech-dispatcher does not answer");
  if (*done != 0) return Lose("speech-dispatcher did not cancel");
  return true;
}

SpeechEvent SpeechdService::WaitEvent(SteadyClock::time_point deadline) {
  if (!connection_) return SpeechEvent::kLost;
  Connection& connection = *connection_;
  for (;;) {
    if (const auto event = TakeEvent(connection.message)) return *event;
    const auto now = SteadyClock::now();
    if (connection.hung_up_until && now >= *connection.hung_up_until) {
      Lose("speech-dispatcher has gone away");
      return SpeechEvent::kLost;
    }
    if (now >= deadline) return SpeechEvent::kTimedOut;
    const auto until = std::min(deadline, connection.hung_up_until.value_or(deadline));
    pollfd watched[2] = {{Events().wake_fd, POLLIN, 0}, {connection.watch_fd, POLLRDHUP, 0}};
    const nfds_t count = connection.hung_up_until || connection.watch_fd < 0 ? 1 : 2;
    // The panel keeps listening while it waits for the word's end: the server is looked
    // at between short listening waits.
    if (poll(watched, count, 0) == 0) {
      WaitListening(std::min(until, now + kListenSlice));
      continue;
    }
    if (watched[0].revents & POLLIN) DrainWakeUps();
    if (count == 2 && (watched[1].revents & (POLLRDHUP | POLLHUP | POLLERR))) {
      connection.hung_up_until = SteadyClock::now() + kHangUpGrace;
    }
  }
}

void SpeechdService::Close() { connection_.reset(); }

}  // namespace kestrel::platform
