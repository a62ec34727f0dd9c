// The registry outside the settings store: HKEY_LOCAL_MACHINE in the machine's own view and
// HKEY_CURRENT_USER. A 32-bit program on 64-bit Windows would otherwise read and write the
// 32-bit view (HKLM\Software\Wow6432Node), which Windows' own 64-bit programs, Active Setup and
// reg.exe among them, never look at.
#include <algorithm>
#include <vector>

#include "platform/win32/stored_value.h"
#include "platform/win32/win32_platform.h"
#include "platform/win32/win32_strings.h"

namespace vtr::win32 {
namespace {

// KEY_WOW64_64KEY for a 32-bit program on 64-bit Windows; nothing elsewhere (a 64-bit program
// sees the 64-bit view anyway, and older 32-bit Windows knows no views).
REGSAM NativeView() {
  static const REGSAM view = [] {
    using IsWow64ProcessFn = BOOL(WINAPI*)(HANDLE, PBOOL);
    const auto isWow64 =
        ProcAddress<IsWow64ProcessFn>(::GetModuleHandleW(L"kernel32.dll"), "IsWow64Process");
    BOOL wow64 = FALSE;
    return isWow64 != nullptr && isWow64(::GetCurrentProcess(), &wow64) && wow64
               ? static_cast<REGSAM>(KEY_WOW64_64KEY)
               : static_cast<REGSAM>(0);
  }();
  return view;
}

HKEY Root(RegistryHive hive) {
  return hive == RegistryHive::Machine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
}

RunError RegistryError(LONG status, const wchar_t* doing, RegistryHive hive,
                       const std::wstring& key) {
  std::wstring description =
      std::wstring(L"Unable to ") + doing + L" " +
      (hive == RegistryHive::Machine ? L"HKEY_LOCAL_MACHINE\\" : L"HKEY_CURRENT_USER\\") + key;
  const std::wstring reason = SystemMessage(static_cast<DWORD>(status));
  if (!reason.empty()) {
    description += L": " + reason;
  }
  return {static_cast<int32_t>(status), description};
}

// RegDeleteKeyEx names the view; Windows XP (32-bit, without views) has only RegDeleteKey.
LONG DeleteOneKey(HKEY root, const std::wstring& key) {
  using RegDeleteKeyExFn = LONG(WINAPI*)(HKEY, LPCWSTR, REGSAM, DWORD);
  static const auto deleteKeyEx =
      ProcAddress<RegDeleteKeyExFn>(::GetModuleHandleW(L"advapi32.dll"), "RegDeleteKeyExW");
  const LONG status = deleteKeyEx != nullptr ? deleteKeyEx(root, key.c_str(), NativeView(), 0)
                                             : ::RegDeleteKeyW(root, key.c_str());
  return status == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : status;
}

// The keys below first, then the key itself.
LONG DeleteTree(HKEY root, const std::wstring& key) {
  UniqueRegKey opened;
  LONG status =
      ::RegOpenKeyExW(root, key.c_str(), 0, KEY_ENUMERATE_SUB_KEYS | NativeView(), opened.put());
  if (status == ERROR_FILE_NOT_FOUND) {
    return ERROR_SUCCESS;
  }
  if (status != ERROR_SUCCESS) {
    return status;
  }
  for (;;) {
    wchar_t name[256];  // a key's name holds at most 255 characters
    DWORD size = 256;
    status = ::RegEnumKeyExW(opened.get(), 0, name, &size, nullptr, nullptr, nullptr, nullptr);
    if (status == ERROR_NO_MORE_ITEMS) {
      break;
    }
    if (status != ERROR_SUCCESS) {
      return status;
    }
    status = DeleteTree(root, key + L"\\" + std::wstring(name, size));
    if (status != ERROR_SUCCESS) {
      return status;
    }
  }
  opened.reset();
  return DeleteOneKey(root, key);
}

}  // namespace

std::optional<RegistryValue> Win32Platform::GetRegistryValue(RegistryHive hive,
                                                             const std::wstring& key,
                                                             const std::wstring& name) {
  UniqueRegKey opened;
  LONG status =
      ::RegOpenKeyExW(Root(hive), key.c_str(), 0, KEY_QUERY_VALUE | NativeView(), opened.put());
  if (status == ERROR_FILE_NOT_FOUND) {
    return std::nullopt;
  }
  if (status != ERROR_SUCCESS) {
    throw RegistryError(status, L"read", hive, key);
  }
  StoredValue value;
  status = ReadStoredValue(opened.get(), name, value);
  if (status == ERROR_FILE_NOT_FOUND) {
    return std::nullopt;
  }
  if (status != ERROR_SUCCESS) {
    throw RegistryError(status, L"read", hive, key);
  }
  if (value.type == REG_SZ || value.type == REG_EXPAND_SZ) {
    return StoredText(value);
  }
  if (value.type == REG_DWORD && value.data.size() == sizeof(DWORD)) {
    DWORD number = 0;
    std::copy_n(value.data.data(), sizeof(number), reinterpret_cast<BYTE*>(&number));
    return static_cast<uint32_t>(number);
  }
  return std::nullopt;
}

void Win32Platform::SetRegistryValue(RegistryHive hive, const std::wstring& key,
                                     const std::wstring& name, const RegistryValue& value) {
  UniqueRegKey opened;
  LONG status = ::RegCreateKeyExW(Root(hive), key.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                  KEY_SET_VALUE | NativeView(), nullptr, opened.put(), nullptr);
  if (status == ERROR_SUCCESS) {
    if (const auto* text = std::get_if<std::wstring>(&value)) {
      const DWORD size = static_cast<DWORD>((text->size() + 1) * sizeof(wchar_t));
      status = ::RegSetValueExW(opened.get(), name.c_str(), 0, REG_SZ,
                                reinterpret_cast<const BYTE*>(text->c_str()), size);
    } else {
      const DWORD number = std::get<uint32_t>(value);
      status = ::RegSetValueExW(opened.get(), name.c_str(), 0, REG_DWORD,
                                reinterpret_cast<const BYTE*>(&number), sizeof(number));
    }
  }
  if (status != ERROR_SUCCESS) {
    throw RegistryError(status, L"write", hive, key);
  }
}

void Win32Platform::DeleteRegistryValue(RegistryHive hive, const std::wstring& key,
                                        const std::wstring& name) {
  UniqueRegKey opened;
  LONG status =
      ::RegOpenKeyExW(Root(hive), key.c_str(), 0, KEY_SET_VALUE | NativeView(), opened.put());
  if (status == ERROR_FILE_NOT_FOUND) {
    return;  // no key, so no value
  }
  if (status == ERROR_SUCCESS) {
    status = ::RegDeleteValueW(opened.get(), name.c_str());
  }
  if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND) {
    throw RegistryError(status, L"write", hive, key);
  }
}

void Win32Platform::DeleteRegistryKey(RegistryHive hive, const std::wstring& key) {
  // An empty name would be the hive itself.
  if (key.empty()) {
    throw RunError{5, L"Invalid procedure call or argument"};
  }
  const LONG status = DeleteTree(Root(hive), key);
  if (status != ERROR_SUCCESS) {
    throw RegistryError(status, L"remove", hive, key);
  }
}

bool Win32Platform::CanWriteRegistryKey(RegistryHive hive, const std::wstring& key) {
  std::wstring nearest = key;
  for (;;) {
    UniqueRegKey opened;
    const LONG status =
        ::RegOpenKeyExW(Root(hive), nearest.c_str(), 0,
                        KEY_SET_VALUE | KEY_CREATE_SUB_KEY | NativeView(), opened.put());
    if (status == ERROR_SUCCESS) {
      return true;
    }
    if (status != ERROR_FILE_NOT_FOUND || nearest.empty()) {
      return false;
    }
    const std::size_t cut = nearest.find_last_of(L'\\');
    nearest = cut == std::wstring::npos ? std::wstring() : nearest.substr(0, cut);
  }
}

}  // namespace vtr::win32
