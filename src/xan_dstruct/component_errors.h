// Storage failures of the data-structure components, reported as the unit's own error with the
// component's name: "Component \"<Name>\": <reason>".
#pragma once

#include <new>
#include <stdexcept>
#include <utility>

#include "xan/platform/classes.h"
#include "xan/xanbase.h"

namespace xan::detail {

inline constexpr StringView kNotEnoughMemory = u"not enough memory on heap";

// Runs `allocate` and turns a failed allocation (std::bad_alloc, or a std::length_error for a
// size no container can hold) into EXANDStructError naming `component`.
template <class F>
decltype(auto) GuardStorage(const TComponent& component, StringView reason, F&& allocate) {
  try {
    return std::forward<F>(allocate)();
  } catch (const std::bad_alloc&) {
    throw EXANDStructError(component.ComponentMessage(reason));
  } catch (const std::length_error&) {
    throw EXANDStructError(component.ComponentMessage(reason));
  }
}

}  // namespace xan::detail
