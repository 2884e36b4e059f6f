// The SDL sound player on the dummy audio driver, which consumes sound in real time.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "fakes/kestrel_test.h"
#include "runtime/platform/linux_sound.h"
#include "runtime/platform/sound_limits.h"

namespace kestrel::platform {
namespace {

using Clock = std::chrono::steady_clock;

void PutLittleEndian(std::string& out, std::uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out += static_cast<char>((value >> (8 * i)) & 0xff);
}

// A 16-bit PCM WAV file holding a 440 Hz tone of the given length.
void WriteWav(const std::filesystem::path& file, int milliseconds, int rate = 22050,
              int channels = 1) {
  const std::uint32_t frames = static_cast<std::uint32_t>(rate) * milliseconds / 1000;
  const std::uint32_t dataBytes = frames * channels * 2;
  std::string wav = "RIFF";
  PutLittleEndian(wav, 36 + dataBytes, 4);
  wav += "WAVEfmt ";
  PutLittleEndian(wav, 16, 4);
  PutLittleEndian(wav, 1, 2);  // PCM
  PutLittleEndian(wav, channels, 2);
  PutLittleEndian(wav, rate, 4);
  PutLittleEndian(wav, rate * channels * 2, 4);
  PutLittleEndian(wav, channels * 2, 2);
  PutLittleEndian(wav, 16, 2);
  wav += "data";
  PutLittleEndian(wav, dataBytes, 4);
  for (std::uint32_t i = 0; i < frames; ++i) {
    const auto sample = static_cast<std::int16_t>(8000 * std::sin(i * 2 * M_PI * 440 / rate));
    for (int c = 0; c < channels; ++c) PutLittleEndian(wav, static_cast<std::uint16_t>(sample), 2);
  }
  std::filesystem::create_directories(file.parent_path());
  std::ofstream(file, std::ios::binary) << wav;
}

// A WAV file of any format: its fmt chunk as given (after the chunk's size), then
// `dataBytes` bytes of silence.
void WriteWavOfFormat(const std::filesystem::path& file, const std::string& fmt,
                      std::uint32_t dataBytes) {
  std::string wav = "RIFF";
  PutLittleEndian(wav, 20 + static_cast<std::uint32_t>(fmt.size()) + dataBytes, 4);
  wav += "WAVEfmt ";
  PutLittleEndian(wav, static_cast<std::uint32_t>(fmt.size()), 4);
  wav += fmt + "data";
  PutLittleEndian(wav, dataBytes, 4);
  wav += std::string(dataBytes, '\0');
  std::filesystem::create_directories(file.parent_path());
  std::ofstream(file, std::ios::binary) << wav;
}

// The common part of a fmt chunk: format, one channel, 22050 Hz, block size and bits.
std::string FmtChunk(int format, int blockBytes, int bits) {
  std::string fmt;
  PutLittleEndian(fmt, format, 2);
  PutLittleEndian(fmt, 1, 2);
  PutLittleEndian(fmt, 22050, 4);
  PutLittleEndian(fmt, 22050 * blockBytes, 4);
  PutLittleEndian(fmt, blockBytes, 2);
  PutLittleEndian(fmt, bits, 2);
  return fmt;
}

// WAVE_FORMAT_EXTENSIBLE: the real format is the first two bytes of the sub-format.
std::string ExtensibleFmtChunk(int subFormat, int bits) {
  std::string fmt = FmtChunk(0xFFFE, bits / 8, bits);
  PutLittleEndian(fmt, 22, 2);    // bytes that follow
  PutLittleEndian(fmt, bits, 2);  // valid bits
  PutLittleEndian(fmt, 4, 4);     // front centre
  PutLittleEndian(fmt, subFormat, 2);
  return fmt + std::string("\x00\x00\x00\x00\x10\x00\x80\x00\x00\xaa\x00\x38\x9b\x71", 14);
}

class SdlSoundTest : public fakes::KestrelTest {
 protected:
  void SetUp() override {
    fakes::KestrelTest::SetUp();
    // The test must not depend on a sound card; the dummy driver keeps real time.
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    player = std::make_unique<SdlSoundPlayer>();
    ASSERT_EQ(player->DriverName(), "dummy");
  }
  void TearDown() override {
    player.reset();
    fakes::KestrelTest::TearDown();
  }

  // Milliseconds that one Play call takes; the file played goes to *played.
  long long TimedPlay(const std::string& path, bool background, std::string* played = nullptr) {
    const auto start = Clock::now();
    const std::string file = player->Play(path, background);
    const auto elapsed = Clock::now() - start;
    if (played) *played = file;
    return std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count();
  }

  std::unique_ptr<SdlSoundPlayer> player;
};

TEST_F(SdlSoundTest, SynchronousPlayLastsAsLongAsTheSound) {
  WriteWav(folder / "wave" / "tone.wav", 300);
  std::string played;
  const long long ms = TimedPlay("wave\\tone", false, &played);
  EXPECT_EQ(played, "wave/tone.wav");
  EXPECT_GE(ms, 300);
  EXPECT_LT(ms, 1000);
  EXPECT_EQ(player->QueuedMilliseconds(), 0);
}

TEST_F(SdlSoundTest, OtherFormatsAreConvertedWithoutChangingTheirLength) {
  WriteWav(folder / "wave" / "stereo.wav", 300, 44100, 2);
  WriteWav(folder / "wave" / "low.wav", 300, 8000, 1);
  EXPECT_GE(TimedPlay("wave\\stereo", false), 300);
  EXPECT_LT(TimedPlay("wave\\stereo", false), 1000);
  EXPECT_GE(TimedPlay("wave\\low", false), 300);
  EXPECT_LT(TimedPlay("wave\\low", false), 1000);
}

TEST_F(SdlSoundTest, BackgroundPlayReturnsAtOnceAndTheNextPlayCutsItOff) {
  WriteWav(folder / "wave" / "help.wav", 2000);
  WriteWav(folder / "wave" / "ok.wav", 100);
  EXPECT_LT(TimedPlay("wave\\help", true), 100);
  EXPECT_GT(player->QueuedMilliseconds(), 1500);
  // The synchronous word waits for itself only, not for the rest of "help".
  const long long ms = TimedPlay("wave\\ok", false);
  EXPECT_GE(ms, 100);
  EXPECT_LT(ms, 1000);
}

TEST_F(SdlSoundTest, ATonePlaysInTheBackgroundNeverOverASoundAndAWordCutsItOff) {
  WriteWav(folder / "wave" / "scan.wav", 2000);
  player->Play("wave\\scan", true);
  EXPECT_FALSE(player->PlayTone(800, 1000));
  EXPECT_GT(player->QueuedMilliseconds(), 1500);
  player->Play("", false);
  const auto start = Clock::now();
  EXPECT_TRUE(player->PlayTone(800, 1000));
  EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(100));
  EXPECT_GT(player->QueuedMilliseconds(), 800);
  player->Play("", false);
  EXPECT_EQ(player->QueuedMilliseconds(), 0);
}

TEST_F(SdlSoundTest, AnEmptyPathOrAMissingFileStopsTheBackgroundSound) {
  WriteWav(folder / "wave" / "scan.wav", 2000);
  player->Play("wave\\scan", true);
  EXPECT_EQ(player->Play("", false), "");
  EXPECT_EQ(player->QueuedMilliseconds(), 0);
  player->Play("wave\\scan", true);
  EXPECT_EQ(player->Play("wave\\nothing", false), "");
  EXPECT_EQ(player->QueuedMilliseconds(), 0);
}

TEST_F(SdlSoundTest, MissingAndUnreadableFilesReturnAtOnce) {
  WriteFile("wave/broken.wav", "RIFF this is no sound");
  std::string played = "x";
  EXPECT_LT(TimedPlay("wave\\missing", false, &played), 50);
  EXPECT_EQ(played, "");
  EXPECT_LT(TimedPlay("wave\\broken", false, &played), 50);
  EXPECT_EQ(played, "");
  EXPECT_LT(TimedPlay("nowave\\scan", false, &played), 50);
  EXPECT_EQ(played, "");
}

TEST_F(SdlSoundTest, WordFilesBeyondTheLimitsAreRefusedAtOnceAndToldOnce) {
  WriteWav(folder / "wave" / "slow.wav", 10000000, 1);  // 20 KB declaring 1 Hz: 1.3 GB decoded
  WriteWav(folder / "wave" / "fast.wav", 20, 384000);
  WriteWav(folder / "wave" / "long.wav", 10100, 8000);
  WriteWav(folder / "wave" / "large.wav", 10000, 96000, 2);  // 3.8 MB, within the limits
  WriteWav(folder / "wave" / "huge.wav", 9000, 192000, 2);   // 6.9 MB
  EXPECT_EQ(SoundFileRefusal("wave/slow.wav"), "rate 1 Hz");
  EXPECT_EQ(SoundFileRefusal("wave/fast.wav"), "rate 384000 Hz");
  EXPECT_EQ(SoundFileRefusal("wave/long.wav"), "longer than 10 s");
  EXPECT_EQ(SoundFileRefusal("wave/large.wav"), "");
  EXPECT_EQ(SoundFileRefusal("wave/huge.wav"), "larger than 5 MB");

  std::string played = "x";
  EXPECT_LT(TimedPlay("wave\\slow", false, &played), 50);
  EXPECT_EQ(played, "");
  EXPECT_EQ(player->TakeRefusal(), "wave/slow.wav: rate 1 Hz");
  EXPECT_LT(TimedPlay("wave\\slow", false, &played), 50);
  EXPECT_EQ(player->TakeRefusal(), "");  // told once
  EXPECT_LT(TimedPlay("wave\\huge", true, &played), 50);
  EXPECT_EQ(player->TakeRefusal(), "wave/huge.wav: larger than 5 MB");
}

// A compressed file holds many times the sound its bytes suggest: 51 KB of IMA-ADPCM
// declaring 512-byte blocks of 4-bit samples would be reckoned at under a second.
TEST_F(SdlSoundTest, OnlyPcmWordFilesOf8Or16BitsAreTaken) {
  std::string adpcm = FmtChunk(0x11, 512, 4);
  PutLittleEndian(adpcm, 2, 2);     // bytes that follow
  PutLittleEndian(adpcm, 1017, 2);  // samples a block
  WriteWavOfFormat(folder / "wave" / "adpcm.wav", adpcm, 51200);
  WriteWavOfFormat(folder / "wave" / "deep.wav", FmtChunk(1, 3, 24), 6615);
  WriteWavOfFormat(folder / "wave" / "float.wav", ExtensibleFmtChunk(3, 32), 8820);
  WriteWavOfFormat(folder / "wave" / "wide.wav", ExtensibleFmtChunk(1, 16), 4410);
  WriteWavOfFormat(folder / "wave" / "byte.wav", FmtChunk(1, 1, 8), 2205);
  EXPECT_EQ(SoundFileRefusal("wave/adpcm.wav"), "not PCM (format 17)");
  EXPECT_EQ(SoundFileRefusal("wave/deep.wav"), "24 bits a sample");
  EXPECT_EQ(SoundFileRefusal("wave/float.wav"), "not PCM (format 3)");
  EXPECT_EQ(SoundFileRefusal("wave/wide.wav"), "");
  EXPECT_EQ(SoundFileRefusal("wave/byte.wav"), "");
  std::string played = "x";
  EXPECT_LT(TimedPlay("wave\\adpcm", false, &played), 50);
  EXPECT_EQ(played, "");
  EXPECT_EQ(player->TakeRefusal(), "wave/adpcm.wav: not PCM (format 17)");
  EXPECT_EQ(player->Play("wave\\wide", false), "wave/wide.wav");
}

// The path rules themselves are tested with the path lookup; here only that the player
// goes through them.
TEST_F(SdlSoundTest, FilesAreFoundWithoutRegardToCaseAndNeverOutsideTheFolder) {
  WriteWav(folder / "wave" / "fm.wav", 20);
  WriteWav(folder / "secret.wav", 20);
  EXPECT_EQ(player->Play("WAVE\\FM", false), "wave/fm.wav");
  EXPECT_EQ(player->Play("wave\\fm.wav", false), "wave/fm.wav");
  EXPECT_EQ(player->Play("wave\\..\\secret", false), "");
  EXPECT_EQ(player->Play((folder / "secret.wav").string(), false), "");
  EXPECT_EQ(player->Play("/etc/passwd", false), "");
}

}  // namespace
}  // namespace kestrel::platform
