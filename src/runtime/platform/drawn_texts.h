// What stands on the window's surface, text by text, so that a text drawn again where it
// still stands whole, in the same font and colour, need not be rendered or shown again.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "runtime/platform/window_system.h"

namespace kestrel::platform {

struct TextBox {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
};

class DrawnTexts {
 public:
  // The width of that very text when it still stands whole at (x, y) in that font and
  // colour; -1 otherwise.
  int WidthIfStanding(int x, int y, const FontSpec& font, std::uint32_t colour,
                      const std::string& text) const;
  // A text now covers the box: every text it overlaps is forgotten, and it is remembered.
  void Record(const TextBox& box, const FontSpec& font, std::uint32_t colour,
              const std::string& text);
  // The surface was cleared.
  void Clear() { entries_.clear(); }

 private:
  struct Entry {
    TextBox box;
    FontSpec font;
    std::uint32_t colour = 0;
    std::string text;
  };
  std::vector<Entry> entries_;
};

}  // namespace kestrel::platform
