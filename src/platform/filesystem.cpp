// The file system of the platform layer: name masks and lexical path expansion here, the host's
// directory search and entry operations from the included host file.
#include "xan/platform/filesystem.h"

#include <vector>

namespace xan {

bool MatchesMask(StringView Name, StringView Mask) noexcept {
  if (Mask.empty()) return false;
  if (Mask == u"*.*" || Mask == u"*") return true;
  // Greedy matching with one remembered '*': linear in practice, never recursive.
  size_t n = 0, m = 0;
  size_t starMask = StringView::npos, starName = 0;
  while (n < Name.size()) {
    if (m < Mask.size() && (Mask[m] == u'?' || Mask[m] == Name[n])) {
      ++n;
      ++m;
    } else if (m < Mask.size() && Mask[m] == u'*') {
      starMask = m++;
      starName = n;
    } else if (starMask != StringView::npos) {
      m = starMask + 1;
      n = ++starName;
    } else {
      return false;
    }
  }
  while (m < Mask.size() && Mask[m] == u'*') ++m;
  return m == Mask.size();
}

}  // namespace xan

#if defined(_WIN32)
#include "win32/filesystem.inc"
#elif defined(__unix__) || defined(__APPLE__)
#include "posix/filesystem.inc"
#else
#error "xan: the file system services have no implementation for this host yet"
#endif
