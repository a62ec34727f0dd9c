#include "platform/win32/system_libraries.h"

#include <windows.h>

#include <commctrl.h>

#include <iterator>

#include "platform/win32/win32_strings.h"

namespace vtr::win32 {
namespace {

// DLLs that Windows components load by name on first use and that are not among the ones
// Windows always takes from its own folder. Some exist only on some versions of Windows;
// a missing one is simply not loaded.
constexpr const wchar_t* kPreloaded[] = {
    L"uxtheme.dll", L"dwmapi.dll",  L"version.dll",  L"propsys.dll",       L"cryptbase.dll",
    L"cryptsp.dll", L"rsaenh.dll",  L"profapi.dll",  L"userenv.dll",       L"sspicli.dll",
    L"ntmarta.dll", L"msi.dll",     L"apphelp.dll",  L"windowscodecs.dll", L"textshaping.dll",
    L"edputil.dll", L"urlmon.dll",  L"iertutil.dll", L"srvcli.dll",        L"netutils.dll",
    L"wldp.dll",    L"msimg32.dll", L"oleacc.dll",   L"linkinfo.dll",      L"ntshrui.dll",
    L"cscapi.dll",  L"dui70.dll",   L"duser.dll",    L"xmllite.dll",
};

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

SystemLibraries::SystemLibraries() {
  modules_.reserve(std::size(kPreloaded));
  for (const wchar_t* name : kPreloaded) {
    UniqueModule module = LoadSystemLibrary(name);
    if (module) {
      modules_.push_back(std::move(module));
    }
  }
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
