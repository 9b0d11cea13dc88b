// System locations: write probes, drives, system directories, the environment, program
// associations and pronounceable passwords, over the platform layer's host locations.
#include "xan/filesys/system_locations.h"

#include <algorithm>
#include <array>
#include <new>

#include "xan/filesys/paths.h"
#include "xan/platform/exceptions.h"
#include "xan/platform/filesystem.h"
#include "xan/platform/locale.h"
#include "xan/platform/random.h"

namespace xan {

namespace {

constexpr uint8_t kLastDrive = 25;

// The directory with a separator at its end; "" becomes the root.
String WithTrailingDelim(StringView Dir) {
  String dir(Dir);
  if (dir.empty() || dir.back() != PathDelim()) dir += PathDelim();
  return dir;
}

// The root path of a drive, or empty.
String RootOf(uint8_t Drive) {
  if (Drive > kLastDrive) return {};
  return HostDrives()[Drive].RootPath;
}

// ------------------------------------------------------------------------------------------------
// Passwords

constexpr StringView kVowels = u"aeiouy";
constexpr StringView kConsonants = u"bcdfghjklmnpqrstvwxz";
constexpr StringView kSpecialOrDigit = u"_!$%#=0123456789";

// Draws from the shared generator.
struct TSharedDraws {
  int32_t Range(int32_t n) noexcept { return RandomRange(n); }
  double Uniform() noexcept { return RandomFloat(); }
};

// Draws from the host's cryptographic source, a buffer at a time.
class TSecureDraws {
 public:
  // 0..n-1 without bias: values from the top partial block of 2^32 are drawn again.
  int32_t Range(int32_t n) {
    if (n <= 1) return 0;
    const auto range = static_cast<uint32_t>(n);
    const uint32_t limit = UINT32_MAX - (UINT32_MAX % range + 1) % range;
    for (;;) {
      const uint32_t r = Next();
      if (r <= limit) return static_cast<int32_t>(r % range);
    }
  }
  double Uniform() { return Next() * (1.0 / 4294967296.0); }

 private:
  uint32_t Next() {
    if (FPos + 4 > FBuffer.size()) {
      SecureRandomBytes(FBuffer);
      FPos = 0;
    }
    uint32_t r = 0;
    for (int i = 0; i < 4; ++i) r = (r << 8) | FBuffer[FPos++];
    return r;
  }
  std::array<uint8_t, 128> FBuffer{};
  size_t FPos = sizeof(FBuffer);
};

template <class TDraws>
String MakePassword(int32_t Length, bool MixedCase, bool SpecialChars, TDraws& Draws) {
  const int32_t length = std::clamp(Length, 4, 14);
  String password;
  if (length % 2 == 1) password += kVowels[Draws.Range(6)];
  for (int32_t pair = 0; pair < length / 2 - 1; ++pair) {
    password += kConsonants[Draws.Range(20)];
    password += kVowels[Draws.Range(6)];
  }
  const int32_t number = Draws.Range(100);
  const Char digits[2] = {static_cast<Char>(u'0' + number / 10),
                          static_cast<Char>(u'0' + number % 10)};
  password.insert(std::min<size_t>(6, password.size()), digits, 2);
  if (MixedCase) {
    for (Char& c : password) {
      if (Draws.Uniform() > 0.5 && c >= u'a' && c <= u'z') c = static_cast<Char>(c - 32);
    }
  }
  if (SpecialChars) {
    for (Char& c : password) {
      if (Draws.Uniform() > 0.8) c = kSpecialOrDigit[Draws.Range(16)];
    }
  }
  return password;
}

}  // namespace

// =================================================================================================
// Write probes

bool DirIsReadOnly(StringView Dir) {
  String probe;
  if (CreateProbeFile(WithTrailingDelim(Dir), kProbeFileName, probe) != 0) return true;
  if (const int32_t err = EraseFile(probe)) {
    RaiseFileError(err, u"Cannot erase the write probe", probe);
  }
  return false;
}

bool DiskIsReadOnly(uint8_t Drive) noexcept {
  try {
    const String root = RootOf(Drive);
    if (root.empty()) return true;
    String probe;
    if (CreateProbeFile(WithTrailingDelim(root), kProbeFileName, probe) != 0) return true;
    return EraseFile(probe) != 0;
  } catch (const std::exception&) {
    return true;
  }
}

// =================================================================================================
// Drives

int32_t GetDiskDriveType(uint8_t Drive) noexcept {
  if (Drive > kLastDrive) return dtUnknown;
  try {
    return HostDrives()[Drive].DriveType;
  } catch (const std::bad_alloc&) {
    return dtUnknown;
  }
}

void BuildDriveList(TStringList& List) {
  List.Clear();
  const THostDrives drives = HostDrives();
  for (size_t i = 0; i < drives.size(); ++i) {
    if (drives[i].RootPath.empty()) continue;
    const Char name[2] = {static_cast<Char>(u'A' + i), u':'};
    List.Add(StringView(name, 2));
  }
}

String DriveRootPath(uint8_t Drive) {
  return RootOf(Drive);
}

int64_t DiskFreeExtended(uint8_t Drive) noexcept {
  try {
    const String root = RootOf(Drive);
    return root.empty() ? -1 : HostFreeBytes(root);
  } catch (const std::bad_alloc&) {
    return -1;
  }
}

// =================================================================================================
// System directories and the environment

String GetSystemDir() {
  return HostSystemDir();
}

String GetWindowsDir() {
  return HostWindowsDir();
}

String GetTempDir() {
  return HostTempDir();
}

String GetEnviroVar(StringView Name) {
  // An empty name names no variable, not the entries that begin with '='.
  if (Name.empty()) return {};
  String value;
  for (const String& entry : HostEnvironment()) {
    if (entry.size() > Name.size() && entry[Name.size()] == u'=' &&
        LocaleSameText(StringView(entry).substr(0, Name.size()), Name)) {
      value = entry.substr(Name.size() + 1);
    }
  }
  return value;
}

// =================================================================================================
// Programs for file types

String GetProgAssoc(StringView Ext) {
  return HostProgramForExtension(Ext);
}

// =================================================================================================
// Passwords

String InventPassword(int32_t Length) {
  return InventPassword(Length, false, false);
}

String InventPassword(int32_t Length, bool MixedCase, bool SpecialChars) {
  TSharedDraws draws;
  return MakePassword(Length, MixedCase, SpecialChars, draws);
}

String InventPasswordSecure(int32_t Length) {
  return InventPasswordSecure(Length, false, false);
}

String InventPasswordSecure(int32_t Length, bool MixedCase, bool SpecialChars) {
  TSecureDraws draws;
  return MakePassword(Length, MixedCase, SpecialChars, draws);
}

}  // namespace xan
