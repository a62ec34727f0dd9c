// Loading DLLs from the system folder only, in the sets the run needs them.
#include "platform/win32/system_libraries.h"

#include <windows.h>

#include <commctrl.h>

#include "platform/win32/win32_strings.h"

namespace vtr::win32 {
namespace {

// DLLs that Windows components load by name on first use and that are not among the ones
// Windows always takes from its own folder, by what first uses them. Some exist only on some
// versions of Windows; a missing one is simply not loaded. Wine loads uxtheme.dll in every
// process that talks to its window system, and urlmon.dll with msi.dll.
//
// Every run: start-up, COM, the installer object, the folders and the processes of a run.
constexpr const wchar_t* kStartSet[] = {
    L"uxtheme.dll", L"msi.dll",       L"urlmon.dll",  L"iertutil.dll",
    L"version.dll", L"cryptbase.dll", L"profapi.dll", L"userenv.dll",
    L"sspicli.dll", L"apphelp.dll",   L"wldp.dll",
};
// Windows and boxes: the theme's helpers and accessibility.
constexpr const wchar_t* kWindowSet[] = {
    L"dwmapi.dll",
    L"textshaping.dll",
    L"msimg32.dll",
    L"oleacc.dll",
};
// The shell, when it is asked to open a file or to show a folder.
constexpr const wchar_t* kShellSet[] = {
    L"propsys.dll",  L"windowscodecs.dll", L"edputil.dll", L"srvcli.dll",
    L"netutils.dll", L"linkinfo.dll",      L"ntshrui.dll", L"cscapi.dll",
};
// What only the wizard's later steps use: the folder picker, security descriptors, the
// cryptographic provider.
constexpr const wchar_t* kLaterSet[] = {
    L"cryptsp.dll", L"rsaenh.dll", L"ntmarta.dll", L"dui70.dll", L"duser.dll", L"xmllite.dll",
};

template <std::size_t N>
void LoadAll(const wchar_t* const (&names)[N], std::vector<UniqueModule>& into) {
  for (const wchar_t* name : names) {
    UniqueModule module = LoadSystemLibrary(name);
    if (module) {
      into.push_back(std::move(module));
    }
  }
}

}  // namespace

void RestrictDllSearchToSystemFolder() {
  using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
  // Looked up rather than imported: the program must still start where it is missing.
  const auto setDefault = ProcAddress<SetDefaultDllDirectoriesFn>(
      ::GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories");
  if (setDefault != nullptr) {
    setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32);
  }
  ::SetDllDirectoryW(L"");
}

UniqueModule LoadSystemLibrary(const wchar_t* name) {
  HMODULE module = ::LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  if (module == nullptr && ::GetLastError() == ERROR_INVALID_PARAMETER) {
    // A Windows without the search flags: name the file in the system folder in full.
    const std::wstring folder = SystemDirectory();
    if (!folder.empty()) {
      const std::wstring path = folder + L'\\' + name;
      module = ::LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    }
  }
  return UniqueModule(module);
}

void LoadSystemLibraries(LibrarySet set, std::vector<UniqueModule>& into) {
  switch (set) {
    case LibrarySet::Start:
      LoadAll(kStartSet, into);
      break;
    case LibrarySet::Window:
      LoadAll(kWindowSet, into);
      break;
    case LibrarySet::Shell:
      LoadAll(kShellSet, into);
      break;
    case LibrarySet::Later:
      LoadAll(kLaterSet, into);
      break;
  }
}

SystemLibraries::SystemLibraries() {
  LoadSystemLibraries(LibrarySet::Start, modules_);
}

UniqueModule LoadCommonControls() {
  UniqueModule comctl32 = LoadSystemLibrary(L"comctl32.dll");
  using InitCommonControlsExFn = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
  const auto init = ProcAddress<InitCommonControlsExFn>(comctl32.get(), "InitCommonControlsEx");
  if (init == nullptr) {
    return UniqueModule();
  }
  INITCOMMONCONTROLSEX controls{};
  controls.dwSize = sizeof(controls);
  controls.dwICC = ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES;
  return init(&controls) != FALSE ? std::move(comctl32) : UniqueModule();
}

}  // namespace vtr::win32
