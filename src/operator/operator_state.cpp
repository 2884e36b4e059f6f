#include "operator/operator_state.h"

#include "operator/hit_log.h"
#include "speech/announcements.h"

namespace kestrel {

int LevelTones = 0;

void ResetOperatorState() {
  LevelTones = 0;
  ResetHitLog();
  ResetAnnouncements();
}

}  // namespace kestrel
