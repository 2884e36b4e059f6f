// The panel's version, the start value of VersionText: the title line, the window's caption
// and the trace header carry it, and start-up says its number. (The package's own version,
// which --version prints, is the project's in CMakeLists.txt.)
#pragma once

#define KESTREL_PANEL_VERSION "4.0c"

namespace kestrel {

inline constexpr const char* kPanelVersion = KESTREL_PANEL_VERSION;

}  // namespace kestrel
