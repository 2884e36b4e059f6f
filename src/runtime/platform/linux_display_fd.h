// The descriptor of a window's display connection, for a wait that also watches other
// descriptors.
#pragma once

struct SDL_Window;

namespace kestrel::platform {

// The X connection's descriptor; -1 on a display that has none to offer.
int DisplayConnectionFd(SDL_Window* window);

}  // namespace kestrel::platform
