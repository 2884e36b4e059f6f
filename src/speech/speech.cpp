#include "speech/speech.h"

#include "runtime/sound.h"
#include "speech/speech_state.h"

namespace kestrel {

void SayWord(const std::string& word) { PlaySoundFile(WaveFolder + word, kPlaySync); }

void SayWordInBackground(const std::string& word) {
  PlaySoundFile(WaveFolder + word, kPlayBackground);
}

void PlayFixedWord(const std::string& word) { PlaySoundFile(SoundFolder + word, kPlaySync); }

}  // namespace kestrel
