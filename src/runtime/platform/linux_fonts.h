// Fonts for the SDL window: a face name, a size in points and a weight, found through
// fontconfig and opened with SDL_ttf at 96 dots per inch, kept open once used.
#pragma once

#include <SDL_ttf.h>
#include <fontconfig/fontconfig.h>

#include <map>
#include <string>
#include <tuple>

#include "runtime/platform/window_system.h"

namespace kestrel::platform {

// The face used for points 0, the font a window has before any is chosen.
inline constexpr const char* kDefaultFace = "Liberation Sans";
inline constexpr int kDefaultPoints = 12;
inline constexpr int kDefaultWeight = 400;

class FontCache {
 public:
  FontCache() = default;
  FontCache(const FontCache&) = delete;
  FontCache& operator=(const FontCache&) = delete;
  ~FontCache() { Stop(); }

  bool Start();
  void Stop();
  // The font asked for, nullptr when no face can be opened.
  TTF_Font* Get(const FontSpec& wanted);
  // The file fontconfig chooses for a face and weight ("" when none).
  std::string FindFile(const std::string& face, int weight, int* index, int* foundWeight);

 private:
  TTF_Font* Open(const FontSpec& wanted);

  bool started_ = false;
  FcConfig* config_ = nullptr;
  std::map<std::tuple<std::string, int, int>, TTF_Font*> fonts_;
};

}  // namespace kestrel::platform
