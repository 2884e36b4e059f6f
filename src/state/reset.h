// The reset of the program-wide state. Each variable is defined with KESTREL_STATE (or
// KESTREL_STATE_ARRAY) in the one line that gives its start value; that line also enters it
// in the list ResetProgramState runs, so no variable can be added without its reset. State
// that only a routine can put back (an open port, a kept announcement) enters its routine
// with state::OnReset.
#pragma once

#include <cstddef>

#include "runtime/files.h"

namespace kestrel {

// Puts every program-wide variable back to its value at program start.
void ResetProgramState();

namespace state {

using ResetRoutine = void (*)();

// Enters a routine in the list ResetProgramState runs.
struct OnReset {
  explicit OnReset(ResetRoutine routine);
};

template <typename T>
void Restart(T& variable) {
  variable = T{};
}
template <typename T, typename Start>
void Restart(T& variable, const Start& start) {
  variable = start;
}
template <typename T, std::size_t N>
void Restart(T (&elements)[N]) {
  for (auto& element : elements) element = T{};
}
inline void Restart(FileVariable& file) { CloseFile(file); }

}  // namespace state
}  // namespace kestrel

// type name = start (or type name, value-initialised), reset to the same value.
#define KESTREL_STATE(type, name, ...)                                 \
  type name __VA_OPT__(= __VA_ARGS__);                                 \
  static const ::kestrel::state::OnReset name##_reset_ {               \
    [] { ::kestrel::state::Restart(name __VA_OPT__(, ) __VA_ARGS__); } \
  }

// type name[size], every element value-initialised, and reset so.
#define KESTREL_STATE_ARRAY(type, name, size)            \
  type name[size];                                       \
  static const ::kestrel::state::OnReset name##_reset_ { \
    [] { ::kestrel::state::Restart(name); }              \
  }
