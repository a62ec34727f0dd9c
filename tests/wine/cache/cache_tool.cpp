// vtrcachetool: the setup program's protected-cache operations (the same platform code) run
// one after another from the command line, each reported as a JSON line, for the Wine tests
// until the setup program's runs use all of them; and an access list read back apart from
// that code.
//   vtrcachetool COMMAND... where COMMAND is one of
//     protect FOLDER | haslink PATH | access PATH | copy SOURCE FOLDER NAME | digests |
//     remove-file PATH | remove-tree PATH
// "copy" begins a copy and goes on at once; "digests" waits for every copy begun and reports
// each one's SHA-256 or error.
#include <windows.h>

#include <sddl.h>

#include <cwchar>
#include <memory>
#include <string>
#include <vector>

#include "../driver/json_line.h"
#include "platform/win32/system_libraries.h"
#include "platform/win32/win32_platform.h"
#include "wizard/win32/wizard_view.h"

namespace {

using vtrdrive::JsonLine;

void ReportError(JsonLine line, const vtr::RunError& error) {
  line.Add("error", static_cast<int64_t>(error.number)).Add("description", error.description);
  line.Write();
}

// The folder's owner and access list in SDDL, read through Windows' own calls.
std::wstring AccessText(const wchar_t* path) {
  HANDLE file = ::CreateFileW(path, READ_CONTROL, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    return L"(cannot open: " + std::to_wstring(::GetLastError()) + L")";
  }
  const SECURITY_INFORMATION what = OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION;
  std::vector<BYTE> descriptor(65536);
  DWORD needed = 0;
  std::wstring text = L"(cannot read)";
  wchar_t* sddl = nullptr;
  if (::GetKernelObjectSecurity(file, what, descriptor.data(),
                                static_cast<DWORD>(descriptor.size()), &needed) &&
      ::ConvertSecurityDescriptorToStringSecurityDescriptorW(descriptor.data(), SDDL_REVISION_1,
                                                             what, &sddl, nullptr)) {
    text = sddl;
    ::LocalFree(sddl);
  }
  ::CloseHandle(file);
  return text;
}

struct Copy {
  std::wstring name;
  std::unique_ptr<vtr::HeldFile> file;
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
  vtr::win32::RestrictDllSearchToSystemFolder();
  const vtr::win32::SystemLibraries systemLibraries;
  vtr::win32::Win32WizardView window;
  vtr::win32::Win32Platform p(window);
  std::vector<Copy> copies;
  for (int i = 1; i < argc; ++i) {
    const std::wstring command = argv[i];
    const int needed = command == L"copy" ? 3 : command == L"digests" ? 0 : 1;
    if (i + needed >= argc) {
      std::fwprintf(stderr, L"vtrcachetool: %ls wants %d arguments\n", command.c_str(), needed);
      return 2;
    }
    const wchar_t* a = needed > 0 ? argv[i + 1] : L"";
    JsonLine line;
    line.Add("do", command);
    if (needed > 0) {
      line.Add("path", std::wstring(a));
    }
    try {
      if (command == L"protect") {
        p.MakeProtectedFolder(a);
        line.Add("ok", true).Write();
      } else if (command == L"haslink") {
        line.Add("link", p.PathHasLink(a)).Write();
      } else if (command == L"access") {
        line.Add("sddl", AccessText(a)).Write();
      } else if (command == L"remove-file") {
        p.RemoveFile(a);
        line.Add("ok", true).Write();
      } else if (command == L"remove-tree") {
        p.RemoveFolderTree(a);
        line.Add("ok", true).Write();
      } else if (command == L"copy") {
        copies.push_back({argv[i + 3], p.CopyIntoFolder(a, argv[i + 2], argv[i + 3])});
        line.Add("ok", true).Write();
      } else if (command == L"digests") {
        for (Copy& copy : copies) {
          JsonLine result;
          result.Add("copy", copy.name);
          try {
            result.Add("sha256", copy.file->Sha256()).Write();
          } catch (const vtr::RunError& error) {
            ReportError(result, error);
          }
        }
        copies.clear();
      } else {
        std::fwprintf(stderr, L"vtrcachetool: unknown command %ls\n", command.c_str());
        return 2;
      }
    } catch (const vtr::RunError& error) {
      ReportError(line, error);
    }
    i += needed;
  }
  return 0;
}
