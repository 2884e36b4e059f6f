// Program-wide state of the recordings of hits (operator/recordings.cpp).
#pragma once

#include "runtime/text.h"

namespace kestrel {

inline constexpr int kDefaultRecordingsMb = 500;
// Their configuration lines: config::kAudioInputKey and config::kRecordingsLimitKey.
inline constexpr int kLargestRecordingsMb = 1000000;

extern Text AudioInputText;    // the sound input the receiver's audio comes in on; "" for none
extern int RecordingsLimitMb;  // the recordings folder's largest size, in MB
extern int HitsPlayedBack;     // hits J has stepped back through since another key

}  // namespace kestrel
