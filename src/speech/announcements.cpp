#include "speech/announcements.h"

#include <unistd.h>

#include <cctype>
#include <cstdlib>
#include <string_view>

#include "runtime/files.h"
#include "runtime/platform/clock.h"
#include "runtime/text_output.h"
#include "runtime/vocabulary.h"
#include "state/link.h"
#include "state/reset.h"

namespace kestrel {
namespace {

std::vector<AnnouncedWord> words_in_progress;
std::vector<AnnouncedWord> last_announcement;
std::FILE* text_output = nullptr;
int text_fd = -1;             // where the text line is written, without waiting
bool dropping_lines = false;  // the last line was not taken
bool phrase_begins = false;   // the next word noted starts a phrase

// "fm.wav" and "FM" are the word "fm".
std::string PlainWord(std::string word) {
  if (word.size() > 4 && word.compare(word.size() - 4, 4, ".wav") == 0)
    word.resize(word.size() - 4);
  for (char& c : word) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return word;
}

bool IsNumberPiece(const std::string& word) {
  return word == "point" || (word.size() == 1 && std::isdigit(static_cast<unsigned char>(word[0])));
}

bool IsSpeltLetter(std::string_view piece) {
  return piece.size() == 1 && std::isupper(static_cast<unsigned char>(piece[0]));
}

// "wide F M" -> "wide FM": letters spelt one by one are written as one word.
std::string JoinSpeltLetters(std::string_view phrase) {
  std::string out;
  bool lastWasLetter = false;
  std::size_t at = 0;
  while (at <= phrase.size()) {
    std::size_t end = phrase.find(' ', at);
    if (end == std::string_view::npos) end = phrase.size();
    const std::string_view piece = phrase.substr(at, end - at);
    if (!piece.empty()) {
      const bool letter = IsSpeltLetter(piece);
      if (!out.empty() && !(letter && lastWasLetter)) out += ' ';
      out += piece;
      lastWasLetter = letter;
    }
    at = end + 1;
  }
  return out;
}

// A line the output does not take at once (a paused terminal, a pipe nobody reads) is
// dropped: the panel never waits for its reader. The trace notes the first of a run.
void WriteTextLine(const std::string& text) {
  if (text_output == nullptr || text.empty()) return;
  const platform::LocalTime now = platform::GetClock().Now();
  char stamp[16];
  std::snprintf(stamp, sizeof stamp, "%02d:%02d:%02d ", now.hour, now.minute, now.second);
  const bool taken = WriteWithoutWaiting(text_fd, stamp + text + "\n");
  if (!taken && !dropping_lines && DebugFlag == 1) {
    WriteLine(TraceFile, "text line dropped: standard output did not take it");
  }
  dropping_lines = !taken;
}

}  // namespace

void NoteSpokenWord(const std::string& word, bool background) {
  words_in_progress.push_back({word, background, phrase_begins});
  phrase_begins = false;
}

void BeginPhrase() { phrase_begins = true; }

void FinishAnnouncement() {
  if (words_in_progress.empty()) return;
  last_announcement.swap(words_in_progress);
  words_in_progress.clear();
  WriteTextLine(AnnouncementText(last_announcement));
}

const std::vector<AnnouncedWord>& LastAnnouncement() { return last_announcement; }

void ResetAnnouncements() {
  words_in_progress.clear();
  last_announcement.clear();
  phrase_begins = false;
}

std::string AnnouncementText(const std::vector<AnnouncedWord>& words) {
  std::string text;
  bool inNumber = false;
  for (const auto& spoken : words) {
    const std::string word = PlainWord(spoken.word);
    if (spoken.startsPhrase) inNumber = false;
    if (IsNumberPiece(word)) {
      if (!inNumber && !text.empty()) text += ' ';
      text += word == "point" ? "." : word;
      inNumber = true;
      continue;
    }
    inNumber = false;
    const auto phrase = PhraseOfWord(word);
    if (phrase && phrase->starts_with('<')) continue;  // a pause or a tone: no word
    const std::string shown = phrase ? JoinSpeltLetters(*phrase) : word;
    if (shown.empty()) continue;
    if (!text.empty()) text += ' ';
    text += shown;
  }
  return text;
}

void OpenTextLineFromEnvironment() {
  const char* setting = std::getenv("KESTREL_TEXT");
  const std::string wanted = setting != nullptr ? setting : "";
  const bool on = wanted == "1" || (wanted != "0" && ::isatty(STDOUT_FILENO) == 1);
  SetTextLineOutput(on ? stdout : nullptr);
}

void SetTextLineOutput(std::FILE* output) {
  if (text_fd >= 0 && (text_output == nullptr || text_fd != ::fileno(text_output))) {
    ::close(text_fd);
  }
  text_output = output;
  text_fd = output != nullptr ? OutputWithoutWaiting(::fileno(output)) : -1;
  dropping_lines = false;
}

namespace {
const state::OnReset kResetAtStart{ResetAnnouncements};  // the announcements, as at program start
}  // namespace

}  // namespace kestrel
