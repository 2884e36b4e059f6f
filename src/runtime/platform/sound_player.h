// The sound player: plays one WAV file by path, synchronously or in the background.
#pragma once

#include <string>

namespace kestrel::platform {

class SoundPlayer {
 public:
  virtual ~SoundPlayer() = default;
  // Plays the file a path names (backslash separators, ".wav" added to a name without
  // extension, letter case ignored, never outside its folder). Synchronous play returns when
  // the sound has been heard; background play returns at once and is cut off by the next
  // play. An empty path stops playback. Returns the file played, or "" when none was found
  // or read (then it returns at once and plays nothing).
  virtual std::string Play(const std::string& path, bool background) = 0;
  // Why the last play found its file but refused it (too large, too long, an impossible
  // rate), with the file's name; given once per file, "" otherwise.
  virtual std::string TakeRefusal() { return {}; }
};

SoundPlayer& GetSoundPlayer();
// nullptr installs a player that plays nothing; main installs the SDL player.
void InstallSoundPlayer(SoundPlayer* player);

}  // namespace kestrel::platform
