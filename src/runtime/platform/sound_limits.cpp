#include "runtime/platform/sound_limits.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace kestrel::platform {
namespace {

constexpr int kMostChunks = 64;  // chunks looked at before "data"; a WAV has two or three
constexpr std::uint32_t kFormatPcm = 1;
constexpr std::uint32_t kFormatExtensible = 0xFFFE;  // the real format in its sub-format
constexpr int kExtensibleFmtBytes = 26;              // up to the sub-format's first two bytes

std::uint32_t Little(const unsigned char* bytes, int count) {
  std::uint32_t value = 0;
  for (int i = count - 1; i >= 0; --i) value = (value << 8) | bytes[i];
  return value;
}

struct WavShape {
  std::uint32_t format = 0;
  std::uint32_t rate = 0;
  std::uint32_t channels = 0;
  std::uint32_t bitsPerSample = 0;
  std::uint32_t blockAlign = 0;
  long long dataBytes = -1;  // -1: no "data" chunk found
};

// Walks the RIFF chunks up to "data"; false when the file is no RIFF WAVE file.
bool ReadShape(std::ifstream& in, long long fileBytes, WavShape& shape) {
  unsigned char header[12];
  if (!in.read(reinterpret_cast<char*>(header), 12) ||
      std::string(reinterpret_cast<char*>(header), 4) != "RIFF" ||
      std::string(reinterpret_cast<char*>(header) + 8, 4) != "WAVE") {
    return false;
  }
  long long at = 12;
  for (int chunk = 0; chunk < kMostChunks && at + 8 <= fileBytes; ++chunk) {
    unsigned char head[8];
    if (!in.seekg(at) || !in.read(reinterpret_cast<char*>(head), 8)) break;
    const std::string id(reinterpret_cast<char*>(head), 4);
    const long long size = Little(head + 4, 4);
    if (id == "fmt " && size >= 16) {
      unsigned char fmt[kExtensibleFmtBytes] = {};
      if (!in.read(reinterpret_cast<char*>(fmt), std::min<long long>(size, sizeof fmt))) break;
      shape.format = Little(fmt, 2);
      if (shape.format == kFormatExtensible && size >= kExtensibleFmtBytes) {
        shape.format = Little(fmt + kExtensibleFmtBytes - 2, 2);
      }
      shape.channels = Little(fmt + 2, 2);
      shape.rate = Little(fmt + 4, 4);
      shape.blockAlign = Little(fmt + 12, 2);
      shape.bitsPerSample = Little(fmt + 14, 2);
    } else if (id == "data") {
      // A declared size beyond the file's end counts only what is there.
      shape.dataBytes = std::min(size, fileBytes - at - 8);
      return true;
    }
    at += 8 + size + (size & 1);
  }
  return true;
}

// Bytes one second of sound takes, at least one.
long long BytesPerSecond(const WavShape& shape) {
  long long frame = shape.blockAlign;
  if (shape.bitsPerSample >= 8 && shape.channels > 0) {
    frame = std::max<long long>(frame, shape.channels * (shape.bitsPerSample / 8));
  }
  return std::max<long long>(1, frame * shape.rate);
}

}  // namespace

std::string SoundFileRefusal(const std::string& file) {
  std::error_code error;
  const auto bytes = std::filesystem::file_size(file, error);
  if (error) return {};
  if (static_cast<long long>(bytes) > kLargestSoundFileBytes) return "larger than 5 MB";
  std::ifstream in(file, std::ios::binary);
  WavShape shape;
  if (!in || !ReadShape(in, static_cast<long long>(bytes), shape)) return {};
  // The length below is reckoned as for PCM; a compressed file decodes to far more.
  if (shape.format != kFormatPcm) return "not PCM (format " + std::to_string(shape.format) + ")";
  if (shape.bitsPerSample != 8 && shape.bitsPerSample != 16) {
    return std::to_string(shape.bitsPerSample) + " bits a sample";
  }
  if (shape.rate < kLowestSoundRate || shape.rate > kHighestSoundRate) {
    return "rate " + std::to_string(shape.rate) + " Hz";
  }
  if (shape.dataBytes > 0 && shape.dataBytes * 1000 / BytesPerSecond(shape) > kLongestSoundMs) {
    return "longer than 10 s";
  }
  return {};
}

}  // namespace kestrel::platform
