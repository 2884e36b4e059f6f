#include <gtest/gtest.h>

#include "runtime/platform/linux_keys.h"

namespace kestrel::platform {
namespace {

int Code(SDL_Scancode scancode, SDL_Keycode key = SDLK_UNKNOWN, bool numLock = false) {
  return VirtualKeyCode(scancode, key, numLock);
}

TEST(KeyMapping, MainRowDigitsGoByPlaceWhateverTheyType) {
  const SDL_Scancode row[] = {SDL_SCANCODE_0, SDL_SCANCODE_1, SDL_SCANCODE_2, SDL_SCANCODE_3,
                              SDL_SCANCODE_4, SDL_SCANCODE_5, SDL_SCANCODE_6, SDL_SCANCODE_7,
                              SDL_SCANCODE_8, SDL_SCANCODE_9};
  for (int digit = 0; digit <= 9; ++digit) {
    EXPECT_EQ(Code(row[digit], SDLK_0 + digit), 48 + digit) << digit;
    // A layout that types "&", "é", ... on this row without Shift.
    EXPECT_EQ(Code(row[digit], SDLK_AMPERSAND), 48 + digit) << digit;
  }
}

TEST(KeyMapping, KeypadGivesDigitsOnlyWithNumLockOn) {
  struct Case {
    SDL_Scancode scancode;
    int on;
    int off;
  };
  const Case cases[] = {
      {SDL_SCANCODE_KP_0, 96, 45},  {SDL_SCANCODE_KP_1, 97, 35},       {SDL_SCANCODE_KP_2, 98, 40},
      {SDL_SCANCODE_KP_3, 99, 34},  {SDL_SCANCODE_KP_4, 100, 37},      {SDL_SCANCODE_KP_5, 101, 12},
      {SDL_SCANCODE_KP_6, 102, 39}, {SDL_SCANCODE_KP_7, 103, 36},      {SDL_SCANCODE_KP_8, 104, 38},
      {SDL_SCANCODE_KP_9, 105, 33}, {SDL_SCANCODE_KP_PERIOD, 110, 46},
  };
  for (const auto& c : cases) {
    const SDL_Keycode key = SDL_GetKeyFromScancode(c.scancode);
    EXPECT_EQ(Code(c.scancode, key, true), c.on) << SDL_GetScancodeName(c.scancode);
    EXPECT_EQ(Code(c.scancode, key, false), c.off) << SDL_GetScancodeName(c.scancode);
  }
}

TEST(KeyMapping, FunctionKeys) {
  const SDL_Scancode keys[] = {SDL_SCANCODE_F1, SDL_SCANCODE_F2, SDL_SCANCODE_F3, SDL_SCANCODE_F4,
                               SDL_SCANCODE_F5, SDL_SCANCODE_F6, SDL_SCANCODE_F7};
  for (int i = 0; i < 7; ++i) EXPECT_EQ(Code(keys[i]), 112 + i);
  EXPECT_EQ(Code(SDL_SCANCODE_F12), 123);
}

TEST(KeyMapping, NamedKeys) {
  struct Case {
    SDL_Scancode scancode;
    int code;
  };
  const Case cases[] = {
      {SDL_SCANCODE_LEFT, 37},    {SDL_SCANCODE_UP, 38},
      {SDL_SCANCODE_RIGHT, 39},   {SDL_SCANCODE_DOWN, 40},
      {SDL_SCANCODE_PAGEUP, 33},  {SDL_SCANCODE_PAGEDOWN, 34},
      {SDL_SCANCODE_RETURN, 13},  {SDL_SCANCODE_KP_ENTER, 13},
      {SDL_SCANCODE_SPACE, 32},   {SDL_SCANCODE_DELETE, 46},
      {SDL_SCANCODE_PERIOD, 190}, {SDL_SCANCODE_BACKSPACE, 8},
      {SDL_SCANCODE_TAB, 9},      {SDL_SCANCODE_LSHIFT, 16},
      {SDL_SCANCODE_RSHIFT, 16},  {SDL_SCANCODE_LCTRL, 17},
      {SDL_SCANCODE_RCTRL, 17},   {SDL_SCANCODE_LALT, 18},
      {SDL_SCANCODE_ESCAPE, 27},  {SDL_SCANCODE_HOME, 36},
      {SDL_SCANCODE_END, 35},     {SDL_SCANCODE_INSERT, 45},
      {SDL_SCANCODE_COMMA, 188},  {SDL_SCANCODE_MINUS, 189},
      {SDL_SCANCODE_SLASH, 191},  {SDL_SCANCODE_NUMLOCKCLEAR, 144},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Code(c.scancode, SDL_GetKeyFromScancode(c.scancode)), c.code)
        << SDL_GetScancodeName(c.scancode);
  }
  EXPECT_EQ(Code(SDL_SCANCODE_MUTE, SDLK_MUTE), 0);
}

TEST(KeyMapping, LettersFollowTheLayout) {
  EXPECT_EQ(Code(SDL_SCANCODE_A, SDLK_a), 65);
  EXPECT_EQ(Code(SDL_SCANCODE_Z, SDLK_z), 90);
  // On a French keyboard the key in the place of Q types "a".
  EXPECT_EQ(Code(SDL_SCANCODE_Q, SDLK_a), 65);
  // A key that types a letter from outside Latin keeps the letter of its place.
  EXPECT_EQ(Code(SDL_SCANCODE_F, 0x0430), 70);
}

TEST(KeyMapping, AltF10AndKeysWithAltAreSystemKeys) {
  EXPECT_TRUE(IsSystemKey(SDL_SCANCODE_LALT, KMOD_LALT));
  EXPECT_TRUE(IsSystemKey(SDL_SCANCODE_LALT, KMOD_NONE));  // its release
  EXPECT_TRUE(IsSystemKey(SDL_SCANCODE_F10, KMOD_NONE));
  EXPECT_TRUE(IsSystemKey(SDL_SCANCODE_TAB, KMOD_LALT));
  EXPECT_FALSE(IsSystemKey(SDL_SCANCODE_Q, KMOD_RALT | KMOD_LCTRL));  // AltGr
  EXPECT_FALSE(IsSystemKey(SDL_SCANCODE_F9, KMOD_NUM | KMOD_SHIFT));
  EXPECT_FALSE(IsSystemKey(SDL_SCANCODE_LCTRL, KMOD_LCTRL));
}

}  // namespace
}  // namespace kestrel::platform
