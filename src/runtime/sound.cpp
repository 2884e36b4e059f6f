#include "runtime/sound.h"

#include <string>

#include "runtime/journal.h"
#include "runtime/platform/sound_player.h"
#include "runtime/system_voice.h"
#include "runtime/window.h"

namespace kestrel {

void PlaySoundFile(const std::string& path, int flags) {
  const bool background = (flags & kPlayBackground) != 0;
  // What was drawn before a word is on the screen while the word plays.
  if (!background) PresentDrawing();
  const std::string played = SystemVoiceActive()
                                 ? SpeakSoundPath(path, background)
                                 : platform::GetSoundPlayer().Play(path, background);
  const char* kind = path.empty() ? "stop" : (background ? "async" : "sync");
  WriteJournal({"SOUND", kind, path, played.empty() ? "-" : played});
}

void PlayTone(int hertz, int milliseconds) {
  // The player knows of its own recordings only: no tone over a word the speech server says.
  const bool played =
      !SystemWordSounding() && platform::GetSoundPlayer().PlayTone(hertz, milliseconds);
  if (played) NoteToneStarted();
  WriteJournal({"TONE", std::to_string(hertz), std::to_string(milliseconds), played ? "+" : "-"});
}

std::string TakeSoundRefusal() { return platform::GetSoundPlayer().TakeRefusal(); }

}  // namespace kestrel
