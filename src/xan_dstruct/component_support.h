// Support shared by the data-structure components: storage failures reported as the unit's own
// error naming the component, and the copy into an object of the same class.
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

// The AssignTo of a class T that copies only into its own kind: Dest.Assign(self) when Dest is
// a T, else the base behaviour (which raises EConvertError).
template <class T>
void AssignToSameClass(const T& self, TPersistent& Dest) {
  if (auto* dst = dynamic_cast<T*>(&Dest)) {
    dst->Assign(self);
    return;
  }
  self.TPersistent::AssignTo(Dest);
}

}  // namespace xan::detail
