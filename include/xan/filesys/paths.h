// Path and file-name text: splitting a path into its directory and name, extensions, drives,
// validity and 8.3 rules, shortening for display; in Windows or POSIX style.
#pragma once

#include <cstdint>

#include "xan/platform/export.h"
#include "xan/platform/strings.h"

namespace xan {

// The rules a path text follows. The text functions below take the style as their last
// parameter, defaulting to the host's, so that either kind of path can be handled on any host.
//   psWindows: '\' separates directories and ':' ends a drive ("c:\dir\name.txt"); the path
//              part of a text runs up to and including its last '\' or ':'.
//   psPosix:   '/' separates directories; there are no drives.
enum TPathStyle : uint8_t { psWindows, psPosix };

#if defined(_WIN32)
inline constexpr TPathStyle kHostPathStyle = psWindows;
#else
inline constexpr TPathStyle kHostPathStyle = psPosix;
#endif

// =================================================================================================
// Splitting

// The directory separator of a style: '\' or '/'.
constexpr Char PathDelim(TPathStyle Style = kHostPathStyle) noexcept {
  return Style == psWindows ? u'\\' : u'/';
}

// The path part: everything up to and including the last separator (psWindows: '\' or ':'),
// empty when there is none.
//   psWindows: "c:\a\b.txt" => "c:\a\",  "c:b.txt" => "c:",  "b.txt" => "",  "a/b" => ""
//   psPosix:   "/a/b.txt" => "/a/",  "b.txt" => "",  "a\b" => ""
XAN_EXPORT String ExtractFilePath(StringView Path, TPathStyle Style = kHostPathStyle);

// The name part: what follows the path part.
//   psWindows: "c:\a\b.txt" => "b.txt",  "c:b" => "b",  "c:\a\" => ""
//   psPosix:   "/a/b.txt" => "b.txt",  "/a/" => ""
XAN_EXPORT String ExtractFileName(StringView Path, TPathStyle Style = kHostPathStyle);

// The separator appended unless the text is empty or already ends with it.
//   psWindows: "c:\dir" => "c:\dir\",  "" => "";  psPosix: "/tmp" => "/tmp/",  "/" => "/"
XAN_EXPORT String EnsureTrailingPathDelim(StringView Path, TPathStyle Style = kHostPathStyle);

}  // namespace xan
