// The user's trash: entries moved there are out of the way but not gone; the desktop's file
// manager lists them and can put them back where they were.
#pragma once

#include <cstdint>

#include "xan/platform/export.h"
#include "xan/platform/strings.h"

namespace xan {

// Moves the entry at Path (a file, a symbolic link itself rather than its target, or a directory
// with everything in it) to the user's trash. Returns 0, or the host's error number when the
// entry stays where it was: ENOENT when there is none (also for an empty Path), EINVAL for a Path
// ending in "." or "..", the error of the move or of preparing the trash otherwise.
//
// POSIX hosts use the freedesktop.org trash that desktop file managers share:
//   - an entry on the file system of $XDG_DATA_HOME (default ~/.local/share) goes to the home
//     trash $XDG_DATA_HOME/Trash, created when missing;
//   - an entry on another mounted file system goes to the trash at that file system's top
//     directory: $topdir/.Trash/$uid when $topdir/.Trash is a real directory (not a link) with
//     the sticky bit, else $topdir/.Trash-$uid; a missing one is created with mode 0700, and one
//     that is a link or belongs to another user is not used;
//   - an entry neither trash can take stays in place: it is never copied across file systems.
// The entry is renamed into the trash's files/ under its own name, shortened to fit beside the
// ".trashinfo" suffix and numbered ("name.2.ext", "name.3.ext", ...) while that name is taken,
// so nothing in the trash is ever replaced. Its info/NAME.trashinfo, written first and
// exclusively, holds the original place (Path, percent-encoded bytes: absolute in the home trash,
// relative to the top directory elsewhere) and the local DeletionDate (YYYY-MM-DDThh:mm:ss). The
// recorded place is the physical one: symbolic links in the directories above the entry are
// resolved. Paths of any length the host accepts work; longer ones fail with ENAMETOOLONG.
XAN_EXPORT int32_t MoveToTrash(StringView Path) noexcept;

}  // namespace xan
