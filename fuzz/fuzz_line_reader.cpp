// The line reader over any file: it ends, never hands out a CR or LF, keeps every line to
// 254 characters, and gives exactly the lines between the line ends, nothing lost or added.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_support.h"
#include "runtime/files.h"
#include "runtime/text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace kestrel;
  fuzz::FreshScratchFolder();
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  fuzz::WriteWholeFile("lines.txt", input);
  const std::vector<std::string> expected = fuzz::SplitLines(input);

  FileVariable file;
  FUZZ_CHECK(OpenFile(file, "lines.txt", "R") == 0);
  Text line = "left from before";
  std::vector<std::string> lines;
  // Every line takes at least one byte, so more reads than bytes means it never ends.
  while (ReadLine(file, line) == 0) {
    FUZZ_CHECK(lines.size() <= size);
    FUZZ_CHECK(line.size() <= kTextLimit);
    FUZZ_CHECK(line.str().find_first_of("\r\n") == std::string::npos);
    lines.push_back(line.str());
  }
  FUZZ_CHECK(line.empty());
  FUZZ_CHECK(ReadLine(file, line) == -1);
  CloseFile(file);

  FUZZ_CHECK(lines.size() == expected.size());
  FUZZ_CHECK(lines == expected);
  return 0;
}
