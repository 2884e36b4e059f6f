#include "runtime/config_format.h"

namespace kestrel::config {

void ReadValues(FileVariable& file, Text& lineRead, Text (&values)[kLineCount]) {
  for (int line = 0; line < kLineCount; ++line) {
    ReadLine(file, lineRead);
    values[line] = Mid(lineRead.str(), ValueStart(static_cast<Line>(line)));
  }
}

int SwitchValue(const Text& value) { return StoreInteger(TextToNumber(Mid(value.str(), 1, 1))); }

}  // namespace kestrel::config
