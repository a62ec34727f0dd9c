// Who the program is, what it was started with, and who runs it where.
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

// "DOMAIN\user" of the account the process runs as (its token's user), "" when Windows
// cannot say.
std::wstring AccountName() {
  UniqueHandle token;
  if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, token.put())) {
    return {};
  }
  DWORD size = 0;
  ::GetTokenInformation(token.get(), TokenUser, nullptr, 0, &size);
  if (size == 0) {
    return {};
  }
  std::vector<unsigned char> buffer(size);
  if (!::GetTokenInformation(token.get(), TokenUser, buffer.data(), size, &size)) {
    return {};
  }
  PSID sid = reinterpret_cast<const TOKEN_USER*>(buffer.data())->User.Sid;
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

}  // namespace vtr::win32
