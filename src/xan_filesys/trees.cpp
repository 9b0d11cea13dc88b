// Directory trees and file operations: file and tree copies with feedback and abort, deleting,
// trashing, finding, renaming, listing and counting, over the platform's file services.
#include "xan/filesys/trees.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "platform/simple_text.h"
#include "xan/filesys/paths.h"
#include "xan/platform/filesystem.h"
#include "xan/platform/trash.h"

namespace xan {

namespace {

// The block of the feedback and the abort, and the step in which the data moves between them.
constexpr int64_t kBlock = 8192;
constexpr int64_t kStep = 128 * kBlock;

constinit std::atomic<bool> g_abort{false};

// The state of the running tree copy, read by the per-block feedback it hands to the file copy.
struct TTreeCopyState {
  TTreeCopyFeedBack FeedBack = nullptr;
  String Name;
  int32_t Count = 0;
  int32_t Bytes = 0;
  int32_t Size = 0;
};
// Made on first use: a text member cannot be constant-initialised with every compiler.
TTreeCopyState& TreeState() {
  static TTreeCopyState state;
  return state;
}

bool Aborted() noexcept {
  return g_abort.load(std::memory_order_relaxed);
}

int32_t Clamp32(int64_t Value) noexcept {
  return Value > std::numeric_limits<int32_t>::max() ? std::numeric_limits<int32_t>::max()
                                                     : static_cast<int32_t>(Value);
}

bool IsMissing(int32_t Err) noexcept {
  return Err == ENOENT || Err == ENOTDIR;
}

String WithDelim(StringView Dir) {
  return EnsureTrailingPathDelim(Dir);
}

// -------------------------------------------------------------------------------------------------
// One file copy

// The outcome of a file copy: the documented status, and the host's error behind it.
struct TCopyResult {
  int32_t Status = 0;
  int32_t Error = 0;
};

// Copies Source to Dest as FileCopyFeedBk documents, but reports a source that cannot be opened
// as status -1 instead of raising. InTree: no symbolic link at Dest is written through.
TCopyResult CopyOneFile(StringView Source, StringView Dest, bool CopyAttributes,
                        TFileCopyFeedBack FeedBack, bool InTree) {
  TCopyResult result;
  TFileHandle source;
  if (const int32_t err = source.OpenRead(Source)) return {-1, err};
  if (source.IsSameFile(Dest)) return result;
  const int32_t size = Clamp32(std::max<int64_t>(source.Size(), 0));
  const auto report = [&](int64_t copied) {
    if (FeedBack != nullptr) FeedBack(Clamp32(copied), size);
  };
  report(0);

  TFileHandle dest;
  int64_t count = 0;   // bytes reported as copied, block by block
  int64_t good = 0;    // bytes of Dest known to be right, from its start
  int64_t extent = 0;  // bytes written to Dest, right or not
  if (const int32_t err = dest.Create(Dest, !InTree)) {
    result = {-2, err};
  } else {
    bool atEnd = false;     // the source has no more bytes after `good`
    bool byBlocks = false;  // after a failed step: block by block, to tell what failed
    std::unique_ptr<uint8_t[]> block;
    for (;;) {
      if (count == good && !atEnd && !byBlocks) {
        int64_t done = 0;
        const int32_t err = dest.CopyRangeFrom(source, good, kStep, done);
        extent = std::max(extent, good + done);
        if (err != 0) {
          byBlocks = true;
          good += done / kBlock * kBlock;
        } else {
          good += done;
          atEnd = done < kStep;
        }
      }
      if (count == good && !atEnd) {
        // Read one block, report, write it: the failing call shows which file failed.
        if (!block) block = std::make_unique<uint8_t[]>(kBlock);
        int64_t got = 0;
        if (const int32_t err = source.ReadAt(block.get(), kBlock, count, got)) {
          result = {-4, err};
          got = 0;
        }
        report(count);
        if (got > 0) {
          if (const int32_t err = dest.WriteAt(block.get(), got, count)) {
            result = {-3, err};
          } else {
            good = count + got;
          }
          extent = std::max(extent, count + got);
        }
        count += got;
        if (got < kBlock || result.Status != 0 || Aborted()) break;
        continue;
      }
      // A block that is at the destination already.
      const int64_t length = std::min(kBlock, good - count);
      report(count);
      count += length;
      if (length < kBlock || Aborted()) break;
    }
    // Dest keeps exactly the blocks copied whole: fewer than moved after an abort, none of a
    // block that failed.
    const int64_t keep = std::min(count, good);
    if (extent > keep) {
      if (const int32_t err = dest.SetSize(keep); err != 0 && result.Status == 0) {
        result = {-3, err};
      }
    }
    if (const int32_t err = dest.Close(); err != 0 && result.Status == 0) result = {-3, err};
    if (result.Status == 0) {
      CopyFileTimes(Source, Dest);
      if (CopyAttributes) CopyFilePermissions(Source, Dest, true);
    }
  }
  report(count);
  return result;
}

// -------------------------------------------------------------------------------------------------
// Walks

struct TEntry {
  String Name;
  uint32_t Attr;
};

// The entries of Dir matching Mask, read at once so that no directory stays open while the walk
// goes deeper (a deep tree would run out of descriptors) or changes the directory it lists.
std::vector<TEntry> ListEntries(StringView Dir, StringView Mask, uint32_t Attr, bool Details,
                                int32_t& Error) {
  std::vector<TEntry> entries;
  TDirSearch search(Dir, Mask, Attr, Details);
  for (TSearchRec rec; search.Next(rec);) entries.push_back({std::move(rec.Name), rec.Attr});
  Error = search.Error();
  return entries;
}

std::vector<TEntry> ListEntries(StringView Dir, StringView Mask, uint32_t Attr, bool Details) {
  int32_t error = 0;
  return ListEntries(Dir, Mask, Attr, Details, error);
}

bool IsRealDirectory(uint32_t Attr) noexcept {
  return (Attr & faDirectory) != 0 && (Attr & faSymLink) == 0;
}

// -------------------------------------------------------------------------------------------------
// Tree copy

void TreeBlockFeedBack(int32_t BytesCopied, int32_t SizeOfFile) {
  TTreeCopyState& state = TreeState();
  state.Bytes = BytesCopied;
  state.Size = SizeOfFile;
  if (state.FeedBack != nullptr) state.FeedBack(BytesCopied, SizeOfFile, state.Name, state.Count);
}

class TTreeCopy {
 public:
  TTreeCopy(bool CopyAttributes, const TStringFeedback& OnError)
      : FCopyAttributes(CopyAttributes), FOnError(OnError) {}

  int32_t Status() const noexcept { return FStatus; }

  void Fail(int32_t Status, const String& Message) {
    if (FStatus == 0) FStatus = Status;
    if (FOnError) FOnError(nullptr, Message);
  }

  // Copies the directory Source into Dest (both ending with a separator, or empty).
  void CopyDirectory(const String& Source, const String& Dest, bool Root) {
    if (!Dest.empty()) {
      int32_t err = Root ? ForceDirectories(Dest) : CreateDir(Dest);
      if (!Root && err == EEXIST) {
        // An existing directory is filled; a link or a file standing there is not used.
        // (Without its trailing separator: with one, the host would describe a link's target.)
        const uint32_t attr = FileGetAttr(StringView(Dest).substr(0, Dest.size() - 1));
        if (IsRealDirectory(attr)) err = 0;
      }
      if (err != 0) {
        Fail(-5, FileErrorMessage(err, u"Cannot create directory", Dest));
        return;
      }
    }
    int32_t error = 0;
    const std::vector<TEntry> entries = ListEntries(Source, u"*.*", faAnyFile, false, error);
    if (error != 0) Fail(-6, FileErrorMessage(error, u"Cannot read directory", Source));
    for (const TEntry& entry : entries) {
      if (Aborted()) break;
      if ((entry.Attr & faSymLink) != 0) {
        CopyLink(Source + entry.Name, Dest + entry.Name);
      } else if ((entry.Attr & faDirectory) != 0) {
        CopyDirectory(WithDelim(Source + entry.Name), WithDelim(Dest + entry.Name), false);
      } else {
        CopyFile(Source + entry.Name, Dest + entry.Name, (entry.Attr & faArchive) != 0);
      }
    }
  }

 private:
  void StartFile(const String& Dest) {
    TTreeCopyState& state = TreeState();
    state.Name = Dest;
    ++state.Count;
    state.Bytes = 0;
    state.Size = 0;
  }
  void EndFile() {
    const TTreeCopyState& state = TreeState();
    if (state.FeedBack != nullptr) state.FeedBack(state.Bytes, state.Size, state.Name, state.Count);
  }

  void CopyFile(const String& Source, const String& Dest, bool Plain) {
    StartFile(Dest);
    if (!Plain) {
      // A FIFO, device or socket: reading one may never end.
      EndFile();
      Fail(-1, u"Cannot copy \"" + Source + u"\": not a plain file");
      return;
    }
    const TCopyResult result = CopyOneFile(Source, Dest, FCopyAttributes, TreeBlockFeedBack, true);
    EndFile();
    switch (result.Status) {
      case 0:
        break;
      case -1:
        Fail(-1, FileErrorMessage(result.Error, u"Cannot open file", Source));
        break;
      case -2:
        Fail(-2, FileErrorMessage(result.Error, u"Cannot create file", Dest));
        break;
      case -3:
        Fail(-3, FileErrorMessage(result.Error, u"Cannot write to file", Dest));
        break;
      default:
        Fail(result.Status, FileErrorMessage(result.Error, u"Cannot read from file", Source));
        break;
    }
  }

  void CopyLink(const String& Source, const String& Dest) {
    StartFile(Dest);
    const int32_t err = CopySymLink(Source, Dest);
    EndFile();
    if (err != 0) Fail(-2, FileErrorMessage(err, u"Cannot create link", Dest));
  }

  bool FCopyAttributes;
  const TStringFeedback& FOnError;
  int32_t FStatus = 0;
};

// -------------------------------------------------------------------------------------------------
// Deleting

String DeleteTree(const String& Dir) {
  // Files are erased in runs from the directory itself; the order of the walk stays as listed.
  std::vector<String> files;
  const auto eraseFiles = [&]() -> String {
    if (files.empty()) return {};
    int32_t error = 0;
    const size_t erased = EraseFilesIn(Dir, files, true, error);
    if (erased < files.size()) return Dir + files[erased];
    files.clear();
    return {};
  };
  for (TEntry& entry : ListEntries(Dir, u"*.*", faAnyFile, false)) {
    if (!IsRealDirectory(entry.Attr)) {
      files.push_back(std::move(entry.Name));
      continue;
    }
    String failed = eraseFiles();
    if (failed.empty()) failed = DeleteTree(WithDelim(Dir + entry.Name));
    if (!failed.empty()) return failed;
  }
  if (String failed = eraseFiles(); !failed.empty()) return failed;
  if (RemoveDir(Dir) != 0) return Dir;
  return {};
}

// Calls Action with the full path of every file that MoveToRecycleBin and DeleteFiles handle,
// and counts the calls that succeed.
template <class F>
int32_t ForEachMatchingFile(StringView FileName, F Action) {
  if (FileName.empty()) return 0;
  const String full = ExpandFileName(FileName);
  const String dir = ExtractFilePath(full);
  const String mask = ExtractFileName(full);
  if (mask.empty()) return 0;
  int32_t count = 0;
  for (const TEntry& entry : ListEntries(dir, mask, faAnyFile, false)) {
    if (entry.Name.empty() || entry.Name[0] == u'.') continue;
    if ((entry.Attr & (faDirectory | faVolumeID)) != 0) continue;
    const String path = dir + entry.Name;
    if (FileExists(path) && Action(path)) ++count;
  }
  return count;
}

// -------------------------------------------------------------------------------------------------
// Finding and renaming

String Detect(const String& Dir, const String& Name) {
  {
    TDirSearch search(Dir, Name, 0, false);
    for (TSearchRec rec; search.Next(rec);) {
      if ((rec.Attr & faArchive) != 0) return Dir + rec.Name;
    }
  }
  for (const TEntry& entry : ListEntries(Dir, u"*.*", faDirectory, true)) {
    if (entry.Attr != faDirectory) continue;
    String found = Detect(WithDelim(Dir + entry.Name), Name);
    if (!found.empty()) return found;
  }
  return {};
}

void RenameAll(const String& Dir, const String& Mask, bool Upper, bool Top) {
  int32_t error = 0;
  const std::vector<TEntry> entries = ListEntries(Dir, Mask, faAnyFile, true, error);
  // A directory below that cannot be read would keep its names: say so, as a failed rename does.
  if (error != 0 && !(Top && IsMissing(error))) {
    RaiseFileError(error, u"Cannot read directory", Dir);
  }
  for (const TEntry& entry : entries) {
    const String name =
        Upper ? detail::SimpleUpperText(entry.Name) : detail::SimpleLowerText(entry.Name);
    if (name != entry.Name) {
      if (const int32_t err = RenameFile(Dir + entry.Name, Dir + name)) {
        RaiseFileError(err, u"Cannot rename", Dir + entry.Name);
      }
    }
    if (entry.Attr == faDirectory) RenameAll(WithDelim(Dir + name), Mask, Upper, false);
  }
}

// -------------------------------------------------------------------------------------------------
// Listing and counting

struct TScan {
  TStringList* List;
  TScanFilesFeedback FeedBack;
  const TStringFeedback& OnError;
  bool IncludeSubdirs;
  int32_t Count = 0;

  void Walk(const String& Dir, const String& Mask) {
    if (FeedBack != nullptr) FeedBack(Dir, Count);
    // One listing serves both the files and the subdirectories.
    std::vector<String> subdirs;
    {
      TDirSearch search(Dir, u"*", faAnyFile, false);
      for (TSearchRec rec; search.Next(rec);) {
        if ((rec.Attr & faDirectory) != 0) {
          if (IncludeSubdirs && (rec.Attr & (faHidden | faSysFile | faSymLink)) == 0) {
            subdirs.push_back(std::move(rec.Name));
          }
        } else if (MatchesMask(rec.Name, Mask)) {
          if (List != nullptr) List->Add(Dir + rec.Name);
          ++Count;
        }
      }
      const int32_t err = search.Error();
      if (err != 0 && !IsMissing(err) && OnError) {
        OnError(nullptr, FileErrorMessage(err, u"Cannot read directory", Dir));
      }
    }
    for (const String& sub : subdirs) Walk(WithDelim(Dir + sub), Mask);
  }
};

}  // namespace

// =================================================================================================
// Copying

void AbortAnyFileCopying() noexcept {
  g_abort.store(true, std::memory_order_relaxed);
}

int32_t FileCopyFeedBk(StringView Source, StringView Dest, bool CopyAttributes,
                       TFileCopyFeedBack FeedBack) {
  g_abort.store(false, std::memory_order_relaxed);
  String dest(Dest);
  if (DirectoryExists(dest)) dest = WithDelim(dest) + ExtractFileName(Source);
  if (dest == Source) return 0;
  const TCopyResult result = CopyOneFile(Source, dest, CopyAttributes, FeedBack, false);
  if (result.Status == -1) RaiseFileError(result.Error, u"Cannot open file", Source);
  return result.Status;
}

int32_t CopyFileTree(StringView SourceDir, StringView DestDir, bool CopyAttributes,
                     TTreeCopyFeedBack FeedBack, const TStringFeedback& OnError) {
  TTreeCopyState& state = TreeState();
  state = TTreeCopyState{FeedBack, String(), 0, 0, 0};
  g_abort.store(false, std::memory_order_relaxed);
  const String source = WithDelim(SourceDir);
  const String dest = WithDelim(DestDir);
  if (source == dest) return 0;
  // An empty directory is the current one: it counts for the check too. The destination is
  // checked as the host resolves it and as its text reads: "missing/../src/x" lies inside "src"
  // once "missing" has been created, which the host cannot know before.
  const String within = source.empty() ? u"." : source;
  if (PathIsWithin(dest.empty() ? u"." : dest, within) ||
      PathIsWithin(ExpandFileName(dest), within)) {
    if (OnError) {
      OnError(nullptr,
              u"Cannot copy \"" + source + u"\" into \"" + dest + u"\", which lies inside it");
    }
    return -7;
  }
  TTreeCopy copy(CopyAttributes, OnError);
  copy.CopyDirectory(source, dest, true);
  return copy.Status();
}

// =================================================================================================
// Deleting

int32_t MoveToRecycleBin(StringView FileName) {
  return ForEachMatchingFile(FileName, [](const String& Path) { return MoveToTrash(Path) == 0; });
}

String DelDirTree(StringView Dir) {
  if (Dir.empty()) return {};
  // A link given as the tree is removed itself; its target is not part of the tree.
  String named(Dir);
  while (named.size() > 1 && named.back() == PathDelim()) named.pop_back();
  const uint32_t attr = FileGetAttr(named);
  if (attr != faInvalid && (attr & faSymLink) != 0) {
    return EraseFile(named) == 0 ? String() : WithDelim(Dir);
  }
  return DeleteTree(WithDelim(Dir));
}

int32_t DeleteFiles(StringView FileName) {
  return ForEachMatchingFile(FileName,
                             [](const String& Path) { return EraseFile(Path, true) == 0; });
}

// =================================================================================================
// Finding and renaming

String FileDetect(StringView FileName) {
  const String name = ExtractFileName(FileName);
  if (name.empty()) return {};
  return Detect(ExtractFilePath(FileName), name);
}

void SetAllFilenameCase(StringView FileName, bool Upper) {
  const String mask = ExtractFileName(FileName);
  if (mask.empty()) return;
  RenameAll(ExtractFilePath(FileName), mask, Upper, true);
}

// =================================================================================================
// Directories

bool DirEmpty(StringView Dir) {
  if (Dir.empty()) return true;
  TDirSearch search(WithDelim(Dir), u"*.*", faAnyFile, false);
  TSearchRec rec;
  return !search.Next(rec);
}

bool DirExists(StringView Dir) noexcept {
  const uint32_t attr = FileGetAttr(Dir);
  return attr != faInvalid && (attr & faDirectory) != 0;
}

// =================================================================================================
// Listing and counting

void ScanFilesToStrList(StringView FileMask, bool IncludeSubdirs, TStringList* List,
                        TScanFilesFeedback FeedBack, const TStringFeedback& OnError) {
  if (List == nullptr) return;
  TScan scan{List, FeedBack, OnError, IncludeSubdirs};
  scan.Walk(ExtractFilePath(FileMask), ExtractFileName(FileMask));
}

int32_t CountFiles(StringView FileMask, bool IncludeSubdirs, TScanFilesFeedback FeedBack,
                   const TStringFeedback& OnError) {
  TScan scan{nullptr, FeedBack, OnError, IncludeSubdirs};
  scan.Walk(ExtractFilePath(FileMask), ExtractFileName(FileMask));
  return scan.Count;
}

int32_t GetFileSize(StringView FileName) {
  return static_cast<int32_t>(
      std::min<int64_t>(GetFileSize64(FileName), std::numeric_limits<int32_t>::max()));
}

int64_t GetFileSize64(StringView FileName) {
  if (FileName.empty()) return -1;
  const String full = ExpandFileName(FileName);
  const String mask = ExtractFileName(full);
  if (mask.empty()) return -1;
  TDirSearch search(ExtractFilePath(full), mask, faAnyFile, true);
  TSearchRec rec;
  return search.Next(rec) ? rec.Size : -1;
}

}  // namespace xan
