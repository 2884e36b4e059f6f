// The folders of an installed program: the user's data folder, the voice set's places, and
// the working folder chosen on the command line (--folder DIR, --user-folder).
#pragma once

#include <string>
#include <vector>

#include "runtime/platform/sound_path.h"

namespace kestrel::platform {

// $XDG_DATA_HOME, or $HOME/.local/share when it is unset or relative; "" without either.
std::string DataHome();

// The user's Kestrel folder: DataHome() + "/kestrel".
std::string UserFolder();

// The voice set's places as this process sees them (environment, install, own location).
VoicePlaces VoicePlacesOfProcess();

// Takes "--folder DIR" (or "--folder=DIR") and "--user-folder" out of args. folder is the
// folder to work in ("" when neither was given); false with problem set when the option is
// wrong (no DIR, both given, given twice).
bool TakeFolderOption(std::vector<std::string>& args, std::string& folder, std::string& problem);

// Makes folder the working folder; the user's Kestrel folder is made first when missing.
// false with problem set when it cannot be entered.
bool EnterFolder(const std::string& folder, std::string& problem);

// The lines of --help that describe the two options.
extern const char* const kFolderOptionsHelp;

}  // namespace kestrel::platform
