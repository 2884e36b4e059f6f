#include "speech/speech.h"

#include <algorithm>

#include "runtime/files.h"
#include "runtime/sound.h"
#include "runtime/text.h"
#include "runtime/window.h"
#include "speech/announcements.h"
#include "state/app.h"
#include "state/banks.h"
#include "state/controls.h"
#include "state/link.h"
#include "state/modes.h"
#include "state/reset.h"
#include "state/speech.h"

namespace kestrel {
namespace {

struct AttenuatorWord {
  const char* text;        // the attenuator's text as shown
  const char* word;        // said when it is switched, and in the status
  const char* spokenWord;  // said by SpeakMode for this text
};

// Off, then on: the row of AttenuatorOn. SpeakMode also names the attenuator texts.
// voice-words: column 2
constexpr AttenuatorWord kAttenuatorWords[] = {{"ATT OFF", "attoff", "attoff.wav"},
                                               {"ATT ON", "atton", "atton.wav"}};

// A number text with a point loses its trailing zeros but keeps one digit after the point:
// 145.500 is spoken 145.5, 145.000 and 145. are spoken 145.0.
void ShortenFraction() {
  const std::string& text = SpokenText.str();
  if (Find(text, ".") > 0) {
    while (Right(text, 1) == "0") SpokenText = Left(text, Length(text) - 1);
  }
  if (Right(text, 1) == ".") SpokenText = text + "0";
}

// While a read-out yields to keys: the count of presses heard when it began; else -1.
KESTREL_STATE(int, yield_mark, -1);

// A key pressed during a read-out that yields ends the rest of it: its words are not said.
bool ReadOutYielded() { return yield_mark >= 0 && KeyPressesHeardDuringWords() != yield_mark; }

// A word file refused for its size, length or rate is skipped; the trace notes it once.
void Play(const std::string& path, int flags) {
  PlaySoundFile(path, flags);
  const std::string refusal = TakeSoundRefusal();
  if (!refusal.empty() && DebugFlag == 1) WriteLine(TraceFile, "sound refused: " + refusal);
}

}  // namespace

void SpeakYieldingToKeys(void (*readOut)()) {
  yield_mark = KeyPressesHeardDuringWords();
  readOut();
  yield_mark = -1;
}

void SayWord(const std::string& word) {
  if (ReadOutYielded()) return;
  NoteSpokenWord(word, false);
  Play(WaveFolder + word, kPlaySync);
}

void SayWordInBackground(const std::string& word) {
  if (ReadOutYielded()) return;
  NoteSpokenWord(word, true);
  Play(WaveFolder + word, kPlayBackground);
}

void PlayFixedWord(const std::string& word) {
  if (!ReadOutYielded()) Play(SoundFolder + word, kPlaySync);
}

void SpeakFrequency() {
  BeginPhrase();
  if (SearchActive == kSearchRunning) SayWord("srching");
  // The length is read again on every pass: the first pass may shorten or lengthen the text.
  for (int i = 1; i <= Length(SpokenText.str()); ++i) {
    ShortenFraction();
    const std::string character = Mid(SpokenText.str(), i, 1);
    SayWord(character == "." ? "point" : character);
  }
}

void SpeakSignalLevel() {
  constexpr int kHighestDigit = 9;
  SayWord("s");
  SayWord(CharOf('0' + std::clamp(SignalLevel, 0, kHighestDigit)));
  if (SignalLevel > kHighestDigit) SayWord("plus");
}

bool SaidLinkLost() {
  if (LinkCondition == kLinkWorking) return false;
  SayWord("lost");
  return true;
}

void SpeakMode() {
  SpokenText = ModeText;
  // At most one row of the two tables matches.
  for (const auto& mode : modes::kModes) {
    if (SpokenText == mode.text) SayWord(mode.spokenWord);
  }
  for (const auto& row : kAttenuatorWords) {
    if (SpokenText == row.text) SayWord(row.spokenWord);
  }
}

void SayAttenuator() { SayWord(kAttenuatorWords[AttenuatorOn == 1 ? 1 : 0].word); }

}  // namespace kestrel
