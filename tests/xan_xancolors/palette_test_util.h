// Helpers of the palette tests: a palette's colours as a vector, a palette numbered 1..n, and a
// counter of its notifications.
#pragma once

#include <cstdint>
#include <vector>

#include "xan/xancolors/color_array.h"

namespace xan::testing {

inline std::vector<TColor> Colors(const TColorArray& p) {
  std::vector<TColor> v;
  for (int32_t i = 1; i <= p.Size(); ++i) v.push_back(p.GetColorElem(i));
  return v;
}

// A palette of n entries holding 1, 2, ..., n, so that moves are easy to read.
inline void Number(TColorArray& p, int32_t n) {
  p.SetSize(n);
  for (int32_t i = 1; i <= n; ++i) p.SetColorElem(i, static_cast<TColor>(i));
}

// Counts the notifications of a palette.
struct Counter {
  int calls = 0;
  TObject* sender = nullptr;
  void Watch(TColorArray& p) {
    p.SetOnChange([this](TObject* s) { ++calls, sender = s; });
  }
};

}  // namespace xan::testing
