// The parts of the POSIX trash that tests reach directly: the text of an info file, the names
// tried in files/, and the move into a given top directory's trash.
#pragma once

#include <cstddef>
#include <ctime>
#include <string>
#include <string_view>

#include "xan/platform/strings.h"

namespace xan::trash {

// The bytes of a path as the Path key stores them: ASCII letters, digits, '-', '.', '_', '~' and
// '/' stay, every other byte becomes %XX (upper-case hexadecimal).
//   "/home/u/a b.txt" => "/home/u/a%20b.txt",  "x\ny" => "x%0Ay",  "\xE9" => "%E9"
std::string EscapePath(std::string_view Bytes);

// The whole info file for an entry recorded as Path (host bytes), trashed at local time Local.
//   ("/a/b", 2024-03-05 07:08:09) => "[Trash Info]\nPath=/a/b\nDeletionDate=2024-03-05T07:08:09\n"
std::string InfoText(std::string_view Path, const std::tm& Local);

// The name the Attempt-th try (1, 2, ...) gives an entry called Name in files/: Name itself, then
// the number before the extension; cut to MaxBytes bytes, never inside a UTF-8 sequence.
//   ("a.txt", 1) => "a.txt",  ("a.txt", 3) => "a.3.txt",  (".profile", 2) => ".profile.2",
//   ("README", 2) => "README.2"
std::string TrashName(std::string_view Name, int Attempt, size_t MaxBytes);

// The home trash directory: $XDG_DATA_HOME/Trash when XDG_DATA_HOME is an absolute path, else
// $HOME/.local/share/Trash (HOME from the password database when unset); empty when neither is
// known.
std::string HomeTrashDir();

// Moves the entry at Path into the trash of the file system whose top directory is TopDir, as
// MoveToTrash does for entries that are not on the home trash's file system. Path must lie
// under TopDir (EXDEV otherwise).
int32_t MoveToTopDirTrash(StringView Path, StringView TopDir) noexcept;

}  // namespace xan::trash
