// The package check a release build of setup makes before its first Windows Installer run,
// timed: each package file held, its SHA-256 taken through CNG and its ProductCode read, the
// same platform calls setup makes, after the same start (system DLLs, COM).
//   bench_package_check.exe ROUNDS PACKAGE...
// Prints "check <ms> sha256 <ms> ..." for each round: the whole check of every package given,
// the time spent waiting for the SHA-256s, then the digests and product codes found.
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <memory>
#include <string>
#include <vector>

#include "platform/win32/system_libraries.h"
#include "platform/win32/unique_resources.h"
#include "platform/win32/win32_platform.h"
#include "wizard/win32/wizard_view.h"

namespace {

double Milliseconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to) {
  LARGE_INTEGER frequency;
  ::QueryPerformanceFrequency(&frequency);
  return static_cast<double>(to.QuadPart - from.QuadPart) * 1000.0 /
         static_cast<double>(frequency.QuadPart);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 3) {
    std::fwprintf(stderr, L"usage: bench_package_check ROUNDS PACKAGE...\n");
    return 2;
  }
  vtr::win32::RestrictDllSearchToSystemFolder();
  const vtr::win32::SystemLibraries systemLibraries;
  const vtr::win32::ComInit com;
  vtr::win32::Win32WizardView window;
  vtr::win32::Win32Platform p(window);
  const int rounds = static_cast<int>(std::wcstol(argv[1], nullptr, 10));
  for (int round = 0; round < rounds; ++round) {
    LARGE_INTEGER start;
    LARGE_INTEGER end;
    ::QueryPerformanceCounter(&start);
    std::vector<std::unique_ptr<vtr::HeldFile>> held;
    const std::unique_ptr<vtr::InstallerObject> installer = p.CreateInstaller();
    std::wstring codes;
    double hashing = 0;
    // As setup does: every package held (and its digest begun) first, then each checked: its
    // product code read while the digests are being taken, then its digest waited for.
    for (int i = 2; i < argc; ++i) {
      held.push_back(p.HoldFile(argv[i], true));
    }
    for (int i = 2; i < argc; ++i) {
      codes += installer->PackageProperty(argv[i], L"ProductCode") + L" ";
      LARGE_INTEGER hashStart;
      LARGE_INTEGER hashEnd;
      ::QueryPerformanceCounter(&hashStart);
      codes += held[static_cast<std::size_t>(i - 2)]->Sha256() + L" ";
      ::QueryPerformanceCounter(&hashEnd);
      hashing += Milliseconds(hashStart, hashEnd);
    }
    ::QueryPerformanceCounter(&end);
    std::wprintf(L"check %.2f sha256 %.2f %ls\n", Milliseconds(start, end), hashing, codes.c_str());
  }
  return 0;
}
