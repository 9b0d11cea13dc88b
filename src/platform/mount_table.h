// The mount table of a POSIX host read as text, and the rules that turn its entries into drive
// letters and drive types. Pure text work, so that it can be checked with any table.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace xan::detail {

// One line of a mount table, its fields with their escapes decoded (bytes as the host has them).
struct TMountEntry {
  std::string Device;
  std::string MountPoint;
  std::string FsType;
  friend bool operator==(const TMountEntry&, const TMountEntry&) = default;
};

// The entries of a mount table in the format of /proc/self/mounts (and /etc/fstab): one mount a
// line, fields separated by blanks or tabs: device, mount point, type, then options that are not
// read. A backslash followed by three octal digits stands for that byte (the kernel writes a
// blank in a name as \040, a tab as \011, a line end as \012, a backslash as \134). Lines with
// fewer than three fields and lines beginning with '#' are skipped.
//   "/dev/sda1 /media/my\040disk vfat rw 0 0" => {"/dev/sda1", "/media/my disk", "vfat"}
std::vector<TMountEntry> ParseMountTable(std::string_view Text);

// True for the kernel's interface file systems that hold no files of the user (proc, sysfs,
// cgroup, devpts...; see host_locations.h for the whole list).
bool IsPseudoFileSystem(std::string_view FsType) noexcept;

// True for a mount point at or under a system place that is never shown as a drive: /proc, /sys,
// /dev, /run (but not /run/media), /snap, /var/lib/docker, /var/lib/containers, /var/lib/lxcfs.
//   "/run/user/1000" => true,  "/run/media/u/stick" => false,  "/devices" => false
bool IsSystemMountPoint(std::string_view MountPoint) noexcept;

// The mounts that become drives C, D, E, ... in that order: first the root file system (the last
// "/" entry, or a "/" of unknown type when the table has none), then every other mount that is
// neither a pseudo file system, nor at a system place, nor has a mount point that is not absolute
// or for which IsDirectory says false, in table order. A mount point that comes again keeps its
// first place and takes the later entry. The list is not cut at Z.
std::vector<TMountEntry> DriveMounts(const std::vector<TMountEntry>& Mounts,
                                     const std::function<bool(const TMountEntry&)>& IsDirectory);

// The drive type that a file-system type alone tells: dtRAMDisk, dtRemote, dtCDROM, or dtFixed
// for every other type (which the device may still show to be removable). A FUSE type
// "fuse.NAME" or "fuseblk.NAME" is judged by NAME.
//   "tmpfs" => 6,  "nfs4" => 4,  "fuse.sshfs" => 4,  "iso9660" => 5,  "ext4" => 3,  "" => 3
int32_t FileSystemDriveType(std::string_view FsType) noexcept;

}  // namespace xan::detail
