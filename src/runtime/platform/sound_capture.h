// Sound capture: the receiver's audio wired to a sound input, taken in as 16-bit mono
// samples on the capture's own thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace kestrel::platform {

// Takes each piece of captured sound; called on the capture's thread, never on the panel's.
using CaptureSink = std::function<void(const std::int16_t* samples, std::size_t count)>;

// The name that opens the system's default input.
inline constexpr const char* kDefaultCaptureName = "default";

class SoundCapture {
 public:
  virtual ~SoundCapture() = default;
  // Readies the sound system; called once on the panel's thread before the recorder's
  // thread opens an input.
  virtual void Prepare() {}
  // The names of the inputs the sound system offers now.
  virtual std::vector<std::string> DeviceNames() = 0;
  // Opens the named input at `rate` Hz, 16-bit mono, and hands every piece to `sink` until
  // Close. "" when it runs, otherwise why it could not be opened. May take a while: call it
  // off the panel's thread.
  virtual std::string Open(const std::string& name, int rate, CaptureSink sink) = 0;
  // Stops the input; no piece reaches the sink after it returns.
  virtual void Close() = 0;
};

SoundCapture& GetSoundCapture();
// nullptr installs a capture that has no inputs; main installs the SDL capture.
void InstallSoundCapture(SoundCapture* capture);

}  // namespace kestrel::platform
