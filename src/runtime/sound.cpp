#include "runtime/sound.h"

#include "runtime/journal.h"
#include "runtime/platform/sound_player.h"
#include "runtime/window.h"

namespace kestrel {

void PlaySoundFile(const std::string& path, int flags) {
  const bool background = (flags & kPlayBackground) != 0;
  // What was drawn before a word is on the screen while the word plays.
  if (!background) PresentDrawing();
  const std::string played = platform::GetSoundPlayer().Play(path, background);
  const char* kind = path.empty() ? "stop" : (background ? "async" : "sync");
  WriteJournal({"SOUND", kind, path, played.empty() ? "-" : played});
}

}  // namespace kestrel
