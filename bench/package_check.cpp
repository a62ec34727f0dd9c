// The package check a release build of setup makes before its first Windows Installer run,
// timed: each package file held, its SHA-256 taken through CNG and its ProductCode read, the
// same platform calls setup makes, after the same start (system DLLs, COM); and, beside it,
// the same check made by copying the packages into the protected cache first.
//   bench_package_check.exe ROUNDS [--copy FOLDER] PACKAGE...
// Prints "check <ms> sha256 <ms> ..." for each round: the whole check of every package given,
// the time spent waiting for the SHA-256s, then the digests and product codes found. With
// --copy, each round also prints "copy <ms> sha256 <ms> ...": the protected folder made (or
// set again), every package copied into it at once and hashed as it is written, each copy's
// digest waited for and then its product code read from the copy. The two are made in turn,
// the first of them changing from round to round.
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

LARGE_INTEGER Now() {
  LARGE_INTEGER now;
  ::QueryPerformanceCounter(&now);
  return now;
}

std::wstring NameOf(const std::wstring& path) {
  return path.substr(path.find_last_of(L'\\') + 1);
}

// As setup checks the media: every package held (and its digest begun) first, then each
// checked: its product code read while the digests are being taken, then its digest waited
// for.
void CheckAlone(vtr::Platform& p, const std::vector<std::wstring>& packages) {
  const LARGE_INTEGER start = Now();
  std::vector<std::unique_ptr<vtr::HeldFile>> held;
  const std::unique_ptr<vtr::InstallerObject> installer = p.CreateInstaller();
  std::wstring codes;
  double hashing = 0;
  for (const std::wstring& package : packages) {
    held.push_back(p.HoldFile(package, true));
  }
  for (std::size_t i = 0; i < packages.size(); ++i) {
    codes += installer->PackageProperty(packages[i], L"ProductCode") + L" ";
    const LARGE_INTEGER hashStart = Now();
    codes += held[i]->Sha256() + L" ";
    hashing += Milliseconds(hashStart, Now());
  }
  std::wprintf(L"check %.2f sha256 %.2f %ls\n", Milliseconds(start, Now()), hashing, codes.c_str());
}

// As setup checks the cache: every package copied at once, each copy's digest waited for, and
// only then its product code read, from the copy.
void CopyAndCheck(vtr::Platform& p, const std::wstring& folder,
                  const std::vector<std::wstring>& packages) {
  const LARGE_INTEGER start = Now();
  p.MakeProtectedFolder(folder);
  std::vector<std::unique_ptr<vtr::HeldFile>> copies;
  const std::unique_ptr<vtr::InstallerObject> installer = p.CreateInstaller();
  for (const std::wstring& package : packages) {
    copies.push_back(p.CopyIntoFolder(package, folder, NameOf(package)));
  }
  std::wstring codes;
  double hashing = 0;
  for (std::size_t i = 0; i < packages.size(); ++i) {
    const LARGE_INTEGER hashStart = Now();
    codes += copies[i]->Sha256() + L" ";
    hashing += Milliseconds(hashStart, Now());
    codes +=
        installer->PackageProperty(folder + L"\\" + NameOf(packages[i]), L"ProductCode") + L" ";
  }
  std::wprintf(L"copy %.2f sha256 %.2f %ls\n", Milliseconds(start, Now()), hashing, codes.c_str());
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 3) {
    std::fwprintf(stderr, L"usage: bench_package_check ROUNDS [--copy FOLDER] PACKAGE...\n");
    return 2;
  }
  vtr::win32::RestrictDllSearchToSystemFolder();
  const vtr::win32::SystemLibraries systemLibraries;
  const vtr::win32::ComInit com;
  vtr::win32::Win32WizardView window;
  vtr::win32::Win32Platform p(window);
  const int rounds = static_cast<int>(std::wcstol(argv[1], nullptr, 10));
  int first = 2;
  std::wstring folder;
  if (argc > 4 && std::wstring(argv[2]) == L"--copy") {
    folder = argv[3];
    first = 4;
  }
  const std::vector<std::wstring> packages(argv + first, argv + argc);
  try {
    for (int round = 0; round < rounds; ++round) {
      if (folder.empty()) {
        CheckAlone(p, packages);
      } else if (round % 2 == 0) {
        CheckAlone(p, packages);
        CopyAndCheck(p, folder, packages);
      } else {
        CopyAndCheck(p, folder, packages);
        CheckAlone(p, packages);
      }
    }
  } catch (const vtr::RunError& error) {
    std::fwprintf(stderr, L"bench_package_check: %ls (%d)\n", error.description.c_str(),
                  error.number);
    return 1;
  }
  return 0;
}
