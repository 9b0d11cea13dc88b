// The desktop's MIME database on POSIX hosts: the type of a file-name extension from the
// shared MIME-info globs, and the application that opens a type from mimeapps.list and desktop
// files. Portable C++ over file contents; host_locations.h describes the whole lookup.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace xan::detail {

// The base directories to look in, the most important first; paths in the host's bytes.
struct TXdgDirs {
  std::vector<std::string> DataDirs;    // $XDG_DATA_HOME, then the entries of $XDG_DATA_DIRS
  std::vector<std::string> ConfigDirs;  // $XDG_CONFIG_HOME, then the entries of $XDG_CONFIG_DIRS
  std::vector<std::string> Desktops;    // the lower-case names of $XDG_CURRENT_DESKTOP, in order
};

// The directories that the environment names, GetEnv giving a variable's value or nullptr when
// it is not set. Entries that are not absolute paths are ignored; a variable that is unset,
// empty or left without entries takes its default (~/.local/share, /usr/local/share and
// /usr/share, ~/.config, /etc/xdg; ~ being $HOME, left out when $HOME is not absolute).
TXdgDirs XdgDirsFromEnvironment(const std::function<const char*(const char*)>& GetEnv);

// True when Name matches the shell pattern: '*' any run of bytes, '?' one byte, "[...]" one byte
// of a set with ranges ("[a-z]", negated by a leading '!' or '^'), every other byte itself. A '['
// without its ']' stands for itself.
//   ("*.tar.gz", ".tar.gz") => true,  ("*.[1-9]", ".3") => true,  ("*.c", ".h") => false
bool GlobMatch(std::string_view Pattern, std::string_view Name) noexcept;

// One line of a globs2 file.
struct TMimeGlob {
  int32_t Weight = 50;
  std::string Type;
  std::string Pattern;
  bool CaseSensitive = false;  // the flags field holds "cs"
};

// The lines of a globs2 file ("weight:type:pattern[:flags]"); comment lines ('#'), blank lines
// and lines without weight, type or pattern are skipped.
std::vector<TMimeGlob> ParseGlobs2(std::string_view Text);

// A file of groups and keys ("[Group]" lines, "Key=Value" lines, '#' comments), as desktop
// files, mimeapps.list and mimeinfo.cache are written.
class TKeyFile {
 public:
  TKeyFile() = default;
  explicit TKeyFile(std::string_view Text);

  // The value of Key in the first group named Group, or nullptr. Key is compared exactly, or
  // without regard to the case of A-Z when IgnoreCase (MIME types).
  const std::string* Value(std::string_view Group, std::string_view Key,
                           bool IgnoreCase = false) const;
  // The ';'-separated items of that value, blanks trimmed and empty items left out.
  std::vector<std::string> List(std::string_view Group, std::string_view Key,
                                bool IgnoreCase = false) const;

 private:
  struct TGroup {
    std::string Name;
    std::vector<std::pair<std::string, std::string>> Keys;
  };
  std::vector<TGroup> FGroups;
};

// The MIME type of files whose names end with "." + Extension, from the mime/globs2 files of
// the data directories; empty when no pattern matches.
std::string MimeTypeOfExtension(const TXdgDirs& Dirs, std::string_view Extension);

// The Exec line of the application that opens files whose names end with "." + Extension, its
// escapes resolved; empty when there is none.
std::string ProgramForExtension(const TXdgDirs& Dirs, std::string_view Extension);

}  // namespace xan::detail
