// A program that only records that it ran: installed under the names of the programs the
// setup program starts (the updater service "wodUpdSv.exe", the ACE engine's installer) and
// planted as "msiexec.exe" / "regsvr32.exe" beside the setup program, where it must never be
// run. It ends with 0, or with the code C:\vtrtest\exit_codes.txt gives its file name (one
// "<file name> <code>" a line), so a test can see how the setup program reads its end.
#include <windows.h>

#include <cwchar>
#include <string>

#include "call_log.h"

namespace {

constexpr wchar_t kExitCodes[] = L"C:\\vtrtest\\exit_codes.txt";

DWORD ChosenExitCode() {
  const std::wstring self = vtrstub::FileName(vtrstub::ModulePath(nullptr));
  for (const std::wstring& line : vtrstub::ReadLines(kExitCodes)) {
    const size_t blank = line.rfind(L' ');
    if (blank != std::wstring::npos && CompareStringOrdinal(line.c_str(), static_cast<int>(blank),
                                                            self.c_str(), -1, TRUE) == CSTR_EQUAL) {
      return static_cast<DWORD>(std::wcstoul(line.c_str() + blank + 1, nullptr, 10));
    }
  }
  return 0;
}

}  // namespace

int wmain() {
  vtrstub::RecordThisProgram();
  return static_cast<int>(ChosenExitCode());
}
