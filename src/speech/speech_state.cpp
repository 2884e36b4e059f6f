#include "speech/speech_state.h"

namespace kestrel {

Text WaveFolder;
Text SoundFolder;
int ScanVoice = 0;

void ResetSpeechState() {
  WaveFolder = "";
  SoundFolder = "";
  ScanVoice = 0;
}

}  // namespace kestrel
