// What the host says about its drives, free space, environment, standard directories, write
// probes, the programs that open file types, and cryptographic random bytes.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "xan/platform/export.h"
#include "xan/platform/strings.h"

namespace xan {

// =================================================================================================
// Drives
//
// Drive numbers run from 0 (drive A) to 25 (drive Z). A Windows host has real drive letters.
// A POSIX host has one tree of mounted file systems instead and shows it as drives like this:
//   - drive C (2) is the root file system, with the root path "/";
//   - drives D, E, ... are the other mounted file systems that hold files, in the order of the
//     mount table (/proc/self/mounts), each with its mount point as root path. A mount point
//     mounted again keeps its letter and describes the newest mount. Letters end at Z; further
//     mounts get none;
//   - left out are the kernel's interface file systems (proc, sysfs, cgroup, cgroup2, devpts,
//     devtmpfs, mqueue, debugfs, tracefs, securityfs, pstore, efivarfs, bpf, configfs, fusectl,
//     hugetlbfs, autofs, binfmt_misc, rpc_pipefs, nfsd, nsfs, selinuxfs, rootfs, lxcfs...),
//     everything mounted at or under /proc, /sys, /dev, /run (but /run/media, where desktops
//     mount removable media, is kept), /snap, /var/lib/docker, /var/lib/containers and
//     /var/lib/lxcfs (system places, application images and container layers), and mount points
//     that are not directories (single files that containers bind in, such as /etc/hosts);
//   - drives A and B, and the letters after the last mount, have no file system.

// Drive types, with the values of the Windows host.
inline constexpr int32_t dtUnknown = 0;    // the type cannot be told
inline constexpr int32_t dtNoRootDir = 1;  // no file system under this drive number
// A removable medium. POSIX: the block device of the file system says so in /sys
// (/sys/dev/block/MAJOR:MINOR/removable, for a partition that of its disk).
inline constexpr int32_t dtRemovable = 2;
inline constexpr int32_t dtFixed = 3;  // a fixed disk: every other file system
// A network share. POSIX: nfs, nfs4, cifs, smb3, smbfs, sshfs, 9p, afs, ceph, glusterfs, davfs,
// ncpfs, coda, lustre, rclone (also as FUSE types "fuse.sshfs" and the like).
inline constexpr int32_t dtRemote = 4;
inline constexpr int32_t dtCDROM = 5;    // an optical disc. POSIX: iso9660, udf
inline constexpr int32_t dtRAMDisk = 6;  // a file system in memory. POSIX: tmpfs, ramfs

// One drive.
struct THostDrive {
  String RootPath;                  // where its files begin; empty when there is no drive
  int32_t DriveType = dtNoRootDir;  // dt... value
};

inline constexpr int32_t kDriveCount = 26;
using THostDrives = std::array<THostDrive, kDriveCount>;

// The drives as the host has them now, indexed by drive number. When the mount table cannot be
// read, drive C ("/") is still there, as a fixed disk. Raises only for lack of memory.
XAN_EXPORT THostDrives HostDrives();

// The bytes the caller may still write on the file system that holds RootPath (POSIX: statvfs,
// blocks available to unprivileged users times the fragment size), or -1 when the host cannot
// tell (no such path).
XAN_EXPORT int64_t HostFreeBytes(StringView RootPath) noexcept;

// =================================================================================================
// Environment and standard directories

// The process's environment as "name=value" entries, in the host's order. POSIX: the entries of
// environ, decoded as file names are (bytes that are not UTF-8 kept, see filesystem.h); Windows:
// the environment block, the per-drive current directories ("=C:=C:\dir") included.
XAN_EXPORT std::vector<String> HostEnvironment();

// The directory for temporary files, with a trailing separator. POSIX: $TMPDIR when it is set
// and not empty, else "/tmp"; Windows: GetTempPathW in its long form, empty when it fails.
XAN_EXPORT String HostTempDir();

// The directory of the system's own programs, without a trailing separator. POSIX: "/usr/bin";
// Windows: GetSystemDirectoryW.
XAN_EXPORT String HostSystemDir();

// The directory the operating system is installed in, without a trailing separator. POSIX:
// "/usr" (programs, libraries and shared data of the system); Windows: GetWindowsDirectoryW.
XAN_EXPORT String HostWindowsDir();

// =================================================================================================
// Write probes

// Creates a new empty file in Directory (which ends with a separator, or is empty for the
// current directory) without ever opening an entry that exists: the file Name, created
// exclusively; or, when an entry of that name exists (a file, a directory, a symbolic link even
// when broken), a file of its own named Name + "-" and six letters and digits, also created
// exclusively. Created receives the path of the file made. Returns 0, or the host's error number
// when no file could be made (no write permission, no such directory, a read-only file system).
XAN_EXPORT int32_t CreateProbeFile(StringView Directory, StringView Name, String& Created) noexcept;

// =================================================================================================
// Programs for file types

// The command line that opens files whose names end with "." + Extension, or empty when the host
// knows none. Raises only for lack of memory.
//
// POSIX, through the desktop's MIME database, with the directories of $XDG_DATA_HOME (default
// ~/.local/share) then $XDG_DATA_DIRS (default /usr/local/share:/usr/share), and $XDG_CONFIG_HOME
// (default ~/.config) then $XDG_CONFIG_DIRS (default /etc/xdg); relative entries are ignored:
//   1. The type: the patterns of each data directory's mime/globs2 ("weight:type:pattern[:cs]")
//      that begin with '*' are matched against "." + Extension, without regard to the case of
//      A-Z unless flagged "cs". The highest weight wins, then the longest pattern, then a pattern
//      that matches the extension as it is spelled ("c" is C, "C" is C++), then the more
//      important directory and the earlier line. A "__NOGLOBS__" pattern drops the type's
//      patterns of the directories after it.
//   2. The types to try: that type, then its parent types from each mime/subclasses, then
//      "text/plain" for a "text/..." type.
//   3. For each type in turn: the [Default Applications] of each mimeapps.list, in the order
//      $XDG_CONFIG_HOME/{desktop-}mimeapps.list, $XDG_CONFIG_DIRS/..., then the data directories'
//      applications/{desktop-}mimeapps.list, then their legacy applications/defaults.list
//      ("desktop" being each lower-case name of $XDG_CURRENT_DESKTOP): the first listed
//      application that is installed and associated with the type. Failing that, the first
//      installed application associated with the type: [Added Associations] of the mimeapps.list
//      files, then each applications directory's mimeinfo.cache (or, without one, its desktop
//      files in name order).
//   4. An application is installed when its desktop file (the id "a-b.desktop" names
//      applications/a-b.desktop or applications/a/b.desktop in the first data directory that
//      has one) has a [Desktop Entry] with an Exec key, is not Hidden and is of Type
//      Application; it is associated with the type when its MimeType key or an
//      [Added Associations] entry lists the type and no [Removed Associations] entry does.
//   5. The result is the Exec value with its escapes (\s \n \t \r \\) resolved and its field
//      codes (%f, %U...) kept, as the Windows command keeps its "%1".
// Windows: the registry's HKEY_CLASSES_ROOT "shell\open\command" of the extension or of its type.
//   "txt" => "gedit %U" (when gedit opens text files),  "" => "",  "no-such-type" => ""
XAN_EXPORT String HostProgramForExtension(StringView Extension);

// =================================================================================================
// Cryptographic random bytes

// Fills Buffer from the host's cryptographic random source (POSIX: getrandom, else
// /dev/urandom). Raises EInOutError with the host's error number when the source cannot be read.
XAN_EXPORT void SecureRandomBytes(std::span<uint8_t> Buffer);

}  // namespace xan
