#include "speech/announcements.h"

#include <unistd.h>

#include <cctype>
#include <cstdlib>
#include <string_view>

#include "runtime/platform/clock.h"
#include "runtime/vocabulary.h"
#include "state/reset.h"

namespace kestrel {
namespace {

std::vector<AnnouncedWord> words_in_progress;
std::vector<AnnouncedWord> last_announcement;
std::FILE* text_output = nullptr;
bool phrase_begins = false;  // the next word noted starts a phrase

// "fm.wav" and "FM" are the word "fm".
std::string PlainWord(std::string word) {
  if (word.size() > 4 && word.compare(word.size() - 4, 4, ".wav") == 0) word.resize(word.size() - 4);
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

void WriteTextLine(const std::string& text) {
  if (text_output == nullptr || text.empty()) return;
  const platform::LocalTime now = platform::GetClock().Now();
  std::fprintf(text_output, "%02d:%02d:%02d %s\n", now.hour, now.minute, now.second,
               text.c_str());
  std::fflush(text_output);
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

void SetTextLineOutput(std::FILE* output) { text_output = output; }

namespace {
const state::OnReset kResetAtStart{ResetAnnouncements};  // the announcements, as at program start
}  // namespace

}  // namespace kestrel
