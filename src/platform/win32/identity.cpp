// Who the program is and what it was started with.
#include "platform/win32/text_rules.h"
#include "platform/win32/version_resource.h"
#include "platform/win32/win32_platform.h"
#include "platform/win32/win32_strings.h"

namespace vtr::win32 {

std::wstring Win32Platform::OwnFileName() {
  return BareFileName(ModulePath(nullptr));
}

std::wstring Win32Platform::OwnFolder() {
  return FolderOfPath(ModulePath(nullptr));
}

std::wstring Win32Platform::OwnTitle() {
  return kApplicationTitle;
}

AppVersion Win32Platform::OwnVersion() {
  // Read from the program's own version resource rather than through version.dll, which is
  // not among the DLLs Windows always takes from the system folder.
  HMODULE self = ::GetModuleHandleW(nullptr);
  HRSRC resource = ::FindResourceW(self, MAKEINTRESOURCEW(VS_VERSION_INFO), RT_VERSION);
  if (resource == nullptr) {
    return {};
  }
  HGLOBAL loaded = ::LoadResource(self, resource);
  const auto* data = static_cast<const unsigned char*>(loaded ? ::LockResource(loaded) : nullptr);
  return ParseVersionResource(data, ::SizeofResource(self, resource)).value_or(AppVersion{});
}

std::wstring Win32Platform::CommandLine() {
  const wchar_t* line = ::GetCommandLineW();
  return line != nullptr ? ArgumentsAfterProgramName(line) : std::wstring();
}

}  // namespace vtr::win32
