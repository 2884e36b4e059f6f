#include "runtime/platform/linux_display_fd.h"

#include <SDL.h>
#include <SDL_syswm.h>

namespace kestrel::platform {

int DisplayConnectionFd(SDL_Window* window) {
#if defined(SDL_VIDEO_DRIVER_X11)
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (window && SDL_GetWindowWMInfo(window, &info) && info.subsystem == SDL_SYSWM_X11) {
    return ConnectionNumber(info.info.x11.display);
  }
#else
  (void)window;
#endif
  return -1;
}

}  // namespace kestrel::platform
