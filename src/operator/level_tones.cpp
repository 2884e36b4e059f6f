#include "operator/level_tones.h"

#include "link/replies.h"
#include "runtime/sound.h"
#include "state/app.h"
#include "state/operator.h"

namespace kestrel {
namespace {

constexpr int kLowestToneHz = 300;
constexpr int kHighestToneHz = 1500;
constexpr int kToneMs = 40;

}  // namespace

void PlayLevelTone() {
  const int level = ReplyLevel();
  if (LevelTones != 1 || level < 0 || ReceiverScanning == 1) return;
  PlayTone(kLowestToneHz + level * (kHighestToneHz - kLowestToneHz) / kHighestLevel, kToneMs);
}

}  // namespace kestrel
