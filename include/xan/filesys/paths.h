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
//   psPosix:   '/' separates directories; there are no drives; '\' and ':' are characters of
//              names like any other.
// Only the separators and drives differ between the styles: the lists of characters that a
// portable file name must not hold are the same in both, so a name that Windows would refuse is
// reported invalid in POSIX style too.
//
// None of the text functions touches the disk, and every text is accepted: empty, of any length,
// with control characters, characters above 255 or unpaired surrogates (all kept as they are).
// None of them raises except for lack of memory.
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

// The name part alone (the same as ExtractFileName).
//   psWindows: "c:\dir\a.txt" => "a.txt",  "c:a" => "a",  "c:\dir\" => ""
//   psPosix:   "/dir/a.txt" => "a.txt",  "a\b" => "a\b"
XAN_EXPORT String StripPath(StringView Path, TPathStyle Style = kHostPathStyle);

// The text up to and including the separator before its last component: one trailing separator
// is ignored first. Empty when there is no such separator. psWindows takes both '\' and '/' as
// separators (Windows itself accepts both); psPosix takes '/' only.
//   psWindows: "c:\a\b\" => "c:\a\",  "c:\a\b" => "c:\a\",  "c:/a/b" => "c:/a/",  "c:\" => "",
//              "abc" => ""
//   psPosix:   "/a/b/" => "/a/",  "/a" => "/",  "/" => "",  "a\b" => ""
XAN_EXPORT String ParentDir(StringView Path, TPathStyle Style = kHostPathStyle);

// True when the text, with blanks (code 32) trimmed from both ends, is a root directory.
//   psWindows: exactly three characters with ":\" at positions 2 and 3:
//              "c:\" => true,  " D:\ " => true,  "c:" => false,  "c:\a" => false
//   psPosix:   "/" alone: "/" => true,  " / " => true,  "//" => false,  "c:\" => false
XAN_EXPORT bool IsRootDir(StringView Path, TPathStyle Style = kHostPathStyle);

// =================================================================================================
// Extensions

// The text without the extension of its name part: the last '.' of the name part and what
// follows it are removed, 255 characters at most (a longer extension keeps its end). A name
// without '.' is returned unchanged; a name whose only '.' is its first character becomes empty.
//   psWindows: "c:\d\a.b.c" => "c:\d\a.b",  "c:\dir.x\name" => "c:\dir.x\name",
//              "c:\d\.cfg" => "c:\d\",  "a." => "a"
//   psPosix:   "/d/a.tar.gz" => "/d/a.tar",  "/dir.x/name" => "/dir.x/name"
XAN_EXPORT String StripExtension(StringView FileName, TPathStyle Style = kHostPathStyle);

// The file name with Insertion put before the first '.' of its name part, or appended to the name
// part when it has none; the path part is kept.
//   psWindows: ("_old", "c:\d\a.tar.gz") => "c:\d\a_old.tar.gz",  ("2", "c:\x.y\f") => "c:\x.y\f2"
//   psPosix:   ("_old", "/d/a.tar.gz") => "/d/a_old.tar.gz",  ("_1", ".cfg") => "_1.cfg"
XAN_EXPORT String InsertBeforeFileExt(StringView Insertion, StringView FileName,
                                      TPathStyle Style = kHostPathStyle);

// The file name with DefaultExt appended when its name part has no extension (no '.'), with a
// '.' before it unless DefaultExt begins with one. Unchanged when DefaultExt is empty or the name
// has an extension (a lone '.' at the end counts as one).
//   ("report", "txt") => "report.txt",  ("report", ".txt") => "report.txt",
//   ("report.doc", "txt") => "report.doc",  ("report.", "txt") => "report.",
//   psWindows: ("c:\a.b\report", "txt") => "c:\a.b\report.txt"
XAN_EXPORT String EnsureDefaultFileExt(StringView FileName, StringView DefaultExt,
                                       TPathStyle Style = kHostPathStyle);

// =================================================================================================
// Drives

// The drive number of a path: when its second character is ':', 0 for 'A' or 'a' up to 25 for
// 'Z' or 'z', and 0 for any other first character. -1 when the second character is not ':' (also
// for texts shorter than two characters), and always -1 in psPosix, which has no drives.
//   psWindows: "d:\x" => 3,  "Z:" => 25,  "1:" => 0,  "\\server\x" => -1,  "c" => -1
//   psPosix:   "d:\x" => -1
XAN_EXPORT int32_t ExtractDrive(StringView Path, TPathStyle Style = kHostPathStyle);

// =================================================================================================
// Valid names

// The file name with each of the characters that are invalid in file names, '*' '/' ':' '<' '>'
// '?' '\' '|', replaced by Replacement (the double quote is kept); a result of "." then becomes
// Replacement alone, and ".." becomes it twice. The same in both styles.
//   ("a/b:c?", '_') => "a_b_c_",  ("..", '_') => "__",  (".", '-') => "-",  ("x\"y", '_') => "x\"y"
XAN_EXPORT String ReplaceInvalidFileNameChars(StringView FileName, Char Replacement,
                                              TPathStyle Style = kHostPathStyle);

// True when the file name holds none of '/' '<' '>' '?' '\' '|' '*' ':' and is neither "." nor
// "..". An empty name is valid. The same in both styles.
//   "a.txt" => true,  "a?.txt" => false,  ".." => false,  "..." => true,  "" => true
XAN_EXPORT bool IsValidFileName(StringView FileName, TPathStyle Style = kHostPathStyle);

// True when every character of the path is one that an 8.3 path may hold: the characters from
// '!' to '~' (codes 33 to 126) except '"' '*' '+' ',' ';' '<' '=' '>' '?' '[' ']' '|' and the
// separators of the other style. psWindows allows '\' and ':' but not '/'; psPosix allows '/'
// but not '\' or ':'. Blanks, control characters and characters above '~' are never allowed. An
// empty text is compliant.
//   psWindows: "C:\PROGRA~1\A.TXT" => true,  "C:\MY FILE.TXT" => false,  "a+b" => false,  "" =>
//   true psPosix:   "/PROGRA~1/A.TXT" => true,  "C:\A.TXT" => false
XAN_EXPORT bool IsFN83CompliantPath(StringView Path, TPathStyle Style = kHostPathStyle);

// True when the path is 8.3 compliant (IsFN83CompliantPath) and short enough: it is cut into
// pieces from the front, each running up to and including the next separator, or, when no
// separator is left, up to and including the next '.', or else to the end; every piece must have
// at most 9 characters, its separator or '.' included. So directory and base names have at most 8
// characters; the extension is only held to 9.
//   psWindows: "C:\PROGRA~1\FILE.TXT" => true,  "C:\LONGDIRNAME\A.TXT" => false,
//              "C:\MY FILE.TXT" => false,  "ABCDEFGHI.TXT" => false,  "" => true
//   psPosix:   "/PROGRA~1/FILE.TXT" => true,  "/LONGDIRNAME/A.TXT" => false
XAN_EXPORT bool IsDOS83Path(StringView Path, TPathStyle Style = kHostPathStyle);

// =================================================================================================
// Display

// The path shortened for display by replacing whole directory names with "..", from the left,
// while the text is at least MaxLength characters long. The separator is '\' if the path holds
// one, else '/' (psPosix: always '/'); a path without it is returned unchanged. The part up to
// the first separator (the drive, or nothing before a leading '/') and the file name after the
// last separator are never touched. A name of one or two characters gains nothing (one character
// grows by one), and the result may still be as long as MaxLength or longer.
//   psWindows: ("c:\program files\tools\app\file.txt", 21) => "c:\..\..\..\file.txt",
//              ("c:\a\b.txt", 100) => "c:\a\b.txt",  ("name.txt", 1) => "name.txt"
//   psPosix:   ("/home/user/docs/file.txt", 21) => "/../../docs/file.txt"
XAN_EXPORT String AbridgeFilePath(StringView Path, int32_t MaxLength,
                                  TPathStyle Style = kHostPathStyle);

// =================================================================================================
// Long names from the disk

// The full path of Path (ExpandFileName: made absolute against the current directory, "." and
// ".." resolved by text) with each component spelled as its directory lists it, in the host's
// style. Each component is looked up in the listing of the directory before it: an entry of
// exactly that spelling is preferred, else the first entry equal to it without regard to case
// (character by character in the language-neutral simple case folding, NeutralFoldChar, the
// same in every locale), so that a differently cased name on a case-insensitive file system
// (FAT, NTFS, a case-folded ext4 directory) comes back as it is stored. A trailing separator is
// dropped; the root stays ("/", "C:\"; on Windows the share of a network path "\\server\share"
// and the "\\?\C:" forms stay as they stand). A Windows short alias ("PROGRA~1") becomes the long
// name the file system stores it under. A component that the listing does not hold (a missing
// entry, a directory that cannot be read) is kept as it stands in the full path, and the lookup
// goes on with the next one; so nothing of the path is lost and the result names the same entry as
// Path does. Raises nothing except for lack of memory.
//   (a FAT mount holding "Program Files/ReadMe.txt")
//   "/mnt/usb/PROGRAM FILES/readme.TXT" => "/mnt/usb/Program Files/ReadMe.txt"
//   "/tmp/does-not-exist/x" => "/tmp/does-not-exist/x",  "" => the current directory
XAN_EXPORT String DOSToWinPath(StringView Path);

}  // namespace xan
