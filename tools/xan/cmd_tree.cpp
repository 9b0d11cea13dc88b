// Subcommand tree: copying, counting, deleting and trashing directory trees with the library's
// tree functions; long copies show a progress bar on a terminal.
#include <CLI/CLI.hpp>

#include <cerrno>
#include <filesystem>

#include "tool.h"
#include "xan/filesys/trees.h"
#include "xan/platform/trash.h"

namespace xantool {

namespace tree_cmd {

namespace fs = std::filesystem;

// Every failure the library tells through its error callback, one line each.
struct ErrorLog {
  int64_t Count = 0;
  xan::TStringFeedback Callback() {
    return [this](xan::TObject*, xan::StringView msg) {
      ++Count;
      Complain(HostPathBytes(msg));
    };
  }
};

// "dir" + "name" with one '/' between.
std::string Join(const std::string& dir, const std::string& name) {
  return dir.empty() || dir.back() == '/' ? dir + name : dir + "/" + name;
}

// Raises Failure unless arg names a directory (or a link to one).
void NeedDirectory(const std::string& arg) {
  std::error_code ec;
  const fs::file_status status = fs::status(arg, ec);
  if (!fs::exists(status)) throw Failure(SystemError(arg, ENOENT));
  if (!fs::is_directory(status)) throw Failure(SystemError(arg, ENOTDIR));
}

// ------------------------------------------------------------------------------------------------
// copy

// The copy running: the library's tree copy reports through a plain function, which finds the
// bar here. Files of 2 GiB and more report at most 2 GiB each, so the amount shown may fall
// short of the real one.
struct CopyProgress {
  Progress Bar{"copying", -1};
  int64_t Finished = 0;  // bytes of the files done
  int64_t Current = 0;   // bytes of the file being copied
  int32_t Files = 0;
};
CopyProgress* g_copy = nullptr;

void CopyFeedBack(int32_t BytesCopied, int32_t, xan::StringView, int32_t NrOfFilesCopiedSoFar) {
  if (g_copy == nullptr) return;
  if (NrOfFilesCopiedSoFar != g_copy->Files) {
    g_copy->Finished += g_copy->Current;
    g_copy->Files = NrOfFilesCopiedSoFar;
  }
  g_copy->Current = BytesCopied;
  g_copy->Bar.Update(g_copy->Finished + g_copy->Current,
                     std::to_string(g_copy->Files) + (g_copy->Files == 1 ? " file" : " files"));
}

struct CopyOptions {
  std::string Source, Dest;
  bool Attributes = false;
};

int Copy(const CopyOptions& o) {
  NeedDirectory(o.Source);
  std::error_code ec;
  const fs::file_status dest = fs::status(o.Dest, ec);
  if (fs::exists(dest) && !fs::is_directory(dest)) throw Failure(SystemError(o.Dest, ENOTDIR));
  ErrorLog errors;
  CopyProgress progress;
  g_copy = &progress;
  const int32_t status = xan::CopyFileTree(HostPathText(o.Source), HostPathText(o.Dest),
                                           o.Attributes, CopyFeedBack, errors.Callback());
  g_copy = nullptr;
  if (status != 0 && errors.Count == 0) {
    Complain(status == -7 ? "'" + o.Dest + "' lies inside '" + o.Source + "': nothing copied"
                          : "the copy failed (status " + std::to_string(status) + ")");
  }
  return status == 0 ? kExitOk : kExitError;
}

// ------------------------------------------------------------------------------------------------
// count

struct CountOptions {
  std::string Dir, Mask = "*";
  bool Top = false;
};

int Count(const CountOptions& o) {
  NeedDirectory(o.Dir);
  if (o.Mask.empty() || o.Mask.find('/') != std::string::npos) {
    throw Failure("MASK: '" + o.Mask + "' is not a name mask (a name with * and ?, no '/')");
  }
  ErrorLog errors;
  const int32_t n =
      xan::CountFiles(HostPathText(Join(o.Dir, o.Mask)), !o.Top, nullptr, errors.Callback());
  Out(std::to_string(n) + "\n");
  return errors.Count > 0 ? kExitError : n > 0 ? kExitOk : kExitNo;
}

// ------------------------------------------------------------------------------------------------
// delete

int Delete(const std::string& dir) {
  std::error_code ec;
  const fs::path path(dir);
  const std::string last = (path.has_filename() ? path : path.parent_path()).filename().string();
  if (last == "." || last == "..") throw Failure("refusing to delete '.' or '..': '" + dir + "'");
  if (!fs::is_symlink(fs::symlink_status(path, ec)) && fs::equivalent(path, "/", ec)) {
    throw Failure("refusing to delete the root directory");
  }
  NeedDirectory(dir);
  const xan::String left = xan::DelDirTree(HostPathText(dir));
  if (left.empty()) return kExitOk;
  throw Failure("cannot delete '" + HostPathBytes(left) +
                "' (read-only, or its directory cannot be written); it and the directories "
                "above it are kept");
}

// ------------------------------------------------------------------------------------------------
// trash

bool IsMask(const std::string& arg) {
  const size_t slash = arg.rfind('/');
  return arg.find_first_of("*?", slash == std::string::npos ? 0 : slash) != std::string::npos;
}

int Trash(const std::vector<std::string>& paths) {
  int status = kExitOk;
  for (const std::string& arg : paths) {
    std::error_code ec;
    // A name that exists is that entry (a file, a link itself, or a directory with its content);
    // a name that does not may be a mask for the files it matches.
    if (fs::exists(fs::symlink_status(arg, ec))) {
      const int32_t err = xan::MoveToTrash(HostPathText(arg));
      if (err != 0) {
        Complain(SystemError(arg, err));
        status = kExitError;
      }
    } else if (IsMask(arg)) {
      if (xan::MoveToRecycleBin(HostPathText(arg)) == 0) {
        Complain(arg + ": no file matching it went to the trash");
        status = kExitError;
      }
    } else {
      Complain(SystemError(arg, ENOENT));
      status = kExitError;
    }
  }
  return status;
}

}  // namespace tree_cmd

Action SetupTree(CLI::App& sub) {
  using namespace tree_cmd;
  sub.require_subcommand(1);
  CLI::App* copy = sub.add_subcommand("copy", "Copy the directory tree SRC into DST");
  auto co = std::make_shared<CopyOptions>();
  copy->add_option("SRC", co->Source, "The directory to copy")->required();
  copy->add_option("DST", co->Dest, "The directory to copy into, created when missing")->required();
  copy->add_flag("-p,--permissions", co->Attributes,
                 "Give each file SRC's permissions (plus the owner's write permission)");
  copy->footer(
      "DST receives SRC's content, as 'cp -r SRC/. DST' does: existing files are replaced,\n"
      "others stay. Symbolic links are copied as links; FIFOs, devices and sockets are not\n"
      "copied (each is reported). Every file gets SRC's modification time. A failure is\n"
      "reported and the copy goes on with the next entry.");

  CLI::App* count = sub.add_subcommand("count", "Count the files of a tree that match a mask");
  auto no = std::make_shared<CountOptions>();
  count->add_option("DIR", no->Dir, "The directory")->required();
  count->add_option("MASK", no->Mask, "A name mask: * any run of characters, ? one (default *)");
  count->add_flag("--top", no->Top, "Only DIR itself, not its subdirectories");
  count->footer(
      "Counts every entry that is not a directory (files, symbolic links, hidden files) whose\n"
      "name matches; hidden directories (a name that begins with '.') and links to directories\n"
      "are not searched. Status 1 when the count is 0.");

  CLI::App* del = sub.add_subcommand("delete", "Delete a directory with everything in it");
  auto dir = std::make_shared<std::string>();
  del->add_option("DIR", *dir, "The directory; a symbolic link is removed itself")->required();
  del->footer(
      "Read-only files are never deleted: the first one met stops the deletion and is named,\n"
      "and it stays with the directories above it. '.', '..' and / are refused.");

  CLI::App* trash =
      sub.add_subcommand("trash", "Move files and directories to the desktop's trash");
  auto paths = std::make_shared<std::vector<std::string>>();
  trash->add_option("PATH", *paths, "Entries, or masks (*.tmp) for the files that match")
      ->required();
  trash->footer(
      "The trash is the desktop's ($XDG_DATA_HOME/Trash, or .Trash-UID at the top of another\n"
      "file system), where the file manager can restore each entry. A mask takes files only,\n"
      "not hidden ones (a name that begins with '.'). Nothing is ever copied between file\n"
      "systems: an entry that cannot be renamed into a trash stays and is reported.");

  sub.footer("See 'xan tree copy --help' and likewise for count, delete and trash.");
  return [=] {
    if (copy->parsed()) return Copy(*co);
    if (count->parsed()) return Count(*no);
    if (del->parsed()) return Delete(*dir);
    return Trash(*paths);
  };
}

}  // namespace xantool
