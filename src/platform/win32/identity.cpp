// Who the program is and what it was started with.
#include <cstring>

#include "platform/win32/text_rules.h"
#include "platform/win32/win32_platform.h"
#include "platform/win32/win32_strings.h"

namespace vtr::win32 {
namespace {

// The fixed part of the version resource. Its layout: a header of three words, the key
// "VS_VERSION_INFO" with its NUL, padding to a 32-bit boundary, then VS_FIXEDFILEINFO.
bool ReadFixedFileInfo(const BYTE* data, size_t size, VS_FIXEDFILEINFO& info) {
  constexpr wchar_t kKey[] = L"VS_VERSION_INFO";
  constexpr size_t kKeyOffset = 3 * sizeof(WORD);
  constexpr size_t kValueOffset = (kKeyOffset + sizeof(kKey) + 3) & ~size_t{3};
  if (data == nullptr || size < kValueOffset + sizeof(info)) {
    return false;
  }
  WORD valueLength = 0;
  std::memcpy(&valueLength, data + sizeof(WORD), sizeof(valueLength));
  if (valueLength < sizeof(info) || std::memcmp(data + kKeyOffset, kKey, sizeof(kKey)) != 0) {
    return false;
  }
  std::memcpy(&info, data + kValueOffset, sizeof(info));
  return info.dwSignature == VS_FFI_SIGNATURE;
}

}  // namespace

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
  const auto* data = static_cast<const BYTE*>(loaded ? ::LockResource(loaded) : nullptr);
  VS_FIXEDFILEINFO info{};
  if (!ReadFixedFileInfo(data, ::SizeofResource(self, resource), info)) {
    return {};
  }
  return {HIWORD(info.dwFileVersionMS), LOWORD(info.dwFileVersionMS), HIWORD(info.dwFileVersionLS)};
}

std::wstring Win32Platform::CommandLine() {
  const wchar_t* line = ::GetCommandLineW();
  return line != nullptr ? ArgumentsAfterProgramName(line) : std::wstring();
}

void Win32Platform::ShowWizard() {
  // The wizard window is shown here.
}

}  // namespace vtr::win32
