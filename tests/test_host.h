// What the tests need to know about the host they run on: which one it is, how a test about one
// host skips on the other, and the default locale of the case rules set for one test.
#pragma once

#include <gtest/gtest.h>

#if defined(_WIN32)
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#else
#include <unicode/locid.h>
#include <unistd.h>
#endif

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

namespace xan::test {

#if defined(_WIN32)
inline constexpr bool kHostWindows = true;
#else
inline constexpr bool kHostWindows = false;
#endif
inline constexpr bool kHostLinux = !kHostWindows;

// A test about one host carries the host in its suite or test name (..._Linux, ..._Windows) and
// starts with one of these, so that it is reported as skipped, with the reason, on the other.
#define XAN_ONLY_ON_LINUX()                                                              \
  do {                                                                                   \
    if (!::xan::test::kHostLinux) GTEST_SKIP() << "about the Linux host: not this host"; \
  } while (0)
#define XAN_ONLY_ON_WINDOWS()                                                                \
  do {                                                                                       \
    if (!::xan::test::kHostWindows) GTEST_SKIP() << "about the Windows host: not this host"; \
  } while (0)

// Whether the Windows host is Wine (its ntdll exports wine_get_version): a test that meets a
// documented gap of Wine, not of Windows, skips there with a message naming the gap.
inline bool RunningUnderWine() {
#if defined(_WIN32)
  const HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
  return ntdll != nullptr && ::GetProcAddress(ntdll, "wine_get_version") != nullptr;
#else
  return false;
#endif
}

// Whether this process may read or write an entry, as the host decides: access(2) on Linux,
// where root may do nearly anything; on Windows only the read-only attribute of a file stops
// writing, and nothing the tests set stops reading.
inline bool HostMayRead([[maybe_unused]] const std::filesystem::path& Path) {
#if defined(_WIN32)
  return std::filesystem::exists(Path);
#else
  return ::access(Path.c_str(), R_OK) == 0;
#endif
}
inline bool HostMayWrite(const std::filesystem::path& Path) {
#if defined(_WIN32)
  const DWORD attributes = ::GetFileAttributesW(Path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ||
                                                   (attributes & FILE_ATTRIBUTE_READONLY) == 0);
#else
  return ::access(Path.c_str(), W_OK) == 0;
#endif
}

// Marks an entry whose name begins with '.' hidden on Windows, as Linux treats such names, so that
// a test of hidden entries means the same on both hosts (Wine reports such names hidden by
// itself; Windows goes only by the attribute). Does nothing on Linux or for other names.
inline void HideDotName([[maybe_unused]] const std::filesystem::path& Path) {
#if defined(_WIN32)
  const std::wstring name = Path.filename().wstring();
  const DWORD attributes = ::GetFileAttributesW(Path.c_str());
  if (name.starts_with(L".") && name != L"." && name != L".." &&
      attributes != INVALID_FILE_ATTRIBUTES) {
    ::SetFileAttributesW(Path.c_str(), attributes | FILE_ATTRIBUTE_HIDDEN);
  }
#endif
}

// Sets an environment variable, or removes it (std::nullopt), for this process.
inline void SetEnvVar(const char* Name, const std::optional<std::string>& Value) {
#if defined(_WIN32)
  // Both copies: the C library's (getenv) and the process's (GetEnvironmentStringsW).
  ::_putenv_s(Name, Value ? Value->c_str() : "");
  ::SetEnvironmentVariableA(Name, Value ? Value->c_str() : nullptr);
#else
  if (Value) {
    ::setenv(Name, Value->c_str(), 1);
  } else {
    ::unsetenv(Name);
  }
#endif
}

// Sets the default locale of the case rules for one scope ("en_US", "tr_TR"): ICU's default
// locale on Linux, the calling thread's locale on Windows. Puts the previous one back.
class ScopedDefaultLocale {
 public:
  explicit ScopedDefaultLocale(const char* name) {
#if defined(_WIN32)
    FSaved = ::GetThreadLocale();
    std::wstring wide;
    for (const char* p = name; *p != 0; ++p) wide += *p == '_' ? L'-' : static_cast<wchar_t>(*p);
    const LCID id = ::LocaleNameToLCID(wide.c_str(), 0);
    if (id != 0) ::SetThreadLocale(id);
#else
    FSaved = icu::Locale::getDefault();
    UErrorCode err = U_ZERO_ERROR;
    icu::Locale::setDefault(icu::Locale(name), err);
#endif
  }
  ~ScopedDefaultLocale() {
#if defined(_WIN32)
    ::SetThreadLocale(FSaved);
#else
    UErrorCode err = U_ZERO_ERROR;
    icu::Locale::setDefault(FSaved, err);
#endif
  }
  ScopedDefaultLocale(const ScopedDefaultLocale&) = delete;
  ScopedDefaultLocale& operator=(const ScopedDefaultLocale&) = delete;

 private:
#if defined(_WIN32)
  LCID FSaved = 0;
#else
  icu::Locale FSaved;
#endif
};

}  // namespace xan::test
