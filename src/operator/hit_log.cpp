// The hit held now: opened where the poller sees the receiver halt, followed through the
// level polls, and written to the hit log when it ends.
#include "operator/hit_log.h"

#include <algorithm>
#include <cctype>

#include "banks/bank_names.h"
#include "link/receiver_commands.h"
#include "link/replies.h"
#include "operator/recordings.h"
#include "runtime/text.h"
#include "speech/speech.h"
#include "state/app.h"
#include "state/bank_letters.h"
#include "state/banks.h"
#include "state/controls.h"
#include "state/link.h"
#include "state/reset.h"

namespace kestrel {
namespace {

enum class HitSource { kNone, kSearch, kMemoryScan, kListScan };

// One level poll: when it was read and what it said.
struct LevelPoll {
  platform::LocalTime time;
  long long steadyMs = 0;
  bool open = false;  // a level reply with the squelch open
  int level = 0;      // its level, 0..255
};

struct HeldHit {
  HitSource source = HitSource::kNone;
  hit_log::HitLine line;
  long long startMs = 0;
};

constexpr int kCellsPerLevel = 12;  // level units per S unit, as the level bar counts them
constexpr int kHighestSDigit = 9;

LevelPoll last_poll;
HeldHit held;
bool failure_said = false;  // "failed" is said once, until a line is written again

std::string Trim(const std::string& text) {
  const auto first = text.find_first_not_of(' ');
  if (first == std::string::npos) return "";
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// The level as "M" says it for a level reply of that level: "S5", "S9+".
std::string SReading(int level) {
  const int cells = level / kCellsPerLevel;
  return "S" + std::to_string(std::clamp(cells, 0, kHighestSDigit)) +
         (cells > kHighestSDigit ? "+" : "");
}

void TakeLevel(const LevelPoll& poll) {
  if (!poll.open) return;
  held.line.levelRaw = std::max(held.line.levelRaw, poll.level);
}

void Open(HitSource source, const std::string& where, const std::string& label) {
  CloseHeldHit();
  held = HeldHit{};
  held.source = source;
  held.line.start = last_poll.time;
  held.startMs = last_poll.steadyMs;
  held.line.frequency = hit_log::ShownFrequency(FrequencyText.str());
  held.line.mode = Trim(ModeText.str());
  held.line.source = where;
  held.line.label = Trim(label);
  TakeLevel(last_poll);
  BeginHitRecording(held.line.start, held.startMs, held.line.frequency);
}

bool StillHeld() {
  switch (held.source) {
    case HitSource::kSearch: return SearchActive == kSearchHalted;
    case HitSource::kMemoryScan:
      return MemoryScanState == kMemoryScanStopped && ReceiverScanning == 0;
    case HitSource::kListScan: return ListState == kListScanHeld && ReceiverScanning == 0;
    case HitSource::kNone: return false;
  }
  return false;
}

// "MA05" in a level report ("LC087 MA05 RF0145500000"): bank letter and channel.
std::string ChannelOfReport() {
  const std::string& reply = ReplyText.str();
  for (std::size_t at = reply.find(" M"); at != std::string::npos; at = reply.find(" M", at + 1)) {
    const std::string field = reply.substr(at + 1, 4);
    const bool bank = field.size() == 4 && IsBankLetter(field[1]);
    if (bank && std::isdigit(static_cast<unsigned char>(field[2])) &&
        std::isdigit(static_cast<unsigned char>(field[3]))) {
      return field.substr(1);
    }
  }
  return "";
}

}  // namespace

void NoteLevelReply() {
  last_poll.time = platform::GetClock().Now();
  last_poll.steadyMs = platform::GetClock().SteadyMilliseconds();
  last_poll.level = ReplyLevel();
  last_poll.open = last_poll.level >= 0;
  if (held.source != HitSource::kNone) TakeLevel(last_poll);
}

void OpenSearchHit() { Open(HitSource::kSearch, "search", ""); }

void OpenMemoryScanHit() {
  const std::string channel = ChannelOfReport();
  Open(HitSource::kMemoryScan, channel.empty() ? "memory scan" : "memory scan " + channel, "");
}

void OpenListScanHit(const std::string& label) {
  Open(HitSource::kListScan, "list scan " + BankNumberOf(BankFileName.str()), label);
}

void FollowHeldHit() {
  FollowRecordings();
  if (held.source != HitSource::kNone && !StillHeld()) CloseHeldHit();
}

void CloseHeldHit() {
  if (held.source == HitSource::kNone) return;
  held.source = HitSource::kNone;
  held.line.end = platform::GetClock().Now();
  held.line.durationMs = platform::GetClock().SteadyMilliseconds() - held.startMs;
  held.line.sReading = SReading(held.line.levelRaw);
  held.line.recording = EndHitRecording();
  if (hit_log::AppendHitLine(held.line)) {
    failure_said = false;
  } else if (!failure_said) {
    failure_said = true;
    SayWord("failed");
  }
}

void ResetHitLog() {
  last_poll = LevelPoll{};
  held = HeldHit{};
  failure_said = false;
}

namespace {
const state::OnReset kResetAtStart{ResetHitLog};  // the hit log, as at program start
}  // namespace

}  // namespace kestrel
