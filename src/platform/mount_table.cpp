// The mount table of a POSIX host as text: its lines parsed, the mounts that become drives
// chosen, and the drive type that a file-system type tells.
#include "platform/mount_table.h"

#include <algorithm>
#include <array>

#include "xan/platform/host_locations.h"

namespace xan::detail {

namespace {

bool IsBlank(char c) noexcept {
  return c == ' ' || c == '\t';
}

bool IsOctal(char c) noexcept {
  return c >= '0' && c <= '7';
}

// A field with each "\ooo" replaced by its byte; a backslash without three octal digits after it,
// or with a value above 255, stays as it is.
std::string Unescape(std::string_view Field) {
  std::string out;
  out.reserve(Field.size());
  for (size_t i = 0; i < Field.size(); ++i) {
    if (Field[i] == '\\' && i + 3 < Field.size() && IsOctal(Field[i + 1]) &&
        IsOctal(Field[i + 2]) && IsOctal(Field[i + 3])) {
      const int value = (Field[i + 1] - '0') * 64 + (Field[i + 2] - '0') * 8 + (Field[i + 3] - '0');
      if (value <= 255) {
        out += static_cast<char>(value);
        i += 3;
        continue;
      }
    }
    out += Field[i];
  }
  return out;
}

// True when Path is Place or lies under it.
bool AtOrUnder(std::string_view Path, std::string_view Place) noexcept {
  return Path.starts_with(Place) && (Path.size() == Place.size() || Path[Place.size()] == '/');
}

// The name after "fuse." or "fuseblk.", else the type itself.
std::string_view FuseInner(std::string_view FsType) noexcept {
  for (const std::string_view prefix : {std::string_view("fuse."), std::string_view("fuseblk.")}) {
    if (FsType.starts_with(prefix)) return FsType.substr(prefix.size());
  }
  return FsType;
}

template <size_t N>
bool OneOf(std::string_view Name, const std::array<std::string_view, N>& List) noexcept {
  return std::find(List.begin(), List.end(), Name) != List.end();
}

constexpr std::array<std::string_view, 27> kPseudoTypes = {
    "proc",      "sysfs",     "cgroup",     "cgroup2",     "devpts",     "devtmpfs", "mqueue",
    "debugfs",   "tracefs",   "securityfs", "pstore",      "efivarfs",   "bpf",      "configfs",
    "fusectl",   "hugetlbfs", "autofs",     "binfmt_misc", "rpc_pipefs", "nfsd",     "nsfs",
    "selinuxfs", "rootfs",    "usbfs",      "lxcfs",       "gvfsd-fuse", "portal"};

constexpr std::array<std::string_view, 17> kRemoteTypes = {
    "nfs",       "nfs4",  "cifs",   "smb3",  "smbfs", "sshfs",  "9p",     "afs", "ceph",
    "glusterfs", "davfs", "davfs2", "ncpfs", "coda",  "lustre", "rclone", "s3fs"};

constexpr std::array<std::string_view, 2> kRamTypes = {"tmpfs", "ramfs"};
constexpr std::array<std::string_view, 2> kOpticalTypes = {"iso9660", "udf"};

}  // namespace

std::vector<TMountEntry> ParseMountTable(std::string_view Text) {
  std::vector<TMountEntry> entries;
  while (!Text.empty()) {
    const size_t end = Text.find('\n');
    std::string_view line = Text.substr(0, end);
    Text = end == std::string_view::npos ? std::string_view() : Text.substr(end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    std::array<std::string_view, 3> fields;
    size_t count = 0;
    size_t pos = 0;
    while (count < fields.size()) {
      while (pos < line.size() && IsBlank(line[pos])) ++pos;
      if (pos == line.size()) break;
      const size_t start = pos;
      while (pos < line.size() && !IsBlank(line[pos])) ++pos;
      fields[count++] = line.substr(start, pos - start);
    }
    if (count < fields.size() || fields[0].starts_with('#')) continue;
    entries.push_back({Unescape(fields[0]), Unescape(fields[1]), Unescape(fields[2])});
  }
  return entries;
}

bool IsPseudoFileSystem(std::string_view FsType) noexcept {
  return OneOf(FuseInner(FsType), kPseudoTypes);
}

bool IsSystemMountPoint(std::string_view MountPoint) noexcept {
  if (AtOrUnder(MountPoint, "/run")) return !AtOrUnder(MountPoint, "/run/media");
  for (const std::string_view place : {"/proc", "/sys", "/dev", "/snap", "/var/lib/docker",
                                       "/var/lib/containers", "/var/lib/lxcfs"}) {
    if (AtOrUnder(MountPoint, place)) return true;
  }
  return false;
}

std::vector<TMountEntry> DriveMounts(const std::vector<TMountEntry>& Mounts,
                                     const std::function<bool(const TMountEntry&)>& IsDirectory) {
  std::vector<TMountEntry> drives(1, TMountEntry{"", "/", ""});
  for (const TMountEntry& mount : Mounts) {
    if (IsPseudoFileSystem(mount.FsType)) continue;
    if (mount.MountPoint == "/") {
      drives.front() = mount;
      continue;
    }
    if (!mount.MountPoint.starts_with('/') || IsSystemMountPoint(mount.MountPoint)) continue;
    if (!IsDirectory(mount)) continue;
    const auto same = std::find_if(drives.begin() + 1, drives.end(), [&](const TMountEntry& d) {
      return d.MountPoint == mount.MountPoint;
    });
    if (same != drives.end()) {
      *same = mount;
    } else {
      drives.push_back(mount);
    }
  }
  return drives;
}

int32_t FileSystemDriveType(std::string_view FsType) noexcept {
  const std::string_view name = FuseInner(FsType);
  if (OneOf(name, kRamTypes)) return dtRAMDisk;
  if (OneOf(name, kRemoteTypes)) return dtRemote;
  if (OneOf(name, kOpticalTypes)) return dtCDROM;
  return dtFixed;
}

}  // namespace xan::detail
