// The printer a test that starts a print job needs: on Windows, a local printer on the spooler's
// "FILE:" port made the default for the test where the host has no default printer.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "../test_host.h"
#include "xan/platform/graphics.h"

#if defined(_WIN32)
// After windows.h (from test_host.h), which it needs.
#include <winspool.h>

#include <vector>
#endif

namespace xan::testing {

#if defined(_WIN32)

// While it lives, the spooler has a default printer, or Missing() says why not. Where the host
// has one, it is left alone. Otherwise a printer named kName goes on the "FILE:" port with the
// first printer driver the host lists (under Wine, which lists none in a fresh prefix, its own
// PostScript driver wineps.drv with the PPD that Wine's winspool carries), becomes the default,
// and is deleted, with the driver the test added, at the end. A system-wide mutex keeps test
// programs that run at the same time from sharing or deleting each other's printer: the first
// that prints holds it to its end.
class TTestPrinter {
 public:
  static constexpr const wchar_t* kName = L"xan tests file printer";
  static constexpr const wchar_t* kDriver = L"xan tests PostScript driver";
  static constexpr const wchar_t* kPpd = L"xan_tests_printer.ppd";

  TTestPrinter() {
    HoldPrinterLock();
    RemoveLeftovers();
    if (!DefaultPrinter().empty()) {
      FReady = true;
      return;
    }
    std::wstring driver = FirstDriver();
    if (driver.empty() && xan::test::RunningUnderWine()) driver = AddWineDriver();
    if (driver.empty()) {
      if (FMissing.empty()) FMissing = "no printer driver on this host (EnumPrinterDriversW)";
      return;
    }
    PRINTER_INFO_2W info{};
    info.pPrinterName = const_cast<wchar_t*>(kName);
    info.pPortName = const_cast<wchar_t*>(L"FILE:");
    info.pDriverName = driver.data();
    info.pPrintProcessor = const_cast<wchar_t*>(L"WinPrint");
    info.pDatatype = const_cast<wchar_t*>(L"RAW");
    info.Attributes = PRINTER_ATTRIBUTE_LOCAL;
    FPrinter = ::AddPrinterW(nullptr, 2, reinterpret_cast<BYTE*>(&info));
    if (FPrinter == nullptr) {
      FMissing = "the spooler refused a printer on FILE: (AddPrinterW error " +
                 std::to_string(::GetLastError()) + ")";
      return;
    }
    if (!::SetDefaultPrinterW(kName)) {
      FMissing = "SetDefaultPrinterW failed (error " + std::to_string(::GetLastError()) + ")";
      return;
    }
    FReady = true;
  }

  ~TTestPrinter() {
    // A job that the test left running ends before its printer goes.
    if (Printer().Printing()) Printer().Abort();
    if (FPrinter != nullptr) {
      DeleteJobs(FPrinter);
      ::DeletePrinter(FPrinter);
      ::ClosePrinter(FPrinter);
    }
    if (FAddedDriver) RemoveDriver();
  }

  TTestPrinter(const TTestPrinter&) = delete;
  TTestPrinter& operator=(const TTestPrinter&) = delete;

  bool Ready() const { return FReady; }
  const std::string& Missing() const { return FMissing; }
  // Whether the test runs on the printer this object added (its driver's output is known).
  bool Added() const { return FPrinter != nullptr; }

  static std::wstring DefaultPrinter() {
    DWORD size = 0;
    ::GetDefaultPrinterW(nullptr, &size);
    if (size == 0) return {};
    std::wstring name(size, L'\0');
    if (!::GetDefaultPrinterW(name.data(), &size)) return {};
    name.resize(name.find(L'\0'));
    return name;
  }

 private:
  // Takes the lock that gives one test program at a time the printer, and keeps it until the
  // program ends: under Wine an aborted document's spool file stays open in the process that
  // printed it, and job numbers count per process, so another program's job of the same number
  // could not create its spool file. A program that dies gives the lock up (WAIT_ABANDONED), and
  // the next one removes what it left (RemoveLeftovers).
  static void HoldPrinterLock() {
    static const bool held = [] {
      const HANDLE lock = ::CreateMutexW(nullptr, FALSE, L"xan-tests-printer");
      return lock != nullptr && ::WaitForSingleObject(lock, INFINITE) != WAIT_FAILED;
    }();
    (void)held;
  }

  // The first installed driver of this host's environment, or "" without one.
  static std::wstring FirstDriver() {
    DWORD needed = 0, count = 0;
    ::EnumPrinterDriversW(nullptr, nullptr, 1, nullptr, 0, &needed, &count);
    if (needed == 0) return {};
    std::vector<BYTE> buffer(needed);
    if (!::EnumPrinterDriversW(nullptr, nullptr, 1, buffer.data(), needed, &needed, &count) ||
        count == 0) {
      return {};
    }
    const auto* drivers = reinterpret_cast<const DRIVER_INFO_1W*>(buffer.data());
    for (DWORD i = 0; i < count; ++i) {
      if (drivers[i].pName != nullptr && kDriver != std::wstring_view(drivers[i].pName)) {
        return drivers[i].pName;
      }
    }
    return {};
  }

  // Installs Wine's PostScript driver under kDriver; "" (and FMissing) when it cannot.
  std::wstring AddWineDriver() {
    const HMODULE spool = ::LoadLibraryExW(
        L"winspool.drv", nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    const HRSRC resource =
        spool == nullptr ? nullptr : ::FindResourceW(spool, MAKEINTRESOURCEW(1), L"PPDFILE");
    const HGLOBAL loaded = resource == nullptr ? nullptr : ::LoadResource(spool, resource);
    const char* ppd =
        loaded == nullptr ? nullptr : static_cast<const char*>(::LockResource(loaded));
    if (ppd == nullptr) {
      if (spool != nullptr) ::FreeLibrary(spool);
      FMissing = "Wine has no printer driver and its winspool carries no PPD for wineps.drv";
      return {};
    }
    std::string text(ppd, ::SizeofResource(spool, resource));
    text.resize(text.find('\0') == std::string::npos ? text.size() : text.find('\0'));
    ::FreeLibrary(spool);
    wchar_t temp[MAX_PATH + 1];
    const DWORD length = ::GetTempPathW(MAX_PATH + 1, temp);
    if (length == 0 || length > MAX_PATH) {
      FMissing = "no temporary directory for the PPD of Wine's PostScript driver";
      return {};
    }
    std::wstring file = std::wstring(temp, length) + kPpd;
    const HANDLE h =
        ::CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    const bool saved =
        h != INVALID_HANDLE_VALUE &&
        ::WriteFile(h, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
        written == text.size();
    if (h != INVALID_HANDLE_VALUE) ::CloseHandle(h);
    DRIVER_INFO_3W info{};
    info.cVersion = 3;
    info.pName = const_cast<wchar_t*>(kDriver);
    info.pDriverPath = const_cast<wchar_t*>(L"wineps.drv");
    info.pConfigFile = const_cast<wchar_t*>(L"wineps.drv");
    info.pDataFile = file.data();
    info.pDefaultDataType = const_cast<wchar_t*>(L"RAW");
    const bool added = saved && ::AddPrinterDriverExW(nullptr, 3, reinterpret_cast<BYTE*>(&info),
                                                      APD_COPY_NEW_FILES | APD_COPY_FROM_DIRECTORY);
    const DWORD error = ::GetLastError();
    ::DeleteFileW(file.c_str());
    if (!added) {
      FMissing = "Wine has no printer driver and did not take wineps.drv (error " +
                 std::to_string(error) + ")";
      return {};
    }
    FAddedDriver = true;
    return kDriver;
  }

  // Deletes kDriver and the copy of its PPD in the spooler's driver directory.
  static void RemoveDriver() {
    ::DeletePrinterDriverW(nullptr, nullptr, const_cast<wchar_t*>(kDriver));
    wchar_t dir[MAX_PATH + 1];
    DWORD needed = 0;
    if (::GetPrinterDriverDirectoryW(nullptr, nullptr, 1, reinterpret_cast<BYTE*>(dir), sizeof dir,
                                     &needed)) {
      // The copy goes into the directory or its subdirectory of the driver version.
      ::DeleteFileW((std::wstring(dir) + L"\\" + kPpd).c_str());
      ::DeleteFileW((std::wstring(dir) + L"\\3\\" + kPpd).c_str());
    }
  }

  // Deletes the jobs left in a printer's queue (an aborted document may stay there).
  static void DeleteJobs(HANDLE printer) {
    DWORD needed = 0, count = 0;
    ::EnumJobsW(printer, 0, 1000, 1, nullptr, 0, &needed, &count);
    if (needed == 0) return;
    std::vector<BYTE> buffer(needed);
    if (!::EnumJobsW(printer, 0, 1000, 1, buffer.data(), needed, &needed, &count)) return;
    const auto* jobs = reinterpret_cast<const JOB_INFO_1W*>(buffer.data());
    for (DWORD i = 0; i < count; ++i) {
      ::SetJobW(printer, jobs[i].JobId, 0, nullptr, JOB_CONTROL_DELETE);
    }
  }

  // What a test program that died while holding the lock left behind.
  static void RemoveLeftovers() {
    HANDLE old = nullptr;
    PRINTER_DEFAULTSW access{nullptr, nullptr, PRINTER_ALL_ACCESS};
    if (::OpenPrinterW(const_cast<wchar_t*>(kName), &old, &access)) {
      DeleteJobs(old);
      ::DeletePrinter(old);
      ::ClosePrinter(old);
    }
    DWORD needed = 0, count = 0;
    ::EnumPrinterDriversW(nullptr, nullptr, 1, nullptr, 0, &needed, &count);
    std::vector<BYTE> buffer(needed + 1);
    if (needed != 0 &&
        ::EnumPrinterDriversW(nullptr, nullptr, 1, buffer.data(), needed, &needed, &count)) {
      const auto* drivers = reinterpret_cast<const DRIVER_INFO_1W*>(buffer.data());
      for (DWORD i = 0; i < count; ++i) {
        if (drivers[i].pName != nullptr && kDriver == std::wstring_view(drivers[i].pName)) {
          RemoveDriver();
        }
      }
    }
  }

  HANDLE FPrinter = nullptr;
  bool FAddedDriver = false;
  bool FReady = false;
  std::string FMissing;
};

// Starts a test that starts a print job: the printer lives to the end of the test's body, or the
// test skips with what is missing.
#define XAN_SKIP_WITHOUT_PRINTER()                               \
  ::xan::testing::TTestPrinter xanTestPrinter_;                  \
  if (!xanTestPrinter_.Ready()) {                                \
    GTEST_SKIP() << "no printer: " << xanTestPrinter_.Missing(); \
  }                                                              \
  static_assert(true)

#else

// On Linux an output file needs no printer.
#define XAN_SKIP_WITHOUT_PRINTER() \
  do {                             \
  } while (0)

#endif

}  // namespace xan::testing
