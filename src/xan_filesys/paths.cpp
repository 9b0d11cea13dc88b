// Path and file-name text in Windows or POSIX style: splitting, extensions, drives, validity and
// 8.3 rules, shortening for display; and the long spelling of a path from the directory listings.
#include "xan/filesys/paths.h"

#include <algorithm>
#include <array>

#include "platform/simple_text.h"
#include "xan/platform/filesystem.h"
#include "xan/platform/locale.h"
#include "xan/stringl/char_funcs.h"

namespace xan {

namespace {

// Index just after the path part: after the last separator (psWindows: '\' or ':'), or 0.
size_t NameStart(StringView Path, TPathStyle Style) noexcept {
  const size_t last = Style == psWindows ? Path.find_last_of(u"\\:") : Path.rfind(u'/');
  return last == StringView::npos ? 0 : last + 1;
}

// The characters a file name must not hold, in either style.
constexpr StringView kInvalidNameChars = u"*/:<>?\\|";

bool IsInvalidNameChar(Char c) noexcept {
  return kInvalidNameChars.find(c) != StringView::npos;
}

// The characters of an 8.3 path in each style, indexed by code 0..127: '!'..'~' without the
// characters DOS refuses in names, and with the separators of the style.
using TCharTable = std::array<bool, 128>;
constexpr TCharTable MakeFN83Table(TPathStyle Style) {
  TCharTable t{};
  for (int c = 33; c < 127; ++c) t[c] = true;
  for (Char c : StringView(u"\"*+,;<=>?[]|/\\:")) t[c] = false;
  if (Style == psWindows) {
    t[u'\\'] = t[u':'] = true;
  } else {
    t[u'/'] = true;
  }
  return t;
}
constexpr TCharTable kFN83Windows = MakeFN83Table(psWindows);
constexpr TCharTable kFN83Posix = MakeFN83Table(psPosix);

// The most characters StripExtension removes from the '.' of the extension on.
constexpr size_t kMaxExtensionCut = 255;

}  // namespace

// =================================================================================================
// Splitting

String ExtractFilePath(StringView Path, TPathStyle Style) {
  return String(Path.substr(0, NameStart(Path, Style)));
}

String ExtractFileName(StringView Path, TPathStyle Style) {
  return String(Path.substr(NameStart(Path, Style)));
}

String EnsureTrailingPathDelim(StringView Path, TPathStyle Style) {
  return EnsureTrailingChar(PathDelim(Style), Path);
}

String StripPath(StringView Path, TPathStyle Style) {
  return ExtractFileName(Path, Style);
}

String ParentDir(StringView Path, TPathStyle Style) {
  const StringView seps = Style == psWindows ? StringView(u"\\/") : StringView(u"/");
  StringView rest = Path;
  if (!rest.empty() && seps.find(rest.back()) != StringView::npos) rest.remove_suffix(1);
  const size_t sep = rest.find_last_of(seps);
  return sep == StringView::npos ? String() : String(rest.substr(0, sep + 1));
}

bool IsRootDir(StringView Path, TPathStyle Style) {
  const StringView t = detail::TrimBlanksView(Path);
  if (Style == psPosix) return t == u"/";
  return t.size() == 3 && t[1] == u':' && t[2] == u'\\';
}

// =================================================================================================
// Extensions

String StripExtension(StringView FileName, TPathStyle Style) {
  const size_t start = NameStart(FileName, Style);
  const size_t dot = FileName.rfind(u'.');
  if (dot == StringView::npos || dot < start) return String(FileName);
  String out(FileName.substr(0, dot));
  const size_t cut = std::min(FileName.size() - dot, kMaxExtensionCut);
  out.append(FileName.substr(dot + cut));
  return out;
}

String InsertBeforeFileExt(StringView Insertion, StringView FileName, TPathStyle Style) {
  const size_t start = NameStart(FileName, Style);
  size_t at = FileName.find(u'.', start);
  if (at == StringView::npos) at = FileName.size();
  String out;
  out.reserve(FileName.size() + Insertion.size());
  out.append(FileName.substr(0, at)).append(Insertion).append(FileName.substr(at));
  return out;
}

String EnsureDefaultFileExt(StringView FileName, StringView DefaultExt, TPathStyle Style) {
  const size_t start = NameStart(FileName, Style);
  if (DefaultExt.empty() || FileName.find(u'.', start) != StringView::npos) {
    return String(FileName);
  }
  String out(FileName);
  if (DefaultExt.front() != u'.') out += u'.';
  out.append(DefaultExt);
  return out;
}

// =================================================================================================
// Drives

int32_t ExtractDrive(StringView Path, TPathStyle Style) {
  if (Style != psWindows || Path.size() < 2 || Path[1] != u':') return -1;
  const Char letter = detail::SimpleUpper(Path[0]);
  return letter >= u'A' && letter <= u'Z' ? static_cast<int32_t>(letter - u'A') : 0;
}

// =================================================================================================
// Valid names

String ReplaceInvalidFileNameChars(StringView FileName, Char Replacement, TPathStyle) {
  String out(FileName);
  std::replace_if(out.begin(), out.end(), IsInvalidNameChar, Replacement);
  if (out == u".") return String(1, Replacement);
  if (out == u"..") return String(2, Replacement);
  return out;
}

bool IsValidFileName(StringView FileName, TPathStyle) {
  if (FileName == u"." || FileName == u"..") return false;
  return std::none_of(FileName.begin(), FileName.end(), IsInvalidNameChar);
}

bool IsFN83CompliantPath(StringView Path, TPathStyle Style) {
  const TCharTable& allowed = Style == psWindows ? kFN83Windows : kFN83Posix;
  return std::all_of(Path.begin(), Path.end(), [&](Char c) { return c < 128 && allowed[c]; });
}

bool IsDOS83Path(StringView Path, TPathStyle Style) {
  if (!IsFN83CompliantPath(Path, Style)) return false;
  constexpr size_t kMaxPiece = 9;
  const Char sep = PathDelim(Style);
  // Past the last separator the pieces end at '.'; knowing where that is keeps a text of many
  // pieces linear.
  const size_t lastSep = Path.rfind(sep);
  size_t pos = 0;
  while (pos < Path.size()) {
    size_t end =
        lastSep != StringView::npos && pos <= lastSep ? Path.find(sep, pos) : Path.find(u'.', pos);
    end = end == StringView::npos ? Path.size() : end + 1;
    if (end - pos > kMaxPiece) return false;
    pos = end;
  }
  return true;
}

// =================================================================================================
// Display

// Built in one pass: the length the text would have after each replacement is known beforehand,
// so a path with many directories costs linear time, not a copy per replacement.
String AbridgeFilePath(StringView Path, int32_t MaxLength, TPathStyle Style) {
  Char sep = u'/';
  if (Style == psWindows && Path.find(u'\\') != StringView::npos) sep = u'\\';
  size_t cur = Path.find(sep);  // the separator before the next name to replace
  if (cur == StringView::npos) return String(Path);
  String out(Path.substr(0, cur));
  int64_t length = static_cast<int64_t>(Path.size());
  while (length >= MaxLength) {
    const size_t next = Path.find(sep, cur + 1);
    if (next == StringView::npos) break;
    length += 2 - static_cast<int64_t>(next - cur - 1);
    out += sep;
    out += u"..";
    cur = next;
  }
  out.append(Path.substr(cur));
  return out;
}

// =================================================================================================
// Long names from the disk

namespace {

// Case-insensitive file systems compare names in a fixed folding, whatever the user's locale.
bool SameCharNoCase(Char a, Char b) noexcept {
  return a == b || NeutralFoldChar(a) == NeutralFoldChar(b);
}

// The entry of Dir named Name as the listing spells it: the exact spelling when listed, else the
// first listed spelling equal to it without regard to case, else the name the host stores under
// a second name (a Windows short alias); Name itself when none of these is found.
String ListedSpelling(StringView Dir, StringView Name) {
  TDirSearch search(Dir, u"*", faAnyFile, false);
  TSearchRec rec;
  String found(Name);
  bool haveCaseless = false;
  while (search.Next(rec)) {
    if (rec.Name == Name) return String(Name);
    if (!haveCaseless && rec.Name.size() == Name.size() &&
        std::equal(Name.begin(), Name.end(), rec.Name.begin(), SameCharNoCase)) {
      found = rec.Name;
      haveCaseless = true;
    }
  }
  if (!haveCaseless) {
    String stored = StoredEntryName(Dir, Name);
    if (!stored.empty()) return stored;
  }
  return found;
}

// The length of the part of a full Windows path that names its volume and stays as it is: the
// drive ("C:"), the server and share of a network path ("\\server\share"), or after "\\?\" or
// "\\.\" the drive ("\\?\C:"), the volume ("\\?\Volume{...}") or "UNC" with server and share;
// 0 when the path begins with none of these.
size_t WindowsRootLength(StringView Full) noexcept {
  if (Full.size() >= 2 && Full[1] == u':') return 2;
  if (!Full.starts_with(u"\\\\")) return 0;
  size_t end = 1;  // the separator before the next component
  const auto take = [&]() {
    const size_t from = std::min(end + 1, Full.size());
    end = std::min(Full.find(u'\\', from), Full.size());
    return Full.substr(from, end - from);
  };
  const StringView first = take();
  if (first == u"?" || first == u".") {
    const StringView second = take();
    if (second.size() != 3 || detail::SimpleUpperText(second) != u"UNC") return end;
    take();  // the server
  }
  take();  // the share after the server
  return end;
}

}  // namespace

String DOSToWinPath(StringView Path) {
  constexpr Char sep = PathDelim(kHostPathStyle);
  const String full = ExpandFileName(Path);
  StringView rest = full;
  // The root: "/" on POSIX; on Windows the drive ("C:") or the share of a network path, kept as
  // they stand, and the separator after them.
  String out;
  if constexpr (kHostPathStyle == psWindows) {
    const size_t root = WindowsRootLength(rest);
    out = String(rest.substr(0, root));
    rest.remove_prefix(root);
  }
  if (!rest.empty() && rest.front() == sep) rest.remove_prefix(1);
  while (!rest.empty()) {
    const size_t end = std::min(rest.find(sep), rest.size());
    const StringView name = rest.substr(0, end);
    rest.remove_prefix(std::min(end + 1, rest.size()));
    if (name.empty()) continue;
    // The directory searched: the root needs its separator ("/", "C:\").
    const bool atRoot = out.empty() || (kHostPathStyle == psWindows && out.back() == u':');
    String found = ListedSpelling(atRoot ? out + sep : out, name);
    out += sep;
    out += found;
  }
  if (out.empty() || (kHostPathStyle == psWindows && out.back() == u':')) out += sep;
  return out;
}

}  // namespace xan
