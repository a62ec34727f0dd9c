// Who the program is, what it was started with, and who runs it where.
#include <utility>
#include <vector>

#include "platform/win32/text_rules.h"
#include "platform/win32/unique_resources.h"
#include "platform/win32/version_resource.h"
#include "platform/win32/win32_platform.h"
#include "platform/win32/win32_strings.h"

namespace vtr::win32 {
namespace {

std::wstring ComputerName() {
  wchar_t name[MAX_COMPUTERNAME_LENGTH + 1] = {};
  DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
  return ::GetComputerNameW(name, &size) ? std::wstring(name, size) : std::wstring();
}

// The process token's user (a TOKEN_USER), empty when Windows cannot say.
std::vector<unsigned char> TokenUserOf(HANDLE token) {
  DWORD size = 0;
  ::GetTokenInformation(token, TokenUser, nullptr, 0, &size);
  std::vector<unsigned char> buffer(size);
  if (size == 0 || !::GetTokenInformation(token, TokenUser, buffer.data(), size, &size)) {
    buffer.clear();
  }
  return buffer;
}

std::vector<unsigned char> OwnTokenUser() {
  UniqueHandle token;
  if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, token.put())) {
    return {};
  }
  return TokenUserOf(token.get());
}

// "DOMAIN\user" of the account the process runs as (its token's user), "" when Windows
// cannot say.
std::wstring AccountName() {
  const std::vector<unsigned char> user = OwnTokenUser();
  if (user.empty()) {
    return {};
  }
  PSID sid = reinterpret_cast<const TOKEN_USER*>(user.data())->User.Sid;
  DWORD nameSize = 0;
  DWORD domainSize = 0;
  SID_NAME_USE use{};
  ::LookupAccountSidW(nullptr, sid, nullptr, &nameSize, nullptr, &domainSize, &use);
  if (nameSize == 0) {
    return {};
  }
  std::wstring name(nameSize, L'\0');
  std::wstring domain(domainSize + 1, L'\0');
  if (!::LookupAccountSidW(nullptr, sid, name.data(), &nameSize, domain.data(), &domainSize,
                           &use)) {
    return {};
  }
  name.resize(nameSize);
  domain.resize(domainSize);
  return domain.empty() ? name : domain + L"\\" + name;
}

bool RunsAsSystemAccount() {
  const std::vector<unsigned char> user = OwnTokenUser();
  return !user.empty() &&
         ::IsWellKnownSid(reinterpret_cast<const TOKEN_USER*>(user.data())->User.Sid,
                          WinLocalSystemSid);
}

[[noreturn]] void RaiseLastError() {
  const DWORD code = ::GetLastError();
  throw RunError{static_cast<int32_t>(code), SystemMessage(code)};
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
  const auto* data = static_cast<const unsigned char*>(loaded ? ::LockResource(loaded) : nullptr);
  return ParseVersionResource(data, ::SizeofResource(self, resource)).value_or(AppVersion{});
}

std::wstring Win32Platform::CommandLine() {
  const wchar_t* line = ::GetCommandLineW();
  return line != nullptr ? ArgumentsAfterProgramName(line) : std::wstring();
}

ProcessIdentity Win32Platform::Identity() {
  return {ComputerName(), AccountName(), ::GetCurrentProcessId()};
}

bool Win32Platform::RunsElevated() {
  UniqueHandle token;
  if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, token.put())) {
    RaiseLastError();
  }
  TOKEN_ELEVATION elevation{};
  DWORD size = 0;
  if (::GetTokenInformation(token.get(), TokenElevation, &elevation, sizeof(elevation), &size)) {
    return elevation.TokenIsElevated != 0;
  }
  if (::GetLastError() != ERROR_INVALID_PARAMETER) {
    RaiseLastError();
  }
  // Windows XP knows no elevation: there an administrator's token has every right of the group.
  unsigned char sid[SECURITY_MAX_SID_SIZE];
  DWORD sidSize = sizeof(sid);
  BOOL member = FALSE;
  if (!::CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, sid, &sidSize) ||
      !::CheckTokenMembership(nullptr, sid, &member)) {
    RaiseLastError();
  }
  return member != FALSE;
}

std::wstring Win32Platform::SystemTempFolder() {
  // For any other account GetTempPath2 answers what GetTempPath does: the TEMP the user sets.
  using GetTempPath2Fn = DWORD(WINAPI*)(DWORD, LPWSTR);
  const auto getTempPath2 =
      ProcAddress<GetTempPath2Fn>(::GetModuleHandleW(L"kernel32.dll"), "GetTempPath2W");
  if (getTempPath2 == nullptr || !RunsAsSystemAccount()) {
    return {};
  }
  std::wstring folder(MAX_PATH + 1, L'\0');
  const DWORD length = getTempPath2(static_cast<DWORD>(folder.size()), folder.data());
  return WrittenFolder(std::move(folder), length);
}

}  // namespace vtr::win32
