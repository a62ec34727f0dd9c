// Windows version, special folders and the system folder.
#include <windows.h>

#include <shlobj.h>

#include <algorithm>
#include <iterator>

#include "platform/win32/win32_platform.h"
#include "platform/win32/win32_strings.h"

namespace vtr::win32 {
namespace {

std::wstring TextToFirstNul(const wchar_t* buffer, size_t size) {
  std::wstring text(buffer, size);
  const size_t nul = text.find(L'\0');
  if (nul != std::wstring::npos) {
    text.resize(nul);
  }
  return text;
}

}  // namespace

OsVersionRecord Win32Platform::OsVersion() {
  OSVERSIONINFOW info{};
  info.dwOSVersionInfoSize = sizeof(info);
  // The service-pack field starts as all blanks; callers get the whole field back, so what
  // Windows leaves of the filler shows.
  std::fill(std::begin(info.szCSDVersion), std::end(info.szCSDVersion), L' ');
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  // Deliberately the version query that the manifest leaves at 6.2 on later Windows: the
  // version names the program shows and decides by are built on it.
  const BOOL ok = ::GetVersionExW(&info);
#pragma GCC diagnostic pop
  if (!ok) {
    return {};
  }
  OsVersionRecord record;
  record.platformId = static_cast<int32_t>(info.dwPlatformId);
  record.major = static_cast<int32_t>(info.dwMajorVersion);
  record.minor = static_cast<int32_t>(info.dwMinorVersion);
  record.build = static_cast<int32_t>(info.dwBuildNumber);
  record.servicePack.assign(std::begin(info.szCSDVersion), std::end(info.szCSDVersion));
  return record;
}

std::optional<std::wstring> Win32Platform::FolderPath(int csidl) {
  // The shell writes at most MAX_PATH characters here, whatever the buffer.
  wchar_t buffer[MAX_PATH] = {};
  if (::SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, buffer) != S_OK) {
    return std::nullopt;
  }
  return TextToFirstNul(buffer, MAX_PATH);
}

std::wstring Win32Platform::SpecialFolderPath(int csidl) {
  wchar_t buffer[MAX_PATH] = {};
  // Whatever the call reports, what it wrote is the answer ("" when nothing).
  ::SHGetSpecialFolderPathW(nullptr, buffer, csidl, FALSE);
  return TextToFirstNul(buffer, MAX_PATH);
}

std::wstring Win32Platform::SystemFolder() {
  return SystemDirectory();
}

}  // namespace vtr::win32
