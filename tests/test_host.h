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
#endif

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
