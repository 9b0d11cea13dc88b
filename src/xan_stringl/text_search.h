// The pattern finder under the search, count, replace and split functions of the string unit:
// exact UTF-16 comparison in time linear in the lengths of text and pattern.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "xan/platform/strings.h"

namespace xan {

// Finds one pattern in texts. The usual case runs as a scan for the pattern's first character
// followed by a direct comparison, which is fastest on ordinary text; when partial matches have
// cost more than twice the distance scanned (texts like "aaaa...b"), the search switches to
// Knuth-Morris-Pratt for the rest of the call, so no search is quadratic. The pattern is viewed,
// not copied: it must outlive the searcher.
class TTextSearcher {
 public:
  static constexpr size_t npos = StringView::npos;

  explicit TTextSearcher(StringView pattern) noexcept : FPattern(pattern) {}

  // The 0-based index of the first occurrence starting at or after `from`, or npos. An empty
  // pattern is never found.
  size_t Find(StringView text, size_t from) {
    const size_t m = FPattern.size();
    const size_t n = text.size();
    if (m == 0 || from > n || n - from < m) return npos;
    const Char* data = text.data();
    const Char* pat = FPattern.data();
    const size_t last = n - m;  // the last possible start
    const size_t budget = 2 * m + 64;
    size_t work = 0;
    size_t i = from;
    while (i <= last) {
      const Char* p = std::char_traits<Char>::find(data + i, last - i + 1, pat[0]);
      if (p == nullptr) return npos;
      i = static_cast<size_t>(p - data);
      size_t k = 1;
      while (k < m && data[i + k] == pat[k]) ++k;
      if (k == m) return i;
      work += k;
      if (work > 2 * (i - from) + budget) return FindKmp(text, i);
      ++i;
    }
    return npos;
  }

  // The number of occurrences in text, taken without overlap from the left.
  int32_t Count(StringView text) {
    int32_t count = 0;
    for (size_t i = Find(text, 0); i != npos; i = Find(text, i + FPattern.size())) ++count;
    return count;
  }

 private:
  size_t FindKmp(StringView text, size_t from) {
    const size_t m = FPattern.size();
    if (FFail.empty()) BuildFailure();
    size_t q = 0;
    for (size_t i = from; i < text.size(); ++i) {
      while (q > 0 && FPattern[q] != text[i]) q = FFail[q - 1];
      if (FPattern[q] == text[i]) ++q;
      if (q == m) return i + 1 - m;
    }
    return npos;
  }

  // FFail[j]: the length of the longest proper border of the pattern's first j + 1 characters.
  void BuildFailure() {
    const size_t m = FPattern.size();
    FFail.assign(m, 0);
    size_t q = 0;
    for (size_t j = 1; j < m; ++j) {
      while (q > 0 && FPattern[q] != FPattern[j]) q = FFail[q - 1];
      if (FPattern[q] == FPattern[j]) ++q;
      FFail[j] = q;
    }
  }

  StringView FPattern;
  std::vector<size_t> FFail;
};

}  // namespace xan
