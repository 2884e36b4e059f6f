#include "runtime/platform/linux_keys.h"

namespace kestrel::platform {
namespace {

struct KeyEntry {
  SDL_Scancode scancode;
  int code;
};

// Keys that give the same code wherever they are and whatever the modifiers.
constexpr KeyEntry kFixedKeys[] = {
    {SDL_SCANCODE_BACKSPACE, 8},
    {SDL_SCANCODE_TAB, 9},
    {SDL_SCANCODE_RETURN, 13},
    {SDL_SCANCODE_KP_ENTER, 13},
    {SDL_SCANCODE_LSHIFT, 16},
    {SDL_SCANCODE_RSHIFT, 16},
    {SDL_SCANCODE_LCTRL, 17},
    {SDL_SCANCODE_RCTRL, 17},
    {SDL_SCANCODE_LALT, 18},
    {SDL_SCANCODE_RALT, 18},
    {SDL_SCANCODE_PAUSE, 19},
    {SDL_SCANCODE_CAPSLOCK, 20},
    {SDL_SCANCODE_ESCAPE, 27},
    {SDL_SCANCODE_SPACE, 32},
    {SDL_SCANCODE_PAGEUP, 33},
    {SDL_SCANCODE_PAGEDOWN, 34},
    {SDL_SCANCODE_END, 35},
    {SDL_SCANCODE_HOME, 36},
    {SDL_SCANCODE_LEFT, 37},
    {SDL_SCANCODE_UP, 38},
    {SDL_SCANCODE_RIGHT, 39},
    {SDL_SCANCODE_DOWN, 40},
    {SDL_SCANCODE_PRINTSCREEN, 44},
    {SDL_SCANCODE_INSERT, 45},
    {SDL_SCANCODE_DELETE, 46},
    {SDL_SCANCODE_LGUI, 91},
    {SDL_SCANCODE_RGUI, 92},
    {SDL_SCANCODE_APPLICATION, 93},
    {SDL_SCANCODE_KP_MULTIPLY, 106},
    {SDL_SCANCODE_KP_PLUS, 107},
    {SDL_SCANCODE_KP_MINUS, 109},
    {SDL_SCANCODE_KP_DIVIDE, 111},
    {SDL_SCANCODE_NUMLOCKCLEAR, 144},
    {SDL_SCANCODE_SCROLLLOCK, 145},
    {SDL_SCANCODE_SEMICOLON, 186},
    {SDL_SCANCODE_EQUALS, 187},
    {SDL_SCANCODE_COMMA, 188},
    {SDL_SCANCODE_MINUS, 189},
    {SDL_SCANCODE_PERIOD, 190},
    {SDL_SCANCODE_SLASH, 191},
    {SDL_SCANCODE_GRAVE, 192},
    {SDL_SCANCODE_LEFTBRACKET, 219},
    {SDL_SCANCODE_BACKSLASH, 220},
    {SDL_SCANCODE_NONUSHASH, 220},
    {SDL_SCANCODE_RIGHTBRACKET, 221},
    {SDL_SCANCODE_APOSTROPHE, 222},
    {SDL_SCANCODE_NONUSBACKSLASH, 226},
};

// The keypad's digit keys and point: the code with NumLock on, and with it off.
struct KeypadEntry {
  SDL_Scancode scancode;
  int numLockOn;
  int numLockOff;
};

constexpr KeypadEntry kKeypadKeys[] = {
    {SDL_SCANCODE_KP_0, 96, 45},  {SDL_SCANCODE_KP_1, 97, 35},       {SDL_SCANCODE_KP_2, 98, 40},
    {SDL_SCANCODE_KP_3, 99, 34},  {SDL_SCANCODE_KP_4, 100, 37},      {SDL_SCANCODE_KP_5, 101, 12},
    {SDL_SCANCODE_KP_6, 102, 39}, {SDL_SCANCODE_KP_7, 103, 36},      {SDL_SCANCODE_KP_8, 104, 38},
    {SDL_SCANCODE_KP_9, 105, 33}, {SDL_SCANCODE_KP_PERIOD, 110, 46},
};

bool InRange(SDL_Scancode scancode, SDL_Scancode first, SDL_Scancode last) {
  return scancode >= first && scancode <= last;
}

}  // namespace

int VirtualKeyCode(SDL_Scancode scancode, SDL_Keycode key, bool numLockOn) {
  // Letters come from the layout, so the key that types "q" is Q on every keyboard; a key
  // in a letter's place that types no Latin letter keeps the letter of its place.
  if (key >= SDLK_a && key <= SDLK_z) return 'A' + static_cast<int>(key - SDLK_a);
  if (InRange(scancode, SDL_SCANCODE_A, SDL_SCANCODE_Z)) return 'A' + (scancode - SDL_SCANCODE_A);
  // The main-row digits by their place, so layouts that need Shift for them still give them.
  if (scancode == SDL_SCANCODE_0) return '0';
  if (InRange(scancode, SDL_SCANCODE_1, SDL_SCANCODE_9)) return '1' + (scancode - SDL_SCANCODE_1);
  if (InRange(scancode, SDL_SCANCODE_F1, SDL_SCANCODE_F12))
    return 112 + (scancode - SDL_SCANCODE_F1);
  if (InRange(scancode, SDL_SCANCODE_F13, SDL_SCANCODE_F24))
    return 124 + (scancode - SDL_SCANCODE_F13);
  for (const auto& entry : kKeypadKeys) {
    if (entry.scancode == scancode) return numLockOn ? entry.numLockOn : entry.numLockOff;
  }
  for (const auto& entry : kFixedKeys) {
    if (entry.scancode == scancode) return entry.code;
  }
  return 0;
}

bool IsSystemKey(SDL_Scancode scancode, Uint16 modifiers) {
  if (scancode == SDL_SCANCODE_LALT || scancode == SDL_SCANCODE_RALT ||
      scancode == SDL_SCANCODE_F10) {
    return true;
  }
  return (modifiers & KMOD_ALT) != 0 && (modifiers & KMOD_CTRL) == 0;
}

}  // namespace kestrel::platform
