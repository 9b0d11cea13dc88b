// Host locations: mount tables given as text turned into drives, MIME database files parsed,
// write probes that never touch an existing entry, free bytes and cryptographic random bytes.
#include "xan/platform/host_locations.h"

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <map>
#include <set>
#include <vector>

#include "../test_host.h"
#include "platform/host_names.h"
#include "platform/mount_table.h"
#include "platform/xdg_mime.h"
#include "temp_dir.h"

namespace xan {
namespace {

using detail::TMountEntry;

TEST(MountTable, FieldsWithOctalEscapesCommentsAndShortLines) {
  const std::string table =
      "# a comment line\n"
      "/dev/sda1 / ext4 rw,relatime 0 0\n"
      "/dev/sdb1 /media/u/My\\040Disk vfat rw 0 0\r\n"
      "srv:/a\\134b /mnt/tab\\011and\\012line nfs4 rw 0 0\n"
      "  \t /dev/sdc1\t/mnt/odd\\9x\\400y\\04 xfs rw\n"
      "too short\n"
      "\n"
      "last /mnt/no-line-end btrfs";
  const std::vector<TMountEntry> expected = {
      {"/dev/sda1", "/", "ext4"},
      {"/dev/sdb1", "/media/u/My Disk", "vfat"},
      {"srv:/a\\b", "/mnt/tab\tand\nline", "nfs4"},
      {"/dev/sdc1", "/mnt/odd\\9x\\400y\\04", "xfs"},
      {"last", "/mnt/no-line-end", "btrfs"},
  };
  EXPECT_EQ(detail::ParseMountTable(table), expected);
  EXPECT_TRUE(detail::ParseMountTable("").empty());
}

TEST(MountTable, DrivesAndTypesFromATable) {
  const std::string table =
      "rootfs / rootfs rw 0 0\n"
      "proc /proc proc rw 0 0\n"
      "sysfs /sys sysfs rw 0 0\n"
      "cgroup2 /sys/fs/cgroup cgroup2 rw 0 0\n"
      "devpts /dev/pts devpts rw 0 0\n"
      "tmpfs /dev/shm tmpfs rw 0 0\n"
      "/dev/vda1 / ext4 rw 0 0\n"
      "tmpfs /run tmpfs rw 0 0\n"
      "tmpfs /run/user/1000 tmpfs rw 0 0\n"
      "/dev/vda2 /home ext4 rw 0 0\n"
      "/dev/sr0 /media/cd\\040rom iso9660 ro 0 0\n"
      "tmpfs /tmp tmpfs rw 0 0\n"
      "srv:/export /mnt/net nfs4 rw 0 0\n"
      "me@host: /mnt/ssh fuse.sshfs rw 0 0\n"
      "/dev/sdb1 /run/media/u/STICK vfat rw 0 0\n"
      "/dev/vda1 /etc/hosts ext4 rw 0 0\n"
      "/dev/loop3 /snap/core/1 squashfs ro 0 0\n"
      "overlay /var/lib/docker/overlay2/x/merged overlay rw 0 0\n"
      "systemd-1 /boot/efi autofs rw 0 0\n"
      "/dev/vda3 /boot/efi vfat rw 0 0\n"
      "/dev/vdb1 /home btrfs rw 0 0\n"
      "none swap sw 0 0\n"
      "ramfs /mnt/ram ramfs rw 0 0\n"
      "/dev/sr1 /mnt/dvd udf ro 0 0\n";
  const auto drives = detail::DriveMounts(detail::ParseMountTable(table), [](const TMountEntry& m) {
    return m.MountPoint != "/etc/hosts";
  });
  const std::vector<std::pair<std::string, int32_t>> expected = {
      {"/", dtFixed},
      {"/home", dtFixed},  // mounted again: its first place, the later btrfs entry
      {"/media/cd rom", dtCDROM},
      {"/tmp", dtRAMDisk},
      {"/mnt/net", dtRemote},
      {"/mnt/ssh", dtRemote},
      {"/run/media/u/STICK", dtFixed},  // removable only by what /sys says of its device
      {"/boot/efi", dtFixed},
      {"/mnt/ram", dtRAMDisk},
      {"/mnt/dvd", dtCDROM},
  };
  ASSERT_EQ(drives.size(), expected.size());
  for (size_t i = 0; i < drives.size(); ++i) {
    EXPECT_EQ(drives[i].MountPoint, expected[i].first) << i;
    EXPECT_EQ(detail::FileSystemDriveType(drives[i].FsType), expected[i].second) << i;
  }
  EXPECT_EQ(drives[0].FsType, "ext4");
  EXPECT_EQ(drives[1].FsType, "btrfs");

  // Without a root entry (or any table) drive C is still "/".
  const auto bare = detail::DriveMounts({}, [](const TMountEntry&) { return true; });
  ASSERT_EQ(bare.size(), 1U);
  EXPECT_EQ(bare[0].MountPoint, "/");
  EXPECT_EQ(detail::FileSystemDriveType(bare[0].FsType), dtFixed);

  for (const char* place : {"/proc", "/sys/kernel", "/dev", "/run", "/run/lock", "/snap/x"}) {
    EXPECT_TRUE(detail::IsSystemMountPoint(place)) << place;
  }
  for (const char* place : {"/run/media", "/run/media/u/x", "/devices", "/runner", "/", "/srv"}) {
    EXPECT_FALSE(detail::IsSystemMountPoint(place)) << place;
  }
  const std::map<std::string, int32_t> types = {
      {"tmpfs", dtRAMDisk}, {"ramfs", dtRAMDisk},     {"nfs", dtRemote},    {"cifs", dtRemote},
      {"smb3", dtRemote},   {"fuse.sshfs", dtRemote}, {"9p", dtRemote},     {"iso9660", dtCDROM},
      {"udf", dtCDROM},     {"ext4", dtFixed},        {"fuseblk", dtFixed}, {"", dtFixed},
      {"TMPFS", dtFixed}};
  for (const auto& [type, drive] : types)
    EXPECT_EQ(detail::FileSystemDriveType(type), drive) << type;
}

TEST(MimeDatabase, GlobsAndKeyFiles) {
  const struct {
    const char* pattern;
    const char* name;
    bool match;
  } globs[] = {
      {"*.txt", ".txt", true},
      {"*.txt", ".tx", false},
      {"*.tar.gz", ".tar.gz", true},
      {"*.gz", ".tar.gz", true},
      {"*.tar.gz", ".gz", false},
      {"*.[1-9]", ".3", true},
      {"*.[1-9]", ".0", false},
      {"*.[!a-c]", ".d", true},
      {"*.[!a-c]", ".b", false},
      {"*.?", ".c", true},
      {"*.?", ".cc", false},
      {"*[", ".x[", true},
      {"*.[]x]", ".]", true},
      {"*~", ".txt~", true},
      {"*a*b*c", ".aXbYc", true},
      {"*a*b*c", ".acb", false},
      {"", "", true},
      {"*", "", true},
  };
  for (const auto& g : globs) {
    EXPECT_EQ(detail::GlobMatch(g.pattern, g.name), g.match) << g.pattern << " " << g.name;
  }
  // Long runs of '*' stay fast.
  EXPECT_FALSE(detail::GlobMatch(std::string(60, '*') + "b", std::string(5000, 'a')));

  const auto parsed = detail::ParseGlobs2(
      "# comment\n55:text/x-diff:*.patch\n50:text/x-c++src:*.C:cs\n"
      "x:bad/weight:*.w\n50::*.empty\n40:text/x-noglob:__NOGLOBS__\r\n");
  ASSERT_EQ(parsed.size(), 3U);
  EXPECT_EQ(parsed[0].Weight, 55);
  EXPECT_EQ(parsed[0].Type, "text/x-diff");
  EXPECT_EQ(parsed[0].Pattern, "*.patch");
  EXPECT_FALSE(parsed[0].CaseSensitive);
  EXPECT_TRUE(parsed[1].CaseSensitive);
  EXPECT_EQ(parsed[2].Pattern, "__NOGLOBS__");

  const detail::TKeyFile file(
      "# c\n[Default Applications]\n text/Plain = a.desktop; ;b.desktop;\n"
      "[Desktop Entry]\nExec=first\nExec=second\n[Desktop Entry]\nName=later\n");
  EXPECT_EQ(file.List("Default Applications", "text/plain", true),
            (std::vector<std::string>{"a.desktop", "b.desktop"}));
  EXPECT_TRUE(file.List("Default Applications", "text/plain").empty());
  ASSERT_NE(file.Value("Desktop Entry", "Exec"), nullptr);
  EXPECT_EQ(*file.Value("Desktop Entry", "Exec"), "first");
  EXPECT_EQ(file.Value("Desktop Entry", "Name"), nullptr);  // the first group of a name counts
}

TEST(MimeDatabase, DirectoriesFromTheEnvironment) {
  std::map<std::string, std::string> env;
  const auto get = [&](const char* name) -> const char* {
    const auto it = env.find(name);
    return it == env.end() ? nullptr : it->second.c_str();
  };
  auto dirs = detail::XdgDirsFromEnvironment(get);
  EXPECT_EQ(dirs.DataDirs, (std::vector<std::string>{"/usr/local/share", "/usr/share"}));
  EXPECT_EQ(dirs.ConfigDirs, (std::vector<std::string>{"/etc/xdg"}));
  EXPECT_TRUE(dirs.Desktops.empty());

  env = {{"HOME", "/home/u"},
         {"XDG_DATA_DIRS", "/a:rel:/b:"},
         {"XDG_CONFIG_HOME", "relative"},
         {"XDG_CONFIG_DIRS", ""},
         {"XDG_CURRENT_DESKTOP", "ubuntu:GNOME"}};
  dirs = detail::XdgDirsFromEnvironment(get);
  EXPECT_EQ(dirs.DataDirs, (std::vector<std::string>{"/home/u/.local/share", "/a", "/b"}));
  EXPECT_EQ(dirs.ConfigDirs, (std::vector<std::string>{"/home/u/.config", "/etc/xdg"}));
  EXPECT_EQ(dirs.Desktops, (std::vector<std::string>{"ubuntu", "gnome"}));

  env = {{"XDG_DATA_HOME", "/d"}, {"XDG_DATA_DIRS", "only:relative"}, {"HOME", "not/absolute"}};
  dirs = detail::XdgDirsFromEnvironment(get);
  EXPECT_EQ(dirs.DataDirs, (std::vector<std::string>{"/d", "/usr/local/share", "/usr/share"}));
  EXPECT_EQ(dirs.ConfigDirs, (std::vector<std::string>{"/etc/xdg"}));
}

class HostProbe : public testing::TempDirTest {};

TEST_F(HostProbe, CreatesExclusivelyAndNeverOpensAnExistingEntry) {
  const String dir = Path("");
  String created;
  ASSERT_EQ(CreateProbeFile(dir, u"probe", created), 0);
  EXPECT_EQ(created, Path("probe"));
  EXPECT_EQ(ReadBytes("probe"), "");

  // The name is taken by a file, a directory, a broken link: each time a file of its own. A
  // Windows host may not let this process make symbolic links (that needs a privilege there).
  WriteBytes("probe", "keep me");
  std::filesystem::create_directory(HostPath("dir"));
  std::vector<const char*> names{"probe", "dir"};
  std::error_code linkError;
  std::filesystem::create_symlink(HostPath("target-never-made"), HostPath("link"), linkError);
  if (!linkError) {
    names.push_back("link");
  } else {
    EXPECT_TRUE(xan::test::kHostWindows) << linkError.message();
  }
  std::set<String> made;
  for (const char* name : names) {
    ASSERT_EQ(CreateProbeFile(dir, FromUtf8(name), created), 0) << name;
    const std::string base = ToUtf8(created).substr(FDir.string().size() + 1);
    EXPECT_EQ(base.size(), std::string(name).size() + 7) << base;
    EXPECT_EQ(base.substr(0, std::strlen(name) + 1), std::string(name) + "-");
    EXPECT_TRUE(std::filesystem::is_regular_file(EncodeHostName(created)));
    made.insert(created);
  }
  EXPECT_EQ(made.size(), names.size());
  EXPECT_EQ(ReadBytes("probe"), "keep me");
  EXPECT_FALSE(std::filesystem::exists(HostPath("target-never-made")));

  // Failures give the host's error number and leave Created alone.
  created = u"unchanged";
  EXPECT_EQ(CreateProbeFile(Path("missing/"), u"probe", created), ENOENT);
  EXPECT_EQ(CreateProbeFile(dir, u"", created), ENOENT);
  EXPECT_EQ(created, u"unchanged");
  EXPECT_EQ(HostFreeBytes(Path("missing")), -1);
  EXPECT_EQ(HostFreeBytes(u""), -1);
#if !defined(_WIN32)
  // A directory without write permission (no such thing for directories on Windows).
  if (::geteuid() != 0) {
    std::filesystem::permissions(
        HostPath("dir"), std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    if (::access(HostPath("dir").c_str(), W_OK) != 0) {
      EXPECT_EQ(CreateProbeFile(Path("dir/"), u"probe", created), EACCES);
    }
  }
#endif
}

TEST(SecureRandom, FillsEveryByteValue) {
  // 64 random bytes: two fills differ, and every byte value shows up in a large fill.
  std::vector<uint8_t> a(64), b(64), big(1 << 16);
  SecureRandomBytes(a);
  SecureRandomBytes(b);
  EXPECT_NE(a, b);
  SecureRandomBytes(big);
  std::set<uint8_t> seen(big.begin(), big.end());
  EXPECT_EQ(seen.size(), 256U);
}

}  // namespace
}  // namespace xan
