// One recording file: Ogg Opus through libsndfile, mono, 16 kHz, about 24 kbit/s.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace kestrel::recording {

inline constexpr int kRate = 16000;  // samples per second, a rate Opus takes as it is

class OpusWriter {
 public:
  OpusWriter() = default;
  ~OpusWriter();
  OpusWriter(const OpusWriter&) = delete;
  OpusWriter& operator=(const OpusWriter&) = delete;

  // Makes `name` in the folder open as `folder`: never through a link, never over anything
  // that stands there already (a file, a FIFO, a link), never waiting on what it opens.
  bool Create(int folder, const std::string& name);
  bool Write(const std::int16_t* samples, std::size_t count);
  // Writes the end and closes; false when the file is not whole (it is removed then).
  bool Finish();
  // Closes and removes the file.
  void Abandon();
  bool IsOpen() const { return file_ != nullptr; }

 private:
  void* file_ = nullptr;  // SNDFILE*
  int folder_ = -1;
  std::string name_;
};

// The samples of a recording and their rate; false when it cannot be read.
bool ReadRecording(const std::string& path, std::vector<std::int16_t>& samples, int& rate);

}  // namespace kestrel::recording
