// Directory trees and file operations: copying one file or a whole tree with progress callbacks
// and a process-wide abort switch; deleting, trashing, finding, renaming, listing and counting.
#pragma once

#include <cstdint>
#include <functional>

#include "xan/platform/classes.h"
#include "xan/platform/export.h"
#include "xan/platform/stringlist.h"
#include "xan/platform/strings.h"

namespace xan {

// =================================================================================================
// Paths on this host
//
// The functions below take paths in the host's form ('/' separated on POSIX, see
// xan/filesys/paths.h) and name masks in the last component ('*' any run of characters, '?' one
// character, "*.*" every entry). The host's file system decides how names compare: on POSIX
// matching is exact (case-sensitive), and no path or mask is ever upper- or lower-cased to look
// something up. Where a function below was defined for a file system that ignores case, its
// entry says what that changes.
//
// Names that are not valid UTF-8 arrive with each stray byte as U+DC80..U+DCFF and can be handed
// back unchanged (xan/platform/filesystem.h); names with newlines, names of 255 bytes and paths up
// to the host's limit (4095 bytes on Linux) work; longer paths fail like missing ones.
//
// Symbolic links are never followed out of a tree: walks do not descend into a link to a
// directory, DelDirTree removes a link itself, and CopyFileTree copies a link as a link.

// =================================================================================================
// Callbacks
//
// Each may be empty (nullptr, or an empty std::function); an empty callback is not called.

// Progress of one file copy: the bytes copied so far and the size of the file. For files of
// 2 GiB and more both numbers stop at 2147483647, so that they never turn negative.
using TFileCopyFeedBack = void (*)(int32_t BytesCopied, int32_t SizeOfFile);
// Progress of a tree copy: the file copy's numbers, the destination name of the file being
// copied and the number of files started so far (that file included).
using TTreeCopyFeedBack = void (*)(int32_t BytesCopied, int32_t SizeOfCurrentFile,
                                   StringView NameOfCurrentFile, int32_t NrOfFilesCopiedSoFar);
// Progress of a scan: the directory about to be scanned and the files counted so far.
using TScanFilesFeedback = void (*)(StringView CurrentDir, int32_t Count);
// A number, or a message, from an operation to the object that asked for it. The tree functions
// below report directories they could not read and files they could not copy through a
// TStringFeedback, with Sender nullptr.
using TNumericFeedback = std::function<void(TObject* Sender, double num)>;
using TStringFeedback = std::function<void(TObject* Sender, StringView msg)>;

// =================================================================================================
// Copying
//
// Process-wide state, meant for one copy at a time: the abort flag (set by AbortAnyFileCopying,
// cleared when FileCopyFeedBk or CopyFileTree starts) and, during CopyFileTree, its callback,
// the current destination name, the files started and the last pair a file copy reported. The
// flag itself may be set from another thread.

// Asks the running copy to stop: a file copy after the block it is in, a tree copy before its
// next entry. Only sets the flag; raises nothing.
XAN_EXPORT void AbortAnyFileCopying() noexcept;

// Copies the file Source to Dest and returns a status:
//    0  copied; also when Source and Dest name the same file (nothing is done, no feedback) and
//       when the copy was aborted (Dest keeps the blocks copied so far)
//   -1  the source could not be opened for reading (never on POSIX: such a source raises, below)
//   -2  the destination could not be created
//   -3  writing the destination failed
//   -4  reading the source failed
// An existing directory as Dest receives a file of Source's name. An existing file Dest is
// replaced; Dest is created with the permissions new files get, or with Source's permissions
// plus the owner's write permission when CopyAttributes is true. When the status is 0, Dest gets
// Source's modification time. A failure leaves Source untouched and Dest cut back to the part
// that was copied whole.
//
// The feedback runs with (0, size) before the copy, once per 8192-byte block with the bytes
// copied before that block, and once at the end with the bytes copied; a file of exactly 8192
// bytes reports (0, 8192), (0, 8192), (8192, 8192), (8192, 8192), an empty file (0, 0) three
// times. An abort requested from a feedback takes effect after that block: Dest then holds the
// blocks reported so far plus the current one. (The data moves in larger steps, inside the kernel
// where it can; the feedback and the abort keep the 8192-byte blocks.)
//
// Besides the exact same text, Dest is taken as Source itself when it is the same file reached by
// another name (a hard link, a symbolic link, "dir/../name"): replacing it would destroy Source.
// Raises EInOutError (host error code, Source in the message) when Source cannot be opened for
// reading: it is missing, unreadable or a directory.
//   ("/t/a.txt", "/t/b.txt")  => 0, /t/b.txt holds a copy
//   ("/t/a.txt", "/t/dir")    => 0, /t/dir/a.txt holds a copy
//   ("/t/a.txt", "/t/a.txt")  => 0, nothing touched
//   ("/t/none", "/t/b.txt")   => raises EInOutError (ENOENT)
XAN_EXPORT int32_t FileCopyFeedBk(StringView Source, StringView Dest, bool CopyAttributes,
                                  TFileCopyFeedBack FeedBack);

// Copies the tree SourceDir into DestDir (created with its missing parents), entry by entry in
// the order the directory lists them, subdirectories as soon as they are met. Each file is copied
// as FileCopyFeedBk does; its per-block feedback calls FeedBack with the file's numbers, the
// destination name and the files started so far, and after the file FeedBack runs once more with
// the last numbers. A symbolic link is copied as a link with the same target (counted as a file,
// one feedback with (0, 0)); FIFOs, devices and sockets are not copied. An abort stops the walk
// before its next entry. Returns 0 when everything was copied (or nothing had to be, or the copy
// was aborted), else the first failure, the walk going on after it:
//   -1..-4  a file failed as in FileCopyFeedBk (-1 also: unreadable, gone, or not a plain file)
//   -5      a destination directory could not be created (or is a link or a file)
//   -6      a source directory could not be read; it is skipped
//   -7      DestDir is SourceDir itself or lies inside it: nothing is done (copying a tree into
//           itself would never end)
// Each failure is also told to OnError, if given, as a message with the path and the host's
// reason. DestDir equal to SourceDir (same text once each ends with '/') returns 0 at once.
// Within the destination no symbolic link is written through: a link standing where a file or
// directory is to go fails that entry. Raises nothing but std::bad_alloc.
// On a file system that ignores case the two directories compare ignoring case; on POSIX they
// compare exactly, since "/t/Data" and "/t/data" are two directories there.
//   ("/t/src", "/t/dst")      => 0, /t/dst/... mirrors /t/src/...
//   ("/t/src", "/t/src/sub")  => -7, nothing copied
XAN_EXPORT int32_t CopyFileTree(StringView SourceDir, StringView DestDir, bool CopyAttributes,
                                TTreeCopyFeedBack FeedBack, const TStringFeedback& OnError = {});

// =================================================================================================
// Deleting

// Moves the files matching FileName (a path whose name part may be a mask; relative to the current
// directory) to the user's trash and returns how many went. Entries whose name begins with '.',
// directories and names without a file behind them (a dangling link) are skipped. On POSIX the
// trash is the desktop's freedesktop.org trash, where the file manager can restore them; see
// MoveToTrash in xan/platform/trash.h for where each file goes. No file is ever copied across
// file systems, replaced in the trash or lost: a file that cannot be trashed stays in place and is
// not counted. Empty or missing => 0; raises nothing but std::bad_alloc.
//   ("/t/*.tmp") => 2 when /t holds a.tmp, b.tmp, .c.tmp and the directory d.tmp
XAN_EXPORT int32_t MoveToRecycleBin(StringView FileName);

// Deletes the directory Dir with everything in it. Returns an empty text on success, else the
// first entry that could not be deleted (a directory with a trailing '/'), the walk stopping
// there: what was deleted before stays deleted, the entry and all directories above it stay.
// A read-only file (one the caller may not write, or one without write permission for its owner,
// which keeps root from it too) is not deleted, on every host, and its full name returned; a
// directory that cannot be read is returned when it cannot be removed. A symbolic link is removed
// itself, never followed: also when Dir itself is a link, only the link goes.
// An empty Dir => empty text, nothing deleted; a Dir that does not exist or is a file => Dir with
// a trailing '/'. Raises nothing but std::bad_alloc.
//   ("/t/tree")  => "" (gone),  ("/t/tree") holding read-only x => "/t/tree/x"
XAN_EXPORT String DelDirTree(StringView Dir);

// Deletes the files matching FileName (as MoveToRecycleBin chooses them) for good and returns
// how many were deleted. Read-only files (as DelDirTree tells them) are not deleted and not
// counted. Empty or missing => 0; raises nothing but std::bad_alloc.
XAN_EXPORT int32_t DeleteFiles(StringView FileName);

// =================================================================================================
// Finding and renaming

// Looks for a file named like the name part of FileName (a mask may be used) in its directory
// and, failing that, in the subdirectories below it, depth first in listing order, and returns
// the path of the first one found: its directory + the name as the file system spells it.
// Only plain files count (hidden ones - a name beginning with '.' - devices and FIFOs do not);
// only subdirectories whose attribute word is exactly faDirectory are searched (not hidden ones,
// not read-only ones, not links); directories that cannot be read are passed over. Empty text
// when nothing is found or FileName is empty.
// On a file system that ignores case the name matches in any case; on POSIX it matches exactly.
//   ("/t/report.txt") => "/t/2024/report.txt" when only that one exists,
//   ("/t/*.cfg") => "/t/app.cfg",  ("/t/REPORT.TXT") => "" when only report.txt exists (POSIX)
XAN_EXPORT String FileDetect(StringView FileName);

// Renames every entry matching FileName (path and mask) to its name in upper case (Upper true)
// or lower case, letters A-Z and a-z only, and does the same below every matching entry whose
// attribute word is exactly faDirectory (so not in links, hidden or read-only directories).
// Only the name part changes: the path stays as given. Raises EInOutError (host error code, the
// old name in the message) at the first rename that fails; renames before it stay. On POSIX a
// new name that another entry already has is such a failure (EEXIST): nothing is replaced. A
// directory that cannot be read raises it too (its names could not be changed); a missing
// FileName directory renames nothing.
// On a file system that ignores case the mask matches in any case; on POSIX it matches exactly,
// and the whole path is used as given, never lower-cased.
//   ("/t/*.TXT", false) renames /t/A.TXT to /t/a.txt;  ("/t/*", true): /t/sub/b.c => /t/SUB/B.C
XAN_EXPORT void SetAllFilenameCase(StringView FileName, bool Upper);

// =================================================================================================
// Directories

// True unless the directory Dir holds an entry (other than "." and ".."). A directory that does
// not exist or cannot be read, a file, and an empty text are reported empty.
XAN_EXPORT bool DirEmpty(StringView Dir);

// True when Dir names a directory (or a link to one). A file, a missing entry and an empty text
// are false.
XAN_EXPORT bool DirExists(StringView Dir) noexcept;

// =================================================================================================
// Listing and counting

// Adds to List every file matching FileMask (path and mask) that is not a directory, as its
// directory + its name as the file system spells it, and with IncludeSubdirs the files matching
// the mask in every subdirectory below, depth first. Hidden files (a name beginning with '.')
// are listed; hidden subdirectories and links to directories are not searched. FeedBack runs
// once per directory before it is scanned, with the directory and the files counted so far. The
// list is not cleared first; a nullptr List does nothing. A directory that cannot be read is
// skipped and told to OnError, if given (a missing one is not: it simply has no files).
// On a file system that ignores case the mask matches in any case and the directories are listed
// in upper case; on POSIX the mask matches exactly and every path is listed as given.
//   ("/t/*.txt", true, List, FeedBack) => FeedBack("/t/", 0) first, then for each subdirectory
XAN_EXPORT void ScanFilesToStrList(StringView FileMask, bool IncludeSubdirs, TStringList* List,
                                   TScanFilesFeedback FeedBack,
                                   const TStringFeedback& OnError = {});

// The number of files ScanFilesToStrList would list. Missing => 0.
XAN_EXPORT int32_t CountFiles(StringView FileMask, bool IncludeSubdirs, TScanFilesFeedback FeedBack,
                              const TStringFeedback& OnError = {});

// The size in bytes of the first entry matching FileName (a mask may be used; a directory has
// size 0, a link its target's), or -1 when nothing matches. Files of 2 GiB and more give
// 2147483647 (the largest 32-bit size: never a negative or wrapped size); GetFileSize64 tells
// their real size.
//   ("/t/a.bin") => 5 for a 5-byte file,  ("/t/none") => -1,  a 3 GiB file => 2147483647
XAN_EXPORT int32_t GetFileSize(StringView FileName);
// The size as GetFileSize finds it, in 64 bits: -1 when nothing matches.
XAN_EXPORT int64_t GetFileSize64(StringView FileName);

}  // namespace xan
