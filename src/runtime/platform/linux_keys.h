// SDL keys as the program knows them: the Windows virtual-key codes its command keys use.
#pragma once

#include <SDL.h>

namespace kestrel::platform {

// The virtual-key code of a key, 0 for a key the program has no code for. Letters follow
// the layout (the key that types "a" is 65 whatever the shift state); the main-row digits
// and the other keys follow their place on the keyboard. The keypad gives digits only with
// NumLock on; with it off it gives the codes of the navigation keys printed on its caps.
int VirtualKeyCode(SDL_Scancode scancode, SDL_Keycode key, bool numLockOn);

// Whether a key event is a system key's: Alt itself, F10, or any key while Alt is held
// without Ctrl (Ctrl with Alt is AltGr typing a character).
bool IsSystemKey(SDL_Scancode scancode, Uint16 modifiers);

}  // namespace kestrel::platform
