// Folders only administrators may change, made or set again with the protected access list,
// and what the cache asks of a path first: whether a link is on it, a file's size, a folder's.
#include <windows.h>

#include <sddl.h>

#include <vector>

#include "platform/win32/folder_chain.h"
#include "platform/win32/win32_platform.h"

namespace vtr::win32 {
namespace {

// The system account and Administrators full control, Users read and execute, each inherited
// by everything made inside; the list is protected, so nothing is inherited from above.
constexpr wchar_t kFolderAccess[] = L"D:PAI(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)";
constexpr wchar_t kAdministratorsOwner[] = L"O:BA";

// A security descriptor written in Windows' descriptor language (SDDL).
class SecurityDescriptor {
 public:
  explicit SecurityDescriptor(const wchar_t* text) {
    PSECURITY_DESCRIPTOR made = nullptr;
    if (!::ConvertStringSecurityDescriptorToSecurityDescriptorW(text, SDDL_REVISION_1, &made,
                                                                nullptr)) {
      throw FileError(::GetLastError(), L"the access list of setup's folders could not be built");
    }
    memory_.reset(made);
  }
  PSECURITY_DESCRIPTOR get() const { return memory_.get(); }

 private:
  UniqueLocalMemory memory_;
};

// The privileges an administrator holds to take over a folder whoever owns it and whatever its
// access list says (restoring files, taking ownership), enabled for this thread only while the
// object lives; the process's own token is left as it is. Where the account lacks them nothing
// is enabled, and the folder is taken as far as its access list allows.
class OwnershipPrivileges {
 public:
  OwnershipPrivileges() {
    if (!::ImpersonateSelf(SecurityImpersonation)) {
      return;
    }
    impersonating_ = true;
    UniqueHandle token;
    if (!::OpenThreadToken(::GetCurrentThread(), TOKEN_ADJUST_PRIVILEGES, FALSE, token.put())) {
      return;
    }
    for (const wchar_t* name : {SE_RESTORE_NAME, SE_TAKE_OWNERSHIP_NAME}) {
      TOKEN_PRIVILEGES privilege{};
      privilege.PrivilegeCount = 1;
      privilege.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
      if (::LookupPrivilegeValueW(nullptr, name, &privilege.Privileges[0].Luid)) {
        ::AdjustTokenPrivileges(token.get(), FALSE, &privilege, sizeof(privilege), nullptr,
                                nullptr);
      }
    }
  }
  ~OwnershipPrivileges() {
    if (impersonating_) {
      ::RevertToSelf();
    }
  }
  OwnershipPrivileges(const OwnershipPrivileges&) = delete;
  OwnershipPrivileges& operator=(const OwnershipPrivileges&) = delete;

 private:
  bool impersonating_ = false;
};

// Whether the folder belongs to the system account or to Administrators.
bool TrustedOwner(HANDLE folder, const std::wstring& path) {
  DWORD needed = 0;
  ::GetKernelObjectSecurity(folder, OWNER_SECURITY_INFORMATION, nullptr, 0, &needed);
  std::vector<BYTE> descriptor(needed);
  PSID owner = nullptr;
  BOOL defaulted = FALSE;
  if (needed == 0 ||
      !::GetKernelObjectSecurity(folder, OWNER_SECURITY_INFORMATION, descriptor.data(), needed,
                                 &needed) ||
      !::GetSecurityDescriptorOwner(descriptor.data(), &owner, &defaulted)) {
    throw FileError(::GetLastError(), L"the owner of the folder " + path + L" could not be read");
  }
  return owner != nullptr && (::IsWellKnownSid(owner, WinLocalSystemSid) ||
                              ::IsWellKnownSid(owner, WinBuiltinAdministratorsSid));
}

// Sets the protected access list again on a folder that was there already, and gives it to
// Administrators when someone else owns it: whoever made it first keeps no say over it.
void ProtectExisting(const std::wstring& path, const SecurityDescriptor& access) {
  const OwnershipPrivileges privileges;
  UniqueFileHandle folder =
      OpenItself(path, READ_CONTROL | WRITE_DAC | WRITE_OWNER | FILE_READ_ATTRIBUTES, kHeldShare);
  if (!folder) {
    throw FileError(::GetLastError(),
                    L"the folder " + path + L" could not be opened to set its access list");
  }
  const DWORD attributes = OpenedAttributes(folder.get(), path);
  if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
    throw LinkError(path);
  }
  if (!TrustedOwner(folder.get(), path)) {
    const SecurityDescriptor owner(kAdministratorsOwner);
    if (!::SetKernelObjectSecurity(folder.get(), OWNER_SECURITY_INFORMATION, owner.get())) {
      throw FileError(::GetLastError(),
                      L"the folder " + path + L" could not be given to Administrators");
    }
  }
  if (!::SetKernelObjectSecurity(folder.get(), DACL_SECURITY_INFORMATION, access.get())) {
    throw FileError(::GetLastError(),
                    L"the access list of the folder " + path + L" could not be set");
  }
}

}  // namespace

void Win32Platform::MakeProtectedFolder(const std::wstring& path) {
  FolderChain chain(path);
  if (chain.Depth() == 0) {
    throw RunError{75, L"the path " + path + L" is the root of a drive or a share, not a folder"};
  }
  const SecurityDescriptor access(kFolderAccess);
  SECURITY_ATTRIBUTES security{sizeof(security), access.get(), FALSE};
  bool madeLast = false;
  while (!chain.Complete()) {
    madeLast = chain.MakeNext(security);
  }
  // The folders above stay held while the last one is set, so none is swapped meanwhile.
  if (!madeLast) {
    ProtectExisting(chain.LastPath(), access);
  }
}

bool Win32Platform::PathHasLink(const std::wstring& path) {
  const FullPath parts = SplitFullPath(path);
  for (std::size_t count = 1; count <= parts.names.size(); ++count) {
    const std::wstring here = parts.Upto(count);
    // The attributes of the name itself: Windows does not follow a link for them.
    const DWORD attributes = ::GetFileAttributesW(here.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
      const DWORD code = ::GetLastError();
      if (NotThere(code)) {
        return false;  // nothing below a missing name exists, links included
      }
      throw FileError(code, L"setup could not tell whether " + here + L" is a link");
    }
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
      return true;
    }
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
      return false;  // a file: nothing is below it
    }
  }
  return false;
}

std::optional<uint64_t> Win32Platform::FileSize(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data) ||
      (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
    return std::nullopt;
  }
  return (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

std::optional<uint64_t> Win32Platform::FolderSize(const std::wstring& folder) {
  const DWORD top = ::GetFileAttributesW(folder.c_str());
  if (top == INVALID_FILE_ATTRIBUTES || !(top & FILE_ATTRIBUTE_DIRECTORY)) {
    return std::nullopt;
  }
  uint64_t bytes = 0;
  std::vector<std::wstring> pending{folder};
  while (!pending.empty()) {
    const std::wstring current = std::move(pending.back());
    pending.pop_back();
    WIN32_FIND_DATAW entry{};
    // The plain search: the faster variants of FindFirstFileEx are unknown before Windows 7.
    UniqueFindHandle search(::FindFirstFileW((current + L"\\*").c_str(), &entry));
    if (!search) {
      return std::nullopt;
    }
    do {
      const std::wstring name = entry.cFileName;
      if (name == L"." || name == L".." ||
          (entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        continue;  // a link or junction is neither followed nor counted
      }
      if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        pending.push_back(current + L"\\" + name);
      } else {
        bytes += (static_cast<uint64_t>(entry.nFileSizeHigh) << 32) | entry.nFileSizeLow;
      }
    } while (::FindNextFileW(search.get(), &entry));
    if (::GetLastError() != ERROR_NO_MORE_FILES) {
      return std::nullopt;
    }
  }
  return bytes;
}

}  // namespace vtr::win32
