#include "json_line.h"

#include <windows.h>

#include <cwchar>

namespace vtrdrive {

std::wstring JsonString(const std::wstring& text) {
  std::wstring out = L"\"";
  for (wchar_t c : text) {
    switch (c) {
      case L'"':
        out += L"\\\"";
        break;
      case L'\\':
        out += L"\\\\";
        break;
      case L'\r':
        out += L"\\r";
        break;
      case L'\n':
        out += L"\\n";
        break;
      case L'\t':
        out += L"\\t";
        break;
      case L'\b':
        out += L"\\b";
        break;
      case L'\f':
        out += L"\\f";
        break;
      default:
        if (c < 0x20 || c == 0x7f) {
          wchar_t escaped[8];
          std::swprintf(escaped, 8, L"\\u%04x", static_cast<unsigned>(c));
          out += escaped;
        } else {
          out += c;
        }
    }
  }
  out += L'"';
  return out;
}

std::string Utf8(const std::wstring& text) {
  if (text.empty()) {
    return {};
  }
  const int size = static_cast<int>(text.size());
  const int bytes =
      WideCharToMultiByte(CP_UTF8, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(bytes), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), size, out.data(), bytes, nullptr, nullptr);
  return out;
}

void JsonLine::Key(const char* key) {
  std::wstring name;
  for (const char* k = key; *k != '\0'; ++k) {
    name += static_cast<wchar_t>(*k);
  }
  body_ += body_.empty() ? L"{" : L", ";
  body_ += JsonString(name) + L": ";
}

JsonLine& JsonLine::Add(const char* key, const std::wstring& value) {
  Key(key);
  body_ += JsonString(value);
  return *this;
}

JsonLine& JsonLine::Add(const char* key, int64_t value) {
  Key(key);
  body_ += std::to_wstring(value);
  return *this;
}

JsonLine& JsonLine::Add(const char* key, bool value) {
  Key(key);
  body_ += value ? L"true" : L"false";
  return *this;
}

JsonLine& JsonLine::Add(const char* key, const std::vector<std::wstring>& values) {
  Key(key);
  body_ += L"[";
  for (size_t i = 0; i < values.size(); ++i) {
    body_ += (i == 0 ? L"" : L", ") + JsonString(values[i]);
  }
  body_ += L"]";
  return *this;
}

JsonLine& JsonLine::Add(const char* key, const std::vector<int64_t>& values) {
  Key(key);
  body_ += L"[";
  for (size_t i = 0; i < values.size(); ++i) {
    body_ += (i == 0 ? L"" : L", ") + std::to_wstring(values[i]);
  }
  body_ += L"]";
  return *this;
}

JsonLine& JsonLine::Add(const char* key, const JsonLine& object) {
  Key(key);
  body_ += object.Text();
  return *this;
}

std::wstring JsonLine::Text() const {
  return (body_.empty() ? L"{" : body_) + L"}";
}

void JsonLine::Write() const {
  const std::string line = Utf8(Text()) + "\n";
  HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
  DWORD written = 0;
  WriteFile(out, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}

}  // namespace vtrdrive
