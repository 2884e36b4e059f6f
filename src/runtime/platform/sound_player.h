// The sound player: plays one WAV file by path, synchronously or in the background.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

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
  // Plays a sine tone in the background, unless a sound is still playing: a tone never cuts
  // off a word, and the next play cuts off the tone. True when the tone was started.
  virtual bool PlayTone(int hertz, int milliseconds) {
    (void)hertz;
    (void)milliseconds;
    return false;
  }
  // Plays 16-bit mono samples taken at `rate` Hz in the background, cut off by the next
  // play like a background file. True when they were started.
  virtual bool PlaySamples(const std::vector<std::int16_t>& samples, int rate) {
    (void)samples;
    (void)rate;
    return false;
  }
  // The program is about to sleep until its next event: a player may let go of what a long
  // silence leaves idle (the next Play takes it again).
  virtual void Rest() {}
  // Why the last play found its file but refused it (too large, too long, an impossible
  // rate), with the file's name; given once per file, "" otherwise.
  virtual std::string TakeRefusal() { return {}; }
};

SoundPlayer& GetSoundPlayer();
// nullptr installs a player that plays nothing; main installs the SDL player.
void InstallSoundPlayer(SoundPlayer* player);

}  // namespace kestrel::platform
