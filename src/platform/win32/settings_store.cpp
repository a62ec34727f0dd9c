// The per-user settings store, where the installed product reads it:
// HKEY_CURRENT_USER\Software\VB and VBA Program Settings\<application>\<section>, string values.
#include <algorithm>
#include <vector>

#include "platform/win32/stored_value.h"
#include "platform/win32/win32_platform.h"
#include "platform/win32/win32_strings.h"

namespace vtr::win32 {
namespace {

constexpr int32_t kInvalidCallNumber = 5;
constexpr wchar_t kInvalidCallText[] = L"Invalid procedure call or argument";

RunError SettingsError(LONG status) {
  std::wstring description = kInvalidCallText;
  const std::wstring reason = SystemMessage(static_cast<DWORD>(status));
  if (!reason.empty()) {
    description += L" (" + reason + L")";
  }
  return {kInvalidCallNumber, description};
}

// Empty names would address the key's default value or a parent key, not a setting.
void CheckNames(const std::wstring& application, const std::wstring& section,
                const std::wstring& key) {
  if (application.empty() || section.empty() || key.empty()) {
    throw RunError{kInvalidCallNumber, kInvalidCallText};
  }
}

std::wstring SectionKeyPath(const std::wstring& application, const std::wstring& section) {
  return L"Software\\VB and VBA Program Settings\\" + application + L"\\" + section;
}

}  // namespace

std::wstring Win32Platform::GetSetting(const std::wstring& application, const std::wstring& section,
                                       const std::wstring& key, const std::wstring& defaultValue) {
  CheckNames(application, section, key);
  UniqueRegKey sectionKey;
  LONG status = ::RegOpenKeyExW(HKEY_CURRENT_USER, SectionKeyPath(application, section).c_str(), 0,
                                KEY_QUERY_VALUE, sectionKey.put());
  if (status == ERROR_FILE_NOT_FOUND) {
    return defaultValue;
  }
  if (status != ERROR_SUCCESS) {
    throw SettingsError(status);
  }
  StoredValue value;
  status = ReadStoredValue(sectionKey.get(), key, value);
  if (status == ERROR_FILE_NOT_FOUND) {
    return defaultValue;
  }
  if (status != ERROR_SUCCESS) {
    throw SettingsError(status);
  }
  // A value someone stored with another type is no setting of ours.
  if (value.type != REG_SZ && value.type != REG_EXPAND_SZ) {
    return defaultValue;
  }
  return StoredText(value);
}

void Win32Platform::SaveSetting(const std::wstring& application, const std::wstring& section,
                                const std::wstring& key, const std::wstring& value) {
  CheckNames(application, section, key);
  UniqueRegKey sectionKey;
  LONG status =
      ::RegCreateKeyExW(HKEY_CURRENT_USER, SectionKeyPath(application, section).c_str(), 0, nullptr,
                        REG_OPTION_NON_VOLATILE, KEY_SET_VALUE, nullptr, sectionKey.put(), nullptr);
  if (status != ERROR_SUCCESS) {
    throw SettingsError(status);
  }
  const DWORD size = static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t));
  status = ::RegSetValueExW(sectionKey.get(), key.c_str(), 0, REG_SZ,
                            reinterpret_cast<const BYTE*>(value.c_str()), size);
  if (status != ERROR_SUCCESS) {
    throw SettingsError(status);
  }
}

void Win32Platform::DeleteSetting(const std::wstring& application, const std::wstring& section,
                                  const std::wstring& key) {
  CheckNames(application, section, key);
  UniqueRegKey sectionKey;
  LONG status = ::RegOpenKeyExW(HKEY_CURRENT_USER, SectionKeyPath(application, section).c_str(), 0,
                                KEY_SET_VALUE, sectionKey.put());
  if (status == ERROR_FILE_NOT_FOUND) {
    return;  // no section, so no setting
  }
  if (status == ERROR_SUCCESS) {
    status = ::RegDeleteValueW(sectionKey.get(), key.c_str());
  }
  if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND) {
    throw SettingsError(status);
  }
}

}  // namespace vtr::win32
