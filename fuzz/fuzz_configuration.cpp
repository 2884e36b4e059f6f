// The configuration reader over any KESTREL.CFG: the fields come from their character
// positions of the first five lines, every text stays within 254 characters, the switches
// are single digits, and speech is off (WaveFolder empty) exactly when the voice switch is 0.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "app/app.h"
#include "fuzz_support.h"
#include "runtime/files.h"
#include "runtime/text.h"
#include "state/app.h"
#include "state/link.h"
#include "state/speech.h"

namespace {

// Line n (from 1) of the file as the configuration reader sees it; "" past the end.
std::string LineOf(const std::vector<std::string>& lines, std::size_t n) {
  return n <= lines.size() ? lines[n - 1] : std::string();
}

// The value of the seventh character of a line: its digit, or 0.
int SwitchOf(const std::string& line) {
  return line.size() >= 7 && line[6] >= '0' && line[6] <= '9' ? line[6] - '0' : 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace kestrel;
  fuzz::FreshScratchFolder();
  ResetProgramState();
  WaveFolder = "wave\\";
  SoundFolder = "wave\\";
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  fuzz::WriteWholeFile("KESTREL.CFG", input);
  const std::vector<std::string> lines = fuzz::SplitLines(input);

  FUZZ_CHECK(OpenFile(ConfigFile, "KESTREL.CFG", "R") == 0);
  ReadConfiguration();
  CloseFile(ConfigFile);

  FUZZ_CHECK(!ConfigFile.IsOpen());
  for (const Text* text : {&PortText, &BaudText, &ConfigLine, &WaveFolder}) {
    FUZZ_CHECK(text->size() <= kTextLimit);
  }
  FUZZ_CHECK(PortText.str() == Mid(LineOf(lines, 1), 5));
  FUZZ_CHECK(BaudText.str() == Mid(LineOf(lines, 2), 7));
  FUZZ_CHECK(VoiceEnabled == SwitchOf(LineOf(lines, 4)));
  FUZZ_CHECK(DebugFlag == SwitchOf(LineOf(lines, 5)));
  FUZZ_CHECK(WaveFolder.empty() == (VoiceEnabled == 0));
  FUZZ_CHECK(SoundFolder == "wave\\");
  return 0;
}
