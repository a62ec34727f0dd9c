// Reading the module path, the system folder and error messages with a buffer that grows.
#include "platform/win32/win32_strings.h"

#include <vector>

#include "platform/win32/unique_resources.h"

namespace vtr::win32 {

std::wstring ModulePath(HMODULE module) {
  // GetModuleFileName truncates silently and says so only by filling the whole buffer.
  std::vector<wchar_t> buffer(MAX_PATH);
  for (;;) {
    const DWORD size = static_cast<DWORD>(buffer.size());
    const DWORD written = ::GetModuleFileNameW(module, buffer.data(), size);
    if (written == 0) {
      return {};
    }
    if (written < size) {
      return std::wstring(buffer.data(), written);
    }
    if (buffer.size() >= 32768) {
      return {};
    }
    buffer.resize(buffer.size() * 2);
  }
}

std::wstring SystemDirectory() {
  std::vector<wchar_t> buffer(MAX_PATH);
  for (;;) {
    const UINT size = static_cast<UINT>(buffer.size());
    const UINT result = ::GetSystemDirectoryW(buffer.data(), size);
    if (result == 0) {
      return {};
    }
    if (result < size) {
      return std::wstring(buffer.data(), result);
    }
    // Too small: the result is the size needed, terminating NUL included.
    buffer.resize(result);
  }
}

std::wstring SystemMessage(DWORD code) {
  wchar_t* text = nullptr;
  const DWORD length = ::FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  UniqueLocalMemory owner(text);
  if (length == 0 || text == nullptr) {
    return {};
  }
  std::wstring message(text, length);
  while (!message.empty() &&
         (message.back() == L'\r' || message.back() == L'\n' || message.back() == L' ')) {
    message.pop_back();
  }
  return message;
}

std::wstring WrittenFolder(std::wstring buffer, DWORD length) {
  if (length == 0 || length >= buffer.size()) {
    return {};
  }
  buffer.resize(length);
  while (buffer.size() > 3 && (buffer.back() == L'\\' || buffer.back() == L'/')) {
    buffer.pop_back();
  }
  return buffer;
}

}  // namespace vtr::win32
