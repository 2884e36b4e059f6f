#include "runtime/platform/linux_fonts.h"

namespace kestrel::platform {
namespace {

// The panel asks for "Ariel", "ARIEL" and "Aerial". Left alone, fontconfig gives unknown
// names its default sans face, which on Debian is DejaVu Sans: about a fifth wider than the
// Arial metrics the layout was made for, so fields run into each other. These names are
// therefore aliases of Arial, and of Liberation Sans, which has Arial's metrics.
constexpr const char* kFaceAliases = R"(<?xml version="1.0"?>
<!DOCTYPE fontconfig SYSTEM "fonts.dtd">
<fontconfig>
  <alias binding="same">
    <family>Ariel</family>
    <prefer><family>Arial</family><family>Liberation Sans</family></prefer>
  </alias>
  <alias binding="same">
    <family>Aerial</family>
    <prefer><family>Arial</family><family>Liberation Sans</family></prefer>
  </alias>
</fontconfig>
)";

constexpr int kDotsPerInch = 96;
// Weights from this one on are bold; a face without a bold cut is emboldened by SDL_ttf.
constexpr int kBoldWeight = 600;

}  // namespace

bool FontCache::Start() {
  if (started_) return true;
  if (TTF_Init() != 0) return false;
  config_ = FcInitLoadConfigAndFonts();
  if (config_) {
    FcConfigParseAndLoadFromMemory(config_, reinterpret_cast<const FcChar8*>(kFaceAliases), FcTrue);
  }
  started_ = true;
  return true;
}

void FontCache::Stop() {
  if (!started_) return;
  for (auto& [key, font] : fonts_) TTF_CloseFont(font);
  fonts_.clear();
  if (config_) FcConfigDestroy(config_);
  config_ = nullptr;
  TTF_Quit();
  started_ = false;
}

TTF_Font* FontCache::Get(const FontSpec& wanted) {
  if (!started_) return nullptr;
  const auto key = std::make_tuple(wanted.face, wanted.points, wanted.weight);
  if (const auto found = fonts_.find(key); found != fonts_.end()) return found->second;
  TTF_Font* font = Open(wanted);
  // A face that cannot be opened is remembered too, so it is not searched for on every print.
  fonts_[key] = font;
  return font;
}

std::string FontCache::FindFile(const std::string& face, int weight, int* index, int* foundWeight) {
  if (!config_) return {};
  FcPattern* pattern = FcPatternCreate();
  FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(face.c_str()));
  FcPatternAddInteger(pattern, FC_WEIGHT, FcWeightFromOpenType(weight));
  FcPatternAddInteger(pattern, FC_SLANT, FC_SLANT_ROMAN);
  FcConfigSubstitute(config_, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result = FcResultNoMatch;
  FcPattern* match = FcFontMatch(config_, pattern, &result);
  FcPatternDestroy(pattern);
  std::string file;
  if (match) {
    FcChar8* path = nullptr;
    if (FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch)
      file = reinterpret_cast<char*>(path);
    if (FcPatternGetInteger(match, FC_INDEX, 0, index) != FcResultMatch) *index = 0;
    int fcWeight = FC_WEIGHT_REGULAR;
    FcPatternGetInteger(match, FC_WEIGHT, 0, &fcWeight);
    *foundWeight = FcWeightToOpenType(fcWeight);
    FcPatternDestroy(match);
  }
  return file;
}

TTF_Font* FontCache::Open(const FontSpec& wanted) {
  const bool useDefault = wanted.points <= 0;
  const std::string face = useDefault ? kDefaultFace : wanted.face;
  const int points = useDefault ? kDefaultPoints : wanted.points;
  const int weight = useDefault ? kDefaultWeight : wanted.weight;
  int index = 0;
  int foundWeight = weight;
  const std::string file = FindFile(face, weight, &index, &foundWeight);
  if (file.empty()) return nullptr;
  TTF_Font* font = TTF_OpenFontIndexDPI(file.c_str(), points, index, kDotsPerInch, kDotsPerInch);
  if (font && weight >= kBoldWeight && foundWeight < kBoldWeight)
    TTF_SetFontStyle(font, TTF_STYLE_BOLD);
  return font;
}

}  // namespace kestrel::platform
