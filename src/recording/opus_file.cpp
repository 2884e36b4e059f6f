#include "recording/opus_file.h"

#include <fcntl.h>
#include <sndfile.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kestrel::recording {
namespace {

// libsndfile maps 0.0 .. 1.0 onto Opus' 256 .. 6 kbit/s; this gives about 24 kbit/s.
constexpr double kCompressionLevel = 0.928;
// A recording read back for playing is at most a minute; anything far longer is refused.
constexpr sf_count_t kLongestReadFrames = 90LL * kRate;

SNDFILE* AsFile(void* file) { return static_cast<SNDFILE*>(file); }

}  // namespace

OpusWriter::~OpusWriter() { Abandon(); }

bool OpusWriter::Create(int folder, const std::string& name) {
  Abandon();
  const int fd = ::openat(folder, name.c_str(),
                          O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  SF_INFO info{};
  info.samplerate = kRate;
  info.channels = 1;
  info.format = SF_FORMAT_OGG | SF_FORMAT_OPUS;
  SNDFILE* file = sf_open_fd(fd, SFM_WRITE, &info, SF_TRUE);  // closes fd from here on
  folder_ = folder;
  name_ = name;
  if (!file) {
    ::unlinkat(folder_, name_.c_str(), 0);
    return false;
  }
  double level = kCompressionLevel;
  sf_command(file, SFC_SET_COMPRESSION_LEVEL, &level, sizeof level);
  file_ = file;
  return true;
}

bool OpusWriter::Write(const std::int16_t* samples, std::size_t count) {
  if (!file_) return false;
  const auto frames = static_cast<sf_count_t>(count);
  return sf_write_short(AsFile(file_), samples, frames) == frames &&
         sf_error(AsFile(file_)) == SF_ERR_NO_ERROR;
}

bool OpusWriter::Finish() {
  if (!file_) return false;
  sf_write_sync(AsFile(file_));
  const bool written = sf_error(AsFile(file_)) == SF_ERR_NO_ERROR;
  const bool closed = sf_close(AsFile(file_)) == 0;
  file_ = nullptr;
  if (written && closed) return true;
  ::unlinkat(folder_, name_.c_str(), 0);
  return false;
}

void OpusWriter::Abandon() {
  if (!file_) return;
  sf_close(AsFile(file_));
  file_ = nullptr;
  ::unlinkat(folder_, name_.c_str(), 0);
}

bool ReadRecording(const std::string& path, std::vector<std::int16_t>& samples, int& rate) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat status {};
  if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
    ::close(fd);
    return false;
  }
  SF_INFO info{};
  SNDFILE* file = sf_open_fd(fd, SFM_READ, &info, SF_TRUE);
  if (!file) return false;
  const bool fits = info.channels == 1 && info.frames > 0 && info.frames <= kLongestReadFrames;
  if (fits) {
    samples.resize(static_cast<std::size_t>(info.frames));
    samples.resize(static_cast<std::size_t>(sf_readf_short(file, samples.data(), info.frames)));
    rate = info.samplerate;
  }
  sf_close(file);
  return fits && !samples.empty();
}

}  // namespace kestrel::recording
