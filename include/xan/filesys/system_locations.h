// System locations: write probes, drives and their free space, the system's directories and
// environment, the program that opens a file type, and invented pronounceable passwords.
#pragma once

#include <cstdint>

#include "xan/platform/export.h"
#include "xan/platform/host_locations.h"
#include "xan/platform/stringlist.h"
#include "xan/platform/strings.h"

namespace xan {

// =================================================================================================
// Write probes
//
// Both probes create the file "$%$LO%$.$$$" exclusively in the directory and erase it again. An
// entry of that name that is already there is never opened, overwritten or erased: the probe then
// creates a file of its own beside it ("$%$LO%$.$$$-" and six letters and digits) and erases
// that, so that a writable directory is reported writable all the same.

// The probe file's name.
inline constexpr StringView kProbeFileName = u"$%$LO%$.$$$";

// True when no file can be created in the directory Dir; false when the probe was created and
// erased. A separator is appended when Dir does not end with one (so "" probes the root "/");
// Dir is taken as it is, relative to the current directory when it is relative.
//   writable directory => false,  missing directory => true,  a file's path => true,
//   no write permission => true (not as root, who may write anyway),  read-only mount => true
// Raises EInOutError with the host's error number and the probe's path when the probe was
// created but cannot be erased.
XAN_EXPORT bool DirIsReadOnly(StringView Dir);

// True when no file can be created, or the probe cannot be erased again, in the root of drive
// Drive (see the drives below: on Linux its mount point); false when the probe was created and
// erased. A drive that does not exist, and a number above 25, give true. Never raises.
XAN_EXPORT bool DiskIsReadOnly(uint8_t Drive) noexcept;

// =================================================================================================
// Drives
//
// A drive number is 0 for drive A, 1 for B, ... 25 for Z. On Windows these are the drive
// letters. On Linux, drive C is the root file system "/" and drives D, E, ... are the other
// mounted file systems that hold files, in mount-table order, each rooted at its mount point;
// kernel interface file systems (proc, sysfs, cgroup, devpts...), mounts under /proc, /sys, /dev,
// /run (except /run/media), /snap and container storage, and single-file mounts are left out
// (xan/platform/host_locations.h lists every rule). Drives A and B do not exist on Linux.

// The drive type of drive Drive: 0 unknown (and every number above 25), 1 no file system,
// 2 removable, 3 fixed, 4 remote, 5 CD-ROM, 6 RAM disk (the dt... constants).
// Linux: from the file-system type: tmpfs and ramfs 6; nfs, nfs4, cifs, smb3, smbfs, sshfs, 9p
// and other network file systems 4; iso9660 and udf 5; a file system on a block device that the
// kernel marks removable 2; any other 3; a letter without a file system 1.
//   2 => 3 (an ext4 root),  0 => 1,  26 => 0
XAN_EXPORT int32_t GetDiskDriveType(uint8_t Drive) noexcept;

// Clears List and adds "A:", "B:", ... for each drive that exists, in drive order.
// Linux: "C:" first, then one entry for each further mounted file system.
//   a root file system and one USB stick => {"C:", "D:"}
XAN_EXPORT void BuildDriveList(TStringList& List);

// The root path of drive Drive: on Windows "C:\" and the like; on Linux "/" for drive C and the
// mount point for the others. Empty for a drive that does not exist and for numbers above 25.
// (An addition of this library: a Linux program cannot build a drive's root from its letter.)
//   2 => "/",  3 => "/media/stick" (say),  0 => "",  26 => ""
XAN_EXPORT String DriveRootPath(uint8_t Drive);

// The free bytes of drive Drive that the caller may use, or -1 for a drive that does not exist
// (also above 25) and when the host cannot tell. Linux: statvfs of the drive's mount point, the
// blocks available to unprivileged users times the fragment size, so space kept for root is not
// counted. Windows: sectors per cluster × bytes per sector × free clusters.
XAN_EXPORT int64_t DiskFreeExtended(uint8_t Drive) noexcept;

// =================================================================================================
// System directories and the environment

// The directory of the system's own programs, without a trailing separator.
// Linux: "/usr/bin". Windows: the system directory ("C:\Windows\system32").
XAN_EXPORT String GetSystemDir();

// The directory the operating system lives in, without a trailing separator.
// Linux: "/usr" (the system's programs, libraries and shared data). Windows: "C:\Windows".
XAN_EXPORT String GetWindowsDir();

// The directory for temporary files, with a trailing separator.
// Linux: $TMPDIR when it is set and not empty, else "/tmp"; a '/' is appended when missing.
// Windows: the temporary path in its long form; empty when the system cannot tell it.
//   TMPDIR=/var/tmp => "/var/tmp/",  TMPDIR=/scratch/ => "/scratch/",  TMPDIR unset => "/tmp/"
XAN_EXPORT String GetTempDir();

// The value of the environment variable Name, or empty when there is none. The process's
// environment is walked entry by entry ("name=value"); an entry matches when its first
// Name.size() characters equal Name without regard to case, by the locale's rules
// (xan/platform/locale.h), and the character after them is '='. The last matching entry wins:
// on Linux, where names are case-sensitive, "Path" and "PATH" may both be set, and then the
// later of the two in the environment is returned. Windows keeps the current directory of each
// drive under a name beginning with '=': "=C:" gives it ("C:\dir").
//   "path" => the value of PATH,  "PAT" => "" (unless PAT is set),  "" => ""
XAN_EXPORT String GetEnviroVar(StringView Name);

// =================================================================================================
// Programs for file types

// The command that opens files of the extension Ext (given without its '.'), or empty when
// there is none. Linux: the Exec line of the desktop's default application for the extension's
// MIME type, field codes kept ("gedit %U"), found through the shared MIME-info globs, the
// mimeapps.list files and the desktop files of the XDG directories
// (xan/platform/host_locations.h describes the lookup). Windows: the registry's open command.
// Raises nothing except for lack of memory.
//   "txt" => "gedit %U" (say),  "" => "",  "nosuchext" => ""
XAN_EXPORT String GetProgAssoc(StringView Ext);

// =================================================================================================
// Passwords
//
// A password is made of the vowels "aeiouy", the consonants "bcdfghjklmnpqrstvwxz" and two
// decimal digits, and reads like a word:
//   1. The length L is clamped to 4..14.
//   2. An odd L starts with a vowel.
//   3. L/2 - 1 pairs of a consonant and a vowel follow.
//   4. A number 0..99 is written with two digits ("07") and inserted after the sixth letter, or
//      appended when there are fewer letters.
// The three-argument form then changes the characters one by one:
//   5. Mixed case: for each character a draw in [0, 1) above 0.5 raises a letter a-z to A-Z.
//   6. Special characters: for each character a draw in [0, 1) above 0.8 replaces the character
//      by one of the 16 characters "_!$%#=0123456789", all equally likely.
// Draws, in this order: the vowel of step 2 (a draw in the range 6), consonant (20) and vowel (6)
// of each pair, the number (100); then in step 5 one [0, 1) draw per character; then in step 6
// one [0, 1) draw per character, each followed by a draw in the range 16 when above 0.8.
//   length 2 or 4 => "ba07" (a consonant, a vowel, two digits),
//   9 => "aboxek42u" (a vowel, three pairs, the digits after the sixth letter),
//   20 => 14 characters (12 letters and two digits)

// A pronounceable password of Length characters (clamped to 4..14) drawn from the library's
// shared pseudo-random generator (xan/platform/random.h), so a program that seeds it repeats its
// passwords. PREDICTABLE: every process starts from the same seed, so an unseeded program
// invents the same passwords each time it runs; use InventPasswordSecure for real secrets.
XAN_EXPORT String InventPassword(int32_t Length);

// The same with mixed case and special characters as asked (steps 5 and 6 above); just as
// predictable.
XAN_EXPORT String InventPassword(int32_t Length, bool MixedCase, bool SpecialChars);

// Passwords by the same rules drawn from the host's cryptographic random source (Linux:
// getrandom), each draw uniform without bias; the shared generator is left untouched. Raises
// EInOutError when the source cannot be read.
XAN_EXPORT String InventPasswordSecure(int32_t Length);
XAN_EXPORT String InventPasswordSecure(int32_t Length, bool MixedCase, bool SpecialChars);

}  // namespace xan
