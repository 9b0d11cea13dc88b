// Helpers shared by the POSIX host code of the platform layer: host error numbers raised as
// EInOutError, closers that release host handles, and file names in the host's encoding.
#pragma once

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <memory>
#include <string>
#include <utility>

#include "../host_errors.h"
#include "../host_names.h"
#include "xan/platform/exceptions.h"
#include "xan/platform/strings.h"

namespace xan::posix {

namespace detail {
// strerror_r comes in two shapes: the GNU one returns the text, the XSI one fills the buffer.
inline const char* StrErrorResult(const char* text, const char* /*buffer*/) noexcept {
  return text;
}
inline const char* StrErrorResult(int /*status*/, const char* buffer) noexcept {
  return buffer;
}
}  // namespace detail

// The host's description of an error number: ENOENT => u"No such file or directory".
inline String ErrnoText(int Err) {
  char buffer[256] = {};
  return FromUtf8(detail::StrErrorResult(strerror_r(Err, buffer, sizeof buffer), buffer));
}

// Raises E (EInOutError or a class derived from it) for the host error number Err, with the
// message Action + " \"" + FileName + "\": " + the host's description, and Err as ErrorCode().
//   RaiseErrno<EFOpenError>(ENOENT, u"Cannot open file", u"a.txt") raises
//   "Cannot open file \"a.txt\": No such file or directory"
template <class E = EInOutError>
[[noreturn]] void RaiseErrno(int Err, StringView Action, StringView FileName) {
  xan::detail::RaiseHostError<E>(Err, Action, FileName, ErrnoText(Err));
}

// A file name in the host's encoding (UTF-8 that keeps the bytes of names found on disk, see
// host_names.h). False when the name cannot be handed to the host: it is empty or holds a NUL
// character, which would cut it short.
inline bool HostFileName(StringView FileName, std::string& Out) {
  if (FileName.empty() || FileName.find(u'\0') != StringView::npos) return false;
  Out = EncodeHostName(FileName);
  return true;
}

// Repeats a host call while it fails with EINTR (an interrupting signal).
template <class F>
auto RetryOnInterrupt(F Call) {
  for (;;) {
    auto result = Call();
    if (result != -1 || errno != EINTR) return result;
  }
}

// Renames From to To without ever replacing an existing To: 0 or the error number (EEXIST when
// To exists). A case-insensitive file system reports a new spelling of From as the same entry;
// that rename replaces nothing and is done.
inline int RenameNoReplace(const char* From, const char* To) noexcept {
  struct stat a {
  }, b{};
  const bool same = ::lstat(From, &a) == 0 && ::lstat(To, &b) == 0 && a.st_dev == b.st_dev &&
                    a.st_ino == b.st_ino;
#if defined(SYS_renameat2) && defined(RENAME_NOREPLACE)
  if (!same) {
    if (::syscall(SYS_renameat2, AT_FDCWD, From, AT_FDCWD, To, RENAME_NOREPLACE) == 0) return 0;
    if (errno != EINVAL && errno != ENOSYS) return errno;
    // The file system does not offer the exclusive rename: check, then rename.
  }
#endif
  if (!same && ::lstat(To, &b) == 0) return EEXIST;
  return ::rename(From, To) == 0 ? 0 : errno;
}

// Closes a file descriptor when it goes out of scope, unless Release() took it over.
class TFdCloser {
 public:
  explicit TFdCloser(int Fd) noexcept : FFd(Fd) {}
  TFdCloser(const TFdCloser&) = delete;
  TFdCloser& operator=(const TFdCloser&) = delete;
  ~TFdCloser() {
    if (FFd >= 0) ::close(FFd);
  }
  int Get() const noexcept { return FFd; }
  int Release() noexcept {
    const int fd = FFd;
    FFd = -1;
    return fd;
  }

 private:
  int FFd;
};

// Closes a directory stream of opendir.
struct TDirCloser {
  void operator()(DIR* Dir) const noexcept {
    if (Dir != nullptr) ::closedir(Dir);
  }
};
using TUniqueDir = std::unique_ptr<DIR, TDirCloser>;

}  // namespace xan::posix
