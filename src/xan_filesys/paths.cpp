// Path and file-name text in Windows or POSIX style: splitting, extensions, drives, validity and
// 8.3 rules, shortening for display.
#include "xan/filesys/paths.h"

#include "xan/stringl/char_funcs.h"

namespace xan {

namespace {

// Index just after the path part: after the last separator (psWindows: '\' or ':'), or 0.
size_t NameStart(StringView Path, TPathStyle Style) noexcept {
  const size_t last = Style == psWindows ? Path.find_last_of(u"\\:") : Path.rfind(u'/');
  return last == StringView::npos ? 0 : last + 1;
}

}  // namespace

String ExtractFilePath(StringView Path, TPathStyle Style) {
  return String(Path.substr(0, NameStart(Path, Style)));
}

String ExtractFileName(StringView Path, TPathStyle Style) {
  return String(Path.substr(NameStart(Path, Style)));
}

String EnsureTrailingPathDelim(StringView Path, TPathStyle Style) {
  return EnsureTrailingChar(PathDelim(Style), Path);
}

}  // namespace xan
