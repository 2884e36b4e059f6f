// The words of one announcement, that is everything one key or one event of the poller made
// the panel say: kept so that it can be said again, and written as one line of text for a
// braille display or a screen reader in the terminal.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace kestrel {

struct AnnouncedWord {
  std::string word;  // as handed to the speech: "5", "fm.wav", "scan"
  bool background = false;
  bool startsPhrase = false;  // a number said before it ends before it
};

// Called for every word spoken, whether or not speech is on.
void NoteSpokenWord(const std::string& word, bool background);
// The next word spoken begins a phrase of its own: digits said one by one (a count, then a
// frequency) are written apart, "1 145" and not "1145".
void BeginPhrase();
// Closes the announcement in progress: its words become the last announcement and its text
// line is written. Nothing happens when no word was spoken since the last call.
void FinishAnnouncement();
const std::vector<AnnouncedWord>& LastAnnouncement();
void ResetAnnouncements();

// The words as text: each by its phrase of the voice table, digits and points of one phrase
// run together into numbers, spelt letters run together ("1", "4", "5", "point", "5", "fm"
// -> "145.5 FM").
std::string AnnouncementText(const std::vector<AnnouncedWord>& words);

// Where text lines go: standard output when it is a terminal, or whatever the environment
// says (KESTREL_TEXT=1 always, KESTREL_TEXT=0 never). Called once at start.
void OpenTextLineFromEnvironment();
// nullptr: no text lines (the start value).
void SetTextLineOutput(std::FILE* output);

}  // namespace kestrel
