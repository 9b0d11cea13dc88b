// The host's file system as the units use it: directory search over a name mask with each
// entry's attributes, size and date, and the whole-entry operations (create, remove, rename).
#pragma once

#include <cstdint>
#include <memory>
#include <span>

#include "xan/platform/export.h"
#include "xan/platform/strings.h"

namespace xan {

// =================================================================================================
// File names
//
// Names pass to and from the host as UTF-8. A name on disk that is not valid UTF-8 comes back
// from a search with each stray byte b as the lone surrogate U+DC00 + b (U+DC80..U+DCFF), and
// such a text handed back names the same entry, so every name found can be opened, renamed and
// removed. Texts holding a NUL character, and empty texts, name no entry.
//
// Paths are given in the host's form ('/' separated on POSIX); an empty directory in a search
// means the current directory. Matching is as exact as the host's file system: case-sensitive
// on POSIX, and no path text is ever upper- or lower-cased for a lookup.

// =================================================================================================
// Attributes
//
// The attribute word of an entry, with the bit values of the Windows host. POSIX hosts map
// their file types and permissions to them as stated for each bit.

inline constexpr uint32_t faReadOnly = 0x01;   // the caller may not write it (POSIX: access W_OK)
inline constexpr uint32_t faHidden = 0x02;     // POSIX: the name begins with '.'
inline constexpr uint32_t faSysFile = 0x04;    // POSIX: a device, FIFO or socket
inline constexpr uint32_t faVolumeID = 0x08;   // a volume label (never on POSIX)
inline constexpr uint32_t faDirectory = 0x10;  // a directory, or a symbolic link to one
inline constexpr uint32_t faArchive = 0x20;    // POSIX: a regular file, or a symbolic link to one
// A symbolic link (on Windows a reparse point). The bits above then describe its target; a link
// whose target is missing has no other bit than faSymLink (and faHidden by its name). Tree walks
// test this bit so that they never follow a link out of the tree.
inline constexpr uint32_t faSymLink = 0x400;
// Every kind of entry, as a search filter.
inline constexpr uint32_t faAnyFile = 0x3F;
// FileGetAttr's answer for an entry that does not exist.
inline constexpr uint32_t faInvalid = 0xFFFFFFFFU;

// One entry as a directory search or FileGetInfo reports it.
struct TSearchRec {
  String Name;         // the entry's name as the file system spells it, without its directory
  int64_t Size = 0;    // bytes of a file (of a link's target); 0 for directories
  uint32_t Attr = 0;   // fa... bits
  int64_t TimeNs = 0;  // modification time: nanoseconds since 1970-01-01 00:00 UTC
};

// =================================================================================================
// Directory search

// True when Name matches Mask: '*' stands for any run of characters (also none), '?' for
// exactly one character, every other character for itself, compared exactly. "*.*" matches every
// name, as on Windows (also names without a '.'); so does "*". An empty mask matches nothing.
//   ("report.txt", "*.txt") => true,  ("README", "*.*") => true,  ("a.TXT", "*.txt") => false
//   ("ab", "a?") => true,  ("a", "a?") => false
XAN_EXPORT bool MatchesMask(StringView Name, StringView Mask) noexcept;

// The entries of one directory whose names match a mask, in the order the host lists them.
// Names match the mask as the host's file systems compare names: exactly on Linux, without
// regard to case on Windows ("*.txt" finds "A.TXT" there). "." and ".." are never reported. An
// entry is reported only when its attribute bits faHidden, faSysFile, faVolumeID and faDirectory
// are all in Attr (the rule of the Windows search): with Attr 0 only plain files, visible ones, are
// found; with faAnyFile every entry.
//
// A directory that does not exist or cannot be read gives no entries; Error() then tells the
// host's error number. A search never raises except for lack of memory.
//
// With Details false a search reports only the name and the kind bits (faDirectory, faArchive,
// faSysFile, faSymLink, faHidden), as the directory listing holds them, with Size and TimeNs 0:
// the fast form for counting and walking trees.
class XAN_EXPORT TDirSearch {
 public:
  TDirSearch(StringView Directory, StringView Mask, uint32_t Attr = faAnyFile, bool Details = true);
  TDirSearch(const TDirSearch&) = delete;
  TDirSearch& operator=(const TDirSearch&) = delete;
  ~TDirSearch();

  // The next matching entry into Rec: true, or false when none is left (Rec unchanged).
  bool Next(TSearchRec& Rec);
  // 0, or the host's error number of opening or reading the directory.
  int32_t Error() const noexcept;

 private:
  struct TImpl;
  std::unique_ptr<TImpl> FImpl;
};

// =================================================================================================
// Single entries
//
// The operations that change the file system return 0 on success, else the host's error number
// (errno on POSIX), which RaiseFileError turns into the platform's EInOutError.

// The entry at Path into Rec (its name without the directory): true, or false when there is
// none. A symbolic link is described as a link (faSymLink plus its target's kind).
XAN_EXPORT bool FileGetInfo(StringView Path, TSearchRec& Rec);
// The attribute word of the entry at Path, or faInvalid when there is none.
XAN_EXPORT uint32_t FileGetAttr(StringView Path) noexcept;
// True when Path names a file (not a directory), following symbolic links.
XAN_EXPORT bool FileExists(StringView Path) noexcept;
// True when Path names a directory, following symbolic links.
XAN_EXPORT bool DirectoryExists(StringView Path) noexcept;
// The name under which the entry Name of Directory is stored, where the host knows entries by a
// second name too: on Windows the short alias of a long name ("PROGRA~1" => "Program Files").
// Empty when there is no such entry, Name holds '*' or '?' or a separator, or the host has no
// second names (POSIX).
XAN_EXPORT String StoredEntryName(StringView Directory, StringView Name);

// Creates the directory Path (its parent must exist).
XAN_EXPORT int32_t CreateDir(StringView Path) noexcept;
// Creates the directory Path with every missing parent; 0 also when it exists already.
XAN_EXPORT int32_t ForceDirectories(StringView Path) noexcept;
// Removes the empty directory Path.
XAN_EXPORT int32_t RemoveDir(StringView Path) noexcept;
// Removes the entry Path that is not a directory; a symbolic link is removed, not its target.
// With KeepReadOnly, an entry that is not a link and that the caller may not write (faReadOnly),
// or whose owner may not write it (marked read-only: this binds root too), is kept and EACCES
// returned: the Windows rule that read-only files are not erased, which the POSIX host would not
// apply by itself (there the directory's permissions decide).
// (Not named DeleteFile, which the Windows headers define as a macro.)
XAN_EXPORT int32_t EraseFile(StringView Path, bool KeepReadOnly = false) noexcept;
// Erases the entries Names of the directory Dir, in order, each as EraseFile does with the same
// KeepReadOnly (a link is removed, not followed; a directory is refused with EISDIR), but opening
// Dir once and naming each entry from there: the whole task of emptying a directory of its files,
// without resolving the full path again for every entry. Stops at the first entry that cannot be
// erased. Returns Names.size() when all went, else the index of that entry with its error number
// in Error (0 then when all went; for a Dir that cannot be opened, index 0 and its error).
XAN_EXPORT size_t EraseFilesIn(StringView Dir, std::span<const String> Names, bool KeepReadOnly,
                               int32_t& Error) noexcept;
// Renames OldName to NewName. An existing NewName is never replaced (EEXIST), except when it is
// OldName itself spelled otherwise on a case-insensitive file system.
XAN_EXPORT int32_t RenameFile(StringView OldName, StringView NewName) noexcept;
// Gives Dest the modification and access times of Source.
XAN_EXPORT int32_t CopyFileTimes(StringView Source, StringView Dest) noexcept;
// Gives Dest the permissions of Source (POSIX: the mode bits), with write permission for the
// owner added when KeepWritable is true (the Windows rule "attributes without read-only").
XAN_EXPORT int32_t CopyFilePermissions(StringView Source, StringView Dest,
                                       bool KeepWritable) noexcept;

// Creates at Dest a symbolic link with the same target text as the link Source (the target is
// neither read nor checked). An existing Dest is never replaced (EEXIST); EINVAL when Source is
// not a symbolic link.
XAN_EXPORT int32_t CopySymLink(StringView Source, StringView Dest) noexcept;

// True when the entry Path is the directory Dir itself or lies anywhere inside it, as the host
// resolves names: symbolic links are followed and ".." goes to the physical parent. A Path that
// does not exist yet is judged by its nearest existing ancestor (the directory it would be
// created in). False when Dir does not exist or either text names nothing the host can take.
//   (Dir "/t/src", Path "/t/src/new/sub") => true,  ("/t/src", "/t/srcx") => false,
//   ("/t/src", "/t/link-to-src/x") => true,  ("/t/src", "/t") => false
XAN_EXPORT bool PathIsWithin(StringView Path, StringView Dir) noexcept;

// The message Action + " \"" + Path + "\": " + the host's description of the error number Err.
//   FileErrorMessage(ENOENT, u"Cannot rename", u"a.txt") =>
//   "Cannot rename \"a.txt\": No such file or directory"
XAN_EXPORT String FileErrorMessage(int32_t Err, StringView Action, StringView Path);

// Raises EInOutError with the host error number Err as its code and FileErrorMessage's text.
//   RaiseFileError(ENOENT, u"Cannot rename", u"a.txt") raises
//   "Cannot rename \"a.txt\": No such file or directory"
[[noreturn]] XAN_EXPORT void RaiseFileError(int32_t Err, StringView Action, StringView Path);

// =================================================================================================
// File content
//
// A file opened for moving its content in blocks: no buffering of its own, and every failure told
// by the host's error number instead of raised, so that a copy can say exactly what went wrong and
// where. The methods that do something return 0 or that number. The file is closed by Close or
// by the destructor.
class XAN_EXPORT TFileHandle {
 public:
  TFileHandle() noexcept;
  TFileHandle(const TFileHandle&) = delete;
  TFileHandle& operator=(const TFileHandle&) = delete;
  ~TFileHandle();

  // Opens the existing file Path for reading, following symbolic links. EISDIR for a directory.
  // A FIFO or device is opened without waiting for a writer (its reads may then fail with
  // EAGAIN), so that opening never blocks.
  int32_t OpenRead(StringView Path) noexcept;
  // Creates Path for writing, or empties it when it is an existing file; a new file gets the
  // permissions a program's new files get (POSIX: 0666 less the umask). With FollowLink false a
  // symbolic link at Path is not written through (ELOOP), so that a copy into a tree cannot be
  // led out of it. EISDIR for a directory.
  int32_t Create(StringView Path, bool FollowLink = true) noexcept;
  bool IsOpen() const noexcept;

  // The size of the open file in bytes, or -1 when it is not open or the host cannot tell.
  int64_t Size() const noexcept;
  // True when the open file is the entry at Path, reached by another name (the same text, a
  // hard link, a symbolic link, a path through "..").
  bool IsSameFile(StringView Path) const noexcept;

  // Reads up to Count bytes from position Offset into Buffer; Done gets the number read, fewer
  // than Count only at the end of the file (0 there) or when the host returns a short block.
  int32_t ReadAt(void* Buffer, int64_t Count, int64_t Offset, int64_t& Done) noexcept;
  // Writes all Count bytes of Buffer at position Offset (ENOSPC when the host stops writing).
  int32_t WriteAt(const void* Buffer, int64_t Count, int64_t Offset) noexcept;
  // Copies up to Count bytes of Source from position Offset to the same position of this file,
  // in the host's fastest way (inside the kernel where it can, else through a buffer of its
  // own). Done gets the bytes copied: all Count, or fewer at the end of Source (0 there) or
  // when an error stopped the copy. An error does not tell which of the two files failed; redo
  // the rest with ReadAt and WriteAt to find out.
  int32_t CopyRangeFrom(TFileHandle& Source, int64_t Offset, int64_t Count, int64_t& Done) noexcept;
  // Cuts or extends the file to NewSize bytes.
  int32_t SetSize(int64_t NewSize) noexcept;
  // Closes the file: 0, or the error the host reports on closing (a delayed write that failed).
  // Closing a handle that is not open does nothing and returns 0.
  int32_t Close() noexcept;

 private:
  intptr_t FHandle;
  std::unique_ptr<uint8_t[]> FBuffer;  // for copies the host cannot do by itself
};

// =================================================================================================
// Paths

// The current directory of the process, without a trailing separator ("/" stays "/"); empty when
// the host cannot tell.
XAN_EXPORT String GetCurrentDir();

// Path made absolute against the current directory, with "." components and empty components
// removed and each ".." taking away the component before it, by text alone (symbolic links are
// not resolved, the entries need not exist). A trailing separator is kept.
//   "/a/./b//c/../d" => "/a/b/d",  "x/y/" (in /home/u) => "/home/u/x/y/",  "/.." => "/",
//   "" => the current directory
XAN_EXPORT String ExpandFileName(StringView Path);

}  // namespace xan
