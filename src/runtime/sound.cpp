#include "runtime/sound.h"

#include "runtime/journal.h"
#include "runtime/platform/sound_player.h"

namespace kestrel {

void PlaySoundFile(const std::string& path, int flags) {
  const bool background = (flags & kPlayBackground) != 0;
  const std::string played = platform::GetSoundPlayer().Play(path, background);
  const char* kind = path.empty() ? "stop" : (background ? "async" : "sync");
  WriteJournal({"SOUND", kind, path, played.empty() ? "-" : played});
}

std::string TakeSoundRefusal() { return platform::GetSoundPlayer().TakeRefusal(); }

}  // namespace kestrel
