// Helpers shared by the Windows host code of the platform layer: Win32 errors as the error
// numbers the interface reports, text between String and the system's wide strings, closers.
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <errno.h>
#include <string.h>

#include <climits>
#include <string>
#include <utility>

#include "../host_errors.h"
#include "xan/platform/exceptions.h"
#include "xan/platform/strings.h"

namespace xan::win32 {

static_assert(sizeof(wchar_t) == sizeof(Char), "Windows' wide characters are UTF-16 code units");

// The text of a String as the system's wide characters, and back.
inline const wchar_t* Wide(StringView Text) noexcept {
  return reinterpret_cast<const wchar_t*>(Text.data());
}
inline wchar_t* Wide(String& Text) noexcept {
  return reinterpret_cast<wchar_t*>(Text.data());
}
inline String FromWide(const wchar_t* Text, size_t Length) {
  return String(reinterpret_cast<const Char*>(Text), Length);
}
inline String FromWide(const wchar_t* Text) {
  return Text == nullptr ? String() : FromWide(Text, wcslen(Text));
}

// The error number (errno value) that the interface reports for a Win32 error code, so that
// callers test one set of numbers on every host: ERROR_FILE_NOT_FOUND => ENOENT.
inline int ErrnoFromWin32(DWORD Code) noexcept {
  switch (Code) {
    case ERROR_SUCCESS:
      return 0;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_NO_MORE_FILES:
      return ENOENT;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_WRITE_PROTECT:
    case ERROR_CURRENT_DIRECTORY:
    case ERROR_NETWORK_ACCESS_DENIED:
      return EACCES;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
      return EEXIST;
    case ERROR_DIR_NOT_EMPTY:
      return ENOTEMPTY;
    case ERROR_DIRECTORY:
      return ENOTDIR;
    case ERROR_NOT_SAME_DEVICE:
      return EXDEV;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return ENOSPC;
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
      return ENOMEM;
    case ERROR_INVALID_HANDLE:
      return EBADF;
    case ERROR_FILENAME_EXCED_RANGE:
      return ENAMETOOLONG;
    case ERROR_NOT_READY:
    case ERROR_NOT_SUPPORTED:
      return ENODEV;
    case ERROR_TOO_MANY_OPEN_FILES:
      return EMFILE;
    case ERROR_BROKEN_PIPE:
      return EPIPE;
    default:
      return EINVAL;
  }
}

// The error number of the calling thread's last Win32 error.
inline int LastErrno() noexcept {
  return ErrnoFromWin32(::GetLastError());
}

// The C runtime's description of an error number: ENOENT => u"No such file or directory".
inline String ErrnoText(int Err) {
  return FromUtf8(::strerror(Err));
}

// Raises E (EInOutError or a class derived from it) for the error number Err, with the message
// Action + " \"" + FileName + "\": " + its description, and Err as ErrorCode().
template <class E = EInOutError>
[[noreturn]] void RaiseErrno(int Err, StringView Action, StringView FileName) {
  xan::detail::RaiseHostError<E>(Err, Action, FileName, ErrnoText(Err));
}

// A file name as a NUL-terminated wide string. False when the name cannot be handed to the
// system: it is empty or holds a NUL character, which would cut it short.
inline bool HostFileName(StringView FileName, std::wstring& Out) {
  if (FileName.empty() || FileName.find(u'\0') != StringView::npos) return false;
  Out.assign(Wide(FileName), FileName.size());
  return true;
}

// The attributes to pass CreateFileW when it creates a file over Existing (the attributes of the
// entry there, INVALID_FILE_ATTRIBUTES when there is none): the system refuses to replace a
// hidden or system file unless those attributes are named again, and the new file keeps them.
inline DWORD ReplacingAttributes(DWORD Existing) noexcept {
  const DWORD kept = Existing == INVALID_FILE_ATTRIBUTES
                         ? 0
                         : Existing & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
  return kept != 0 ? kept : FILE_ATTRIBUTE_NORMAL;
}

// Calls Fill(buffer, capacity) of a Win32 function that returns the length it wrote, or the
// capacity it needs (with the terminating NUL) when the buffer was too small, or 0 on failure,
// growing the buffer until the text fits; a path or value of any length is read whole.
template <class F>
String GrowingCall(F Fill) {
  std::wstring buffer(MAX_PATH + 1, L'\0');
  for (int round = 0; round < 8; ++round) {
    const DWORD n = Fill(buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0) return {};
    if (n < buffer.size()) return FromWide(buffer.data(), n);
    buffer.assign(static_cast<size_t>(n) + 1, L'\0');
  }
  return {};
}

// Closes a kernel handle when it goes out of scope.
class THandleCloser {
 public:
  explicit THandleCloser(HANDLE Handle) noexcept : FHandle(Handle) {}
  THandleCloser(const THandleCloser&) = delete;
  THandleCloser& operator=(const THandleCloser&) = delete;
  ~THandleCloser() {
    if (Valid()) ::CloseHandle(FHandle);
  }
  HANDLE Get() const noexcept { return FHandle; }
  bool Valid() const noexcept { return FHandle != nullptr && FHandle != INVALID_HANDLE_VALUE; }
  HANDLE Release() noexcept { return std::exchange(FHandle, INVALID_HANDLE_VALUE); }

 private:
  HANDLE FHandle;
};

// Nanoseconds since 1970-01-01 UTC of a FILETIME (100 ns units since 1601-01-01).
inline int64_t FileTimeToNs(const FILETIME& Time) noexcept {
  const int64_t ticks =
      static_cast<int64_t>((static_cast<uint64_t>(Time.dwHighDateTime) << 32) | Time.dwLowDateTime);
  constexpr int64_t kEpochDiff = 116444736000000000;  // 1601 to 1970 in 100 ns units
  return (ticks - kEpochDiff) * 100;
}

}  // namespace xan::win32
