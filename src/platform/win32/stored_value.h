// Reading one registry value as Windows stores it, shared by the settings store and the
// registry outside it.
#pragma once

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

namespace vtr::win32 {

// A value's type and the bytes stored for it.
struct StoredValue {
  DWORD type = 0;
  std::vector<BYTE> data;
};

// Reads a value of an open key; returns the status of RegQueryValueEx (ERROR_SUCCESS when the
// value was read). The value may change size between asking and reading: it asks again until
// the value fits.
inline LONG ReadStoredValue(HKEY key, const std::wstring& name, StoredValue& value) {
  value.data.resize(256);
  for (;;) {
    DWORD size = static_cast<DWORD>(value.data.size());
    const LONG status =
        ::RegQueryValueExW(key, name.c_str(), nullptr, &value.type, value.data.data(), &size);
    if (status == ERROR_MORE_DATA) {
      value.data.resize(size + sizeof(wchar_t));
      continue;
    }
    value.data.resize(status == ERROR_SUCCESS ? size : 0);
    return status;
  }
}

// The text of a string value as stored: up to its first NUL, if it has one.
inline std::wstring StoredText(const StoredValue& value) {
  std::wstring text(value.data.size() / sizeof(wchar_t), L'\0');
  std::copy_n(value.data.data(), text.size() * sizeof(wchar_t),
              reinterpret_cast<BYTE*>(text.data()));
  const size_t nul = text.find(L'\0');
  if (nul != std::wstring::npos) {
    text.resize(nul);
  }
  return text;
}

}  // namespace vtr::win32
