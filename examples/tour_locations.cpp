// Tour section: the temporary and system directories, the drives, a write probe, the environment
// and invented passwords.
#include <iostream>

#include "tour.h"
#include "xan/filesys.h"
#include "xan/platform/random.h"

void tour::Locations() {
  using namespace xan;
  Heading("System locations, drives and passwords");

  Show("GetTempDir", GetTempDir());
  Show("GetSystemDir", GetSystemDir());

  // Drive C is the root file system; further letters are the other mounted file systems.
  TStringList drives;
  BuildDriveList(drives);
  std::cout << "  BuildDriveList => " << drives.Count() << " drive(s), the first \""
            << ToUtf8(drives.Strings(0)) << "\" at \"" << ToUtf8(DriveRootPath(2)) << "\"\n";

  // The probe never touches a file that is already there.
  std::cout << "  DirIsReadOnly(GetTempDir()) => "
            << (DirIsReadOnly(GetTempDir()) ? "true" : "false") << "\n";
  std::cout << "  GetEnviroVar(\"path\") finds PATH => "
            << (GetEnviroVar(u"path").empty() ? "no" : "yes") << "\n";

  // Seeded, the shared generator repeats its passwords; the secure form never does.
  SetRandSeed(2024);
  Show("InventPassword(9) after seeding 2024", InventPassword(9));
  Show("InventPassword(12, mixed case, special characters)", InventPassword(12, true, true));
  std::cout << "  InventPasswordSecure(10) => " << ToUtf8(InventPasswordSecure(10)).size()
            << " characters, different on every run\n";
}
