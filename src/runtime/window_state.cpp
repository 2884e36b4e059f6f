#include "runtime/window.h"

namespace kestrel {

int EventMessage = 0;
int EventCode = 0;
int EventData = 0;

void ResetWindowState() {
  EventMessage = 0;
  EventCode = 0;
  EventData = 0;
  ForgetOpenedWindow();
  ForgetWatchedDescriptors();
}

}  // namespace kestrel
