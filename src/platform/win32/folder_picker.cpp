// The shell's folder picker.
#include <windows.h>

#include <shlobj.h>

#include <vector>

#include "platform/win32/win32_platform.h"
#include "platform/win32/win32_strings.h"

namespace vtr::win32 {
namespace {

constexpr int kProgramFilesFolder = 38;  // CSIDL_PROGRAM_FILES
// Only file-system folders, nothing below the domain, the new dialog style, the hint
// instead of an edit box.
constexpr UINT kPickerFlags = 0x143;

// The file-system path of a shell item; nothing for an item that has none.
std::optional<std::wstring> PathOfItem(PCIDLIST_ABSOLUTE item) {
  // Where the shell offers it, ask with buffers large enough for long paths.
  using GetPathExFn = BOOL(WINAPI*)(PCIDLIST_ABSOLUTE, PWSTR, DWORD, int);
  const auto getPathEx =
      ProcAddress<GetPathExFn>(::GetModuleHandleW(L"shell32.dll"), "SHGetPathFromIDListEx");
  if (getPathEx != nullptr) {
    for (DWORD size : {DWORD{MAX_PATH}, DWORD{32768}}) {
      std::vector<wchar_t> buffer(size, L'\0');
      if (getPathEx(item, buffer.data(), size, 0)) {
        return std::wstring(buffer.data());
      }
    }
    return std::nullopt;
  }
  std::vector<wchar_t> buffer(MAX_PATH, L'\0');
  if (!::SHGetPathFromIDListW(item, buffer.data())) {
    return std::nullopt;
  }
  return std::wstring(buffer.data());
}

}  // namespace

std::optional<std::wstring> Win32Platform::BrowseForFolder(const std::wstring& title,
                                                           bool programFilesRoot) {
  // The picker is a window of the shell's, and the last of the wizard's steps to need DLLs.
  view_.LoadLibraries(LibrarySet::Window);
  view_.LoadLibraries(LibrarySet::Shell);
  view_.LoadLibraries(LibrarySet::Later);
  UniqueCoTaskMem<ITEMIDLIST> root;
  if (programFilesRoot &&
      FAILED(::SHGetSpecialFolderLocation(nullptr, kProgramFilesFolder, root.put()))) {
    root.reset();  // no root: the picker starts at the desktop
  }
  std::vector<wchar_t> displayName(MAX_PATH, L'\0');
  BROWSEINFOW browse{};
  browse.hwndOwner = DialogOwner();
  browse.pidlRoot = root.get();
  browse.pszDisplayName = displayName.data();
  browse.lpszTitle = title.c_str();
  browse.ulFlags = kPickerFlags;
  UniqueCoTaskMem<ITEMIDLIST> chosen(::SHBrowseForFolderW(&browse));
  if (!chosen) {
    return std::nullopt;  // cancelled
  }
  return PathOfItem(chosen.get());
}

}  // namespace vtr::win32
