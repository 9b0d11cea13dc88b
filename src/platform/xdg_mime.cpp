// The desktop's MIME database: extension to type through the globs2 files, type to application
// through mimeapps.list, defaults.list, mimeinfo.cache and desktop files.
#include "platform/xdg_mime.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <set>

#include "platform/simple_text.h"

namespace xan::detail {

namespace {

// Files larger than this are not read: no file of the database comes near it.
constexpr std::streamsize kMaxFileSize = 64 << 20;

// The bytes of a file (a regular file, or a link to one); false when it cannot be read.
bool ReadFile(const std::string& Path, std::string& Out) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(Path, ec)) return false;
  std::ifstream in(Path, std::ios::binary);
  if (!in) return false;
  Out.clear();
  char buffer[16384];
  while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
    Out.append(buffer, static_cast<size_t>(in.gcount()));
    if (static_cast<std::streamsize>(Out.size()) > kMaxFileSize) return false;
  }
  return !in.bad();
}

// The text of a file, or empty when it cannot be read.
std::string FileText(const std::string& Path) {
  std::string text;
  return ReadFile(Path, text) ? text : std::string();
}

std::string_view Trim(std::string_view s) noexcept {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
    s.remove_suffix(1);
  return s;
}

bool SameAsciiText(std::string_view a, std::string_view b) noexcept {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return SimpleLower(x) == SimpleLower(y);
         });
}

// Calls Line for each line of Text, without its line end.
template <class F>
void ForEachLine(std::string_view Text, F Line) {
  while (!Text.empty()) {
    const size_t end = Text.find('\n');
    Line(Text.substr(0, end));
    if (end == std::string_view::npos) break;
    Text.remove_prefix(end + 1);
  }
}

// Splits at Separator, keeping empty parts.
std::vector<std::string_view> Split(std::string_view Text, char Separator) {
  std::vector<std::string_view> parts;
  for (;;) {
    const size_t end = Text.find(Separator);
    parts.push_back(Text.substr(0, end));
    if (end == std::string_view::npos) return parts;
    Text.remove_prefix(end + 1);
  }
}

// The directories of a path list such as $XDG_DATA_DIRS: absolute entries only.
void AddAbsoluteDirs(std::vector<std::string>& Dirs, std::string_view List) {
  for (const std::string_view part : Split(List, ':')) {
    if (part.starts_with('/')) Dirs.emplace_back(part);
  }
}

// Matches one "[...]" set at Pattern[p] (just after the '[') against c. Returns the index after
// the ']' in Next, or false in Valid when the set has no ']'.
bool MatchSet(std::string_view Pattern, size_t p, unsigned char c, size_t& Next, bool& Valid) {
  bool negate = false;
  if (p < Pattern.size() && (Pattern[p] == '!' || Pattern[p] == '^')) {
    negate = true;
    ++p;
  }
  bool matched = false;
  bool first = true;
  while (p < Pattern.size() && (first || Pattern[p] != ']')) {
    first = false;
    unsigned char low = static_cast<unsigned char>(Pattern[p]);
    unsigned char high = low;
    if (p + 2 < Pattern.size() && Pattern[p + 1] == '-' && Pattern[p + 2] != ']') {
      high = static_cast<unsigned char>(Pattern[p + 2]);
      p += 2;
    }
    if (c >= low && c <= high) matched = true;
    ++p;
  }
  Valid = p < Pattern.size();
  Next = p + 1;
  return matched != negate;
}

// Expands the escapes of a desktop-file string value: backslash followed by s (blank), n, t, r
// or a backslash; any other backslash stays.
std::string UnescapeValue(std::string_view Value) {
  std::string out;
  out.reserve(Value.size());
  for (size_t i = 0; i < Value.size(); ++i) {
    char c = Value[i];
    if (c == '\\' && i + 1 < Value.size()) {
      switch (Value[i + 1]) {
        case 's':
          c = ' ';
          break;
        case 'n':
          c = '\n';
          break;
        case 't':
          c = '\t';
          break;
        case 'r':
          c = '\r';
          break;
        case '\\':
          c = '\\';
          break;
        default:
          out += c;
          continue;
      }
      ++i;
    }
    out += c;
  }
  return out;
}

// ------------------------------------------------------------------------------------------------
// Applications

struct TDesktopApp {
  std::string Exec;
  std::vector<std::string> MimeTypes;
};

// One mimeapps.list (or defaults.list) and whether it is a desktop's own, which may only name
// defaults.
struct TListFile {
  TKeyFile File;
  bool DesktopOwn = false;
};

constexpr std::string_view kDefaults = "Default Applications";
constexpr std::string_view kAdded = "Added Associations";
constexpr std::string_view kRemoved = "Removed Associations";

class TAppLookup {
 public:
  explicit TAppLookup(const TXdgDirs& Dirs) : FDirs(Dirs) {
    std::vector<std::string> places;
    for (const std::string& dir : Dirs.ConfigDirs) places.push_back(dir + "/");
    for (const std::string& dir : Dirs.DataDirs) places.push_back(dir + "/applications/");
    for (const std::string& place : places) {
      for (const std::string& desktop : Dirs.Desktops) {
        AddListFile(place + desktop + "-mimeapps.list", true);
      }
      AddListFile(place + "mimeapps.list", false);
    }
    for (const std::string& dir : Dirs.DataDirs) {
      AddListFile(dir + "/applications/defaults.list", true);
    }
  }

  // The Exec line of the application for Type, or empty.
  std::string ExecFor(const std::string& Type) {
    for (const TListFile& list : FLists) {
      for (const std::string& id : list.File.List(kDefaults, Type, true)) {
        const TDesktopApp* app = Load(id);
        if (app != nullptr && Associated(id, *app, Type)) return app->Exec;
      }
    }
    for (const TListFile& list : FLists) {
      if (list.DesktopOwn) continue;
      for (const std::string& id : list.File.List(kAdded, Type, true)) {
        const TDesktopApp* app = Load(id);
        if (app != nullptr && !Removed(id, Type)) return app->Exec;
      }
    }
    for (const std::string& dir : FDirs.DataDirs) {
      for (const std::string& id : DeclaredIn(dir + "/applications", Type)) {
        const TDesktopApp* app = Load(id);
        if (app != nullptr && Associated(id, *app, Type)) return app->Exec;
      }
    }
    return {};
  }

 private:
  void AddListFile(const std::string& Path, bool DesktopOwn) {
    std::string text;
    if (ReadFile(Path, text)) FLists.push_back({TKeyFile(text), DesktopOwn});
  }

  bool Removed(const std::string& Id, const std::string& Type) const {
    for (const TListFile& list : FLists) {
      if (list.DesktopOwn) continue;
      const auto ids = list.File.List(kRemoved, Type, true);
      if (std::find(ids.begin(), ids.end(), Id) != ids.end()) return true;
    }
    return false;
  }

  bool Associated(const std::string& Id, const TDesktopApp& App, const std::string& Type) const {
    if (Removed(Id, Type)) return false;
    if (std::any_of(App.MimeTypes.begin(), App.MimeTypes.end(),
                    [&](const std::string& t) { return SameAsciiText(t, Type); })) {
      return true;
    }
    for (const TListFile& list : FLists) {
      if (list.DesktopOwn) continue;
      const auto ids = list.File.List(kAdded, Type, true);
      if (std::find(ids.begin(), ids.end(), Id) != ids.end()) return true;
    }
    return false;
  }

  // The ids of the applications in one directory that declare Type: its mimeinfo.cache, or,
  // without one, its desktop files in name order.
  std::vector<std::string> DeclaredIn(const std::string& Dir, const std::string& Type) {
    std::string text;
    if (ReadFile(Dir + "/mimeinfo.cache", text))
      return TKeyFile(text).List("MIME Cache", Type, true);
    std::vector<std::string> ids;
    std::error_code ec;
    for (std::filesystem::directory_iterator it(Dir, ec), end; !ec && it != end; it.increment(ec)) {
      const std::string name = it->path().filename().string();
      if (name.ends_with(".desktop")) ids.push_back(name);
    }
    std::sort(ids.begin(), ids.end());
    return ids;
  }

  // The installed application of a desktop-file id, or nullptr.
  const TDesktopApp* Load(const std::string& Id) {
    const auto known = FApps.find(Id);
    if (known != FApps.end()) return known->second ? &*known->second : nullptr;
    std::optional<TDesktopApp>& app = FApps[Id];
    if (Id.empty() || Id.find('/') != std::string::npos || !Id.ends_with(".desktop"))
      return nullptr;
    for (const std::string& dir : FDirs.DataDirs) {
      std::string text;
      if (!FindDesktopFile(dir + "/applications/", Id, text)) continue;
      // The first data directory that has the file decides, also when the file says the
      // application is hidden.
      const TKeyFile file(text);
      const std::string* exec = file.Value("Desktop Entry", "Exec");
      const std::string* type = file.Value("Desktop Entry", "Type");
      const std::string* hidden = file.Value("Desktop Entry", "Hidden");
      if (exec == nullptr || Trim(*exec).empty()) return nullptr;
      if (type != nullptr && *type != "Application") return nullptr;
      if (hidden != nullptr && *hidden == "true") return nullptr;
      app = TDesktopApp{UnescapeValue(*exec), file.List("Desktop Entry", "MimeType")};
      return &*app;
    }
    return nullptr;
  }

  // Finds the file of Id below Dir: Dir/Id, or with a '-' of Id standing for a subdirectory.
  static bool FindDesktopFile(const std::string& Dir, std::string_view Id, std::string& Text,
                              int Depth = 0) {
    if (ReadFile(Dir + std::string(Id), Text)) return true;
    if (Depth >= 8) return false;
    for (size_t dash = Id.find('-'); dash != std::string_view::npos;
         dash = Id.find('-', dash + 1)) {
      const std::string sub = Dir + std::string(Id.substr(0, dash)) + "/";
      std::error_code ec;
      if (std::filesystem::is_directory(sub, ec) &&
          FindDesktopFile(sub, Id.substr(dash + 1), Text, Depth + 1)) {
        return true;
      }
    }
    return false;
  }

  const TXdgDirs& FDirs;
  std::vector<TListFile> FLists;
  std::map<std::string, std::optional<TDesktopApp>> FApps;
};

// Type, then its parent types from the mime/subclasses files (nearest first), then text/plain
// for a text type.
std::vector<std::string> TypeAndParents(const TXdgDirs& Dirs, const std::string& Type) {
  std::multimap<std::string, std::string> parents;
  for (const std::string& dir : Dirs.DataDirs) {
    ForEachLine(FileText(dir + "/mime/subclasses"), [&](std::string_view line) {
      const size_t blank = line.find(' ');
      if (line.starts_with('#') || blank == std::string_view::npos) return;
      parents.emplace(SimpleLowerText(line.substr(0, blank)),
                      std::string(Trim(line.substr(blank + 1))));
    });
  }
  std::vector<std::string> types{Type};
  for (size_t i = 0; i < types.size() && types.size() < 32; ++i) {
    const auto [first, last] = parents.equal_range(SimpleLowerText(types[i]));
    for (auto it = first; it != last; ++it) {
      if (std::find(types.begin(), types.end(), it->second) == types.end()) {
        types.push_back(it->second);
      }
    }
  }
  if (SimpleLowerText(std::string_view(Type).substr(0, 5)) == "text/" &&
      std::find(types.begin(), types.end(), "text/plain") == types.end()) {
    types.emplace_back("text/plain");
  }
  return types;
}

}  // namespace

// ------------------------------------------------------------------------------------------------
// Directories

TXdgDirs XdgDirsFromEnvironment(const std::function<const char*(const char*)>& GetEnv) {
  const auto get = [&](const char* name) -> std::string_view {
    const char* value = GetEnv(name);
    return value == nullptr ? std::string_view() : std::string_view(value);
  };
  const std::string_view home = get("HOME");
  const auto homeDir = [&](const char* variable, const char* underHome,
                           std::vector<std::string>& dirs) {
    const std::string_view value = get(variable);
    if (value.starts_with('/')) {
      dirs.emplace_back(value);
    } else if (home.starts_with('/')) {
      dirs.push_back(std::string(home) + underHome);
    }
  };
  const auto systemDirs = [&](const char* variable, std::string_view fallback,
                              std::vector<std::string>& dirs) {
    const size_t before = dirs.size();
    AddAbsoluteDirs(dirs, get(variable));
    if (dirs.size() == before) AddAbsoluteDirs(dirs, fallback);
  };
  TXdgDirs dirs;
  homeDir("XDG_DATA_HOME", "/.local/share", dirs.DataDirs);
  systemDirs("XDG_DATA_DIRS", "/usr/local/share:/usr/share", dirs.DataDirs);
  homeDir("XDG_CONFIG_HOME", "/.config", dirs.ConfigDirs);
  systemDirs("XDG_CONFIG_DIRS", "/etc/xdg", dirs.ConfigDirs);
  for (const std::string_view name : Split(get("XDG_CURRENT_DESKTOP"), ':')) {
    if (!name.empty() && name.find('/') == std::string_view::npos) {
      dirs.Desktops.push_back(SimpleLowerText(name));
    }
  }
  return dirs;
}

// ------------------------------------------------------------------------------------------------
// Patterns and files

bool GlobMatch(std::string_view Pattern, std::string_view Name) noexcept {
  // Greedy matching that remembers the last '*': each byte of Name is passed at most once per
  // position of that '*', so there is no exponential backtracking.
  size_t p = 0, n = 0;
  size_t starP = std::string_view::npos, starN = 0;
  while (n < Name.size()) {
    if (p < Pattern.size()) {
      const char c = Pattern[p];
      if (c == '*') {
        starP = p++;
        starN = n;
        continue;
      }
      if (c == '[') {
        size_t next = 0;
        bool valid = false;
        const bool hit = MatchSet(Pattern, p + 1, static_cast<unsigned char>(Name[n]), next, valid);
        if (valid) {
          if (hit) {
            p = next;
            ++n;
            continue;
          }
        } else if (Name[n] == '[') {
          ++p;
          ++n;
          continue;
        }
      } else if (c == '?' || c == Name[n]) {
        ++p;
        ++n;
        continue;
      }
    }
    if (starP == std::string_view::npos) return false;
    p = starP + 1;
    n = ++starN;
  }
  while (p < Pattern.size() && Pattern[p] == '*') ++p;
  return p == Pattern.size();
}

std::vector<TMimeGlob> ParseGlobs2(std::string_view Text) {
  std::vector<TMimeGlob> globs;
  ForEachLine(Text, [&](std::string_view line) {
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.empty() || line.starts_with('#')) return;
    const auto fields = Split(line, ':');
    if (fields.size() < 3 || fields[1].empty() || fields[2].empty()) return;
    TMimeGlob glob;
    if (ReadDecimal(fields[0], glob.Weight) != TDecimalRead::Ok) return;
    glob.Type = fields[1];
    glob.Pattern = fields[2];
    if (fields.size() > 3) {
      for (const std::string_view flag : Split(fields[3], ',')) {
        if (flag == "cs") glob.CaseSensitive = true;
      }
    }
    globs.push_back(std::move(glob));
  });
  return globs;
}

TKeyFile::TKeyFile(std::string_view Text) {
  ForEachLine(Text, [&](std::string_view line) {
    line = Trim(line);
    if (line.empty() || line.starts_with('#')) return;
    if (line.starts_with('[') && line.ends_with(']')) {
      FGroups.push_back({std::string(line.substr(1, line.size() - 2)), {}});
      return;
    }
    const size_t eq = line.find('=');
    if (eq == std::string_view::npos || FGroups.empty()) return;
    FGroups.back().Keys.emplace_back(Trim(line.substr(0, eq)), Trim(line.substr(eq + 1)));
  });
}

const std::string* TKeyFile::Value(std::string_view Group, std::string_view Key,
                                   bool IgnoreCase) const {
  for (const TGroup& group : FGroups) {
    if (group.Name != Group) continue;
    for (const auto& [key, value] : group.Keys) {
      if (IgnoreCase ? SameAsciiText(key, Key) : key == Key) return &value;
    }
    return nullptr;
  }
  return nullptr;
}

std::vector<std::string> TKeyFile::List(std::string_view Group, std::string_view Key,
                                        bool IgnoreCase) const {
  std::vector<std::string> items;
  if (const std::string* value = Value(Group, Key, IgnoreCase)) {
    for (const std::string_view item : Split(*value, ';')) {
      if (!Trim(item).empty()) items.emplace_back(Trim(item));
    }
  }
  return items;
}

// ------------------------------------------------------------------------------------------------
// Lookups

std::string MimeTypeOfExtension(const TXdgDirs& Dirs, std::string_view Extension) {
  if (Extension.empty() || Extension.find('/') != std::string_view::npos) return {};
  const std::string name = "." + std::string(Extension);
  const std::string lowerName = SimpleLowerText(name);
  // The best match so far, ranked by weight, then pattern length, then whether the pattern
  // matched the name as it is spelled (so ".c" is C although "*.C" of C++ matches it without
  // regard to case). Ties go to the glob seen first: the more important directory, then the
  // earlier line.
  struct TRank {
    int32_t Weight;
    size_t Length;
    bool Exact;
    auto operator<=>(const TRank&) const = default;
  };
  std::optional<TRank> bestRank;
  std::string best;
  std::set<std::string> dropped;  // types whose patterns a more important directory replaced
  for (const std::string& dir : Dirs.DataDirs) {
    std::set<std::string> droppedHere;
    for (const TMimeGlob& glob : ParseGlobs2(FileText(dir + "/mime/globs2"))) {
      if (glob.Pattern == "__NOGLOBS__") {
        droppedHere.insert(glob.Type);
        continue;
      }
      if (dropped.count(glob.Type) != 0 || !glob.Pattern.starts_with('*')) continue;
      const bool exact = GlobMatch(glob.Pattern, name);
      if (!exact && (glob.CaseSensitive ||
                     !GlobMatch(SimpleLowerText(std::string_view(glob.Pattern)), lowerName))) {
        continue;
      }
      const TRank rank{glob.Weight, glob.Pattern.size(), exact};
      if (!bestRank || rank > *bestRank) {
        bestRank = rank;
        best = glob.Type;
      }
    }
    dropped.insert(droppedHere.begin(), droppedHere.end());
  }
  return best;
}

std::string ProgramForExtension(const TXdgDirs& Dirs, std::string_view Extension) {
  const std::string type = MimeTypeOfExtension(Dirs, Extension);
  if (type.empty()) return {};
  TAppLookup lookup(Dirs);
  for (const std::string& candidate : TypeAndParents(Dirs, type)) {
    std::string exec = lookup.ExecFor(candidate);
    if (!exec.empty()) return exec;
  }
  return {};
}

}  // namespace xan::detail
