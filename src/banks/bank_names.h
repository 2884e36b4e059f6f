// Bank file names: "bank" + key + ".dat" in the working folder, and the test that keeps a
// typed key from naming any other file.
#pragma once

#include <string>

#include "state/bank_layout.h"

namespace kestrel {

inline constexpr const char* kSearchListName = "bank00.dat";  // the search's finds

// "bank" + key + ".dat".
std::string BankFileNameOf(const std::string& key);
// True when the name is "bank" + a key of letters, digits and points + ".dat": a plain file
// of the working folder. A key typed with "/", "\", a NUL or any other character, or a name
// cut short by the text limit, names no bank.
bool IsSafeBankFileName(const std::string& name);

}  // namespace kestrel
