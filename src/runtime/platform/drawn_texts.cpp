#include "runtime/platform/drawn_texts.h"

#include <algorithm>

namespace kestrel::platform {
namespace {

bool Overlap(const TextBox& a, const TextBox& b) {
  return a.x < b.x + b.width && b.x < a.x + a.width && a.y < b.y + b.height && b.y < a.y + a.height;
}

bool SameFont(const FontSpec& a, const FontSpec& b) {
  return a.face == b.face && a.points == b.points && a.weight == b.weight;
}

}  // namespace

int DrawnTexts::WidthIfStanding(int x, int y, const FontSpec& font, std::uint32_t colour,
                                const std::string& text) const {
  for (const auto& entry : entries_) {
    if (entry.box.x == x && entry.box.y == y && entry.colour == colour && entry.text == text &&
        SameFont(entry.font, font)) {
      return entry.box.width;
    }
  }
  return -1;
}

void DrawnTexts::Record(const TextBox& box, const FontSpec& font, std::uint32_t colour,
                        const std::string& text) {
  std::erase_if(entries_, [&box](const Entry& entry) {
    return Overlap(entry.box, box) || (entry.box.x == box.x && entry.box.y == box.y);
  });
  entries_.push_back({box, font, colour, text});
}

}  // namespace kestrel::platform
