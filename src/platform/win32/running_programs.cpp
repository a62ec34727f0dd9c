// Whether a program file is running: each process's image read through a process snapshot.
#include <windows.h>
// After windows.h, which it needs.
#include <tlhelp32.h>

#include <string>

#include "platform/win32/unique_resources.h"
#include "platform/win32/win32_platform.h"
#include "platform/win32/win32_strings.h"

namespace vtr::win32 {
namespace {

// The longest path Windows hands out.
constexpr DWORD kLongestPath = 32768;

// The path as Windows names the file: made whole ("/" read as "\", "." and ".." resolved) and in
// its long form where the file is there, so a short (8.3) name matches the running image's.
std::wstring WindowsName(const std::wstring& path) {
  std::wstring full(MAX_PATH, L'\0');
  DWORD length =
      ::GetFullPathNameW(path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
  if (length >= full.size()) {
    full.resize(length);
    length =
        ::GetFullPathNameW(path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
  }
  if (length == 0 || length >= full.size()) {
    return path;
  }
  full.resize(length);
  std::wstring longName(MAX_PATH, L'\0');
  length = ::GetLongPathNameW(full.c_str(), longName.data(), static_cast<DWORD>(longName.size()));
  if (length >= longName.size()) {
    longName.resize(length);
    length = ::GetLongPathNameW(full.c_str(), longName.data(), static_cast<DWORD>(longName.size()));
  }
  if (length == 0 || length >= longName.size()) {
    return full;  // not there, or not to be asked: the full path is what a process would show
  }
  longName.resize(length);
  return longName;
}

// The full path of the program a process runs, in the form Windows gives (drive letters, not
// device names), for 32-bit and 64-bit processes alike; "" when it cannot be read.
std::wstring ImageOf(HANDLE process) {
  for (DWORD size = MAX_PATH;; size *= 2) {
    std::wstring image(size, L'\0');
    DWORD length = size;
    if (::QueryFullProcessImageNameW(process, 0, image.data(), &length)) {
      image.resize(length);
      return image;
    }
    if (::GetLastError() != ERROR_INSUFFICIENT_BUFFER || size >= kLongestPath) {
      return L"";
    }
  }
}

}  // namespace

bool Win32Platform::ProgramRuns(const std::wstring& programPath) {
  const std::wstring wanted = WindowsName(programPath);
  const UniqueFileHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot) {
    const DWORD code = ::GetLastError();
    throw RunError{static_cast<int32_t>(code), SystemMessage(code)};
  }
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof(entry);
  for (BOOL more = ::Process32FirstW(snapshot.get(), &entry); more;
       more = ::Process32NextW(snapshot.get(), &entry)) {
    // The snapshot names only the file; the full path needs the process itself. One that this
    // account may not open (another user's, a protected one) is passed over.
    const UniqueHandle process(
        ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, entry.th32ProcessID));
    if (!process) {
      continue;
    }
    const std::wstring image = ImageOf(process.get());
    // As Windows compares file names: ordinal, ignoring case.
    if (!image.empty() &&
        ::CompareStringOrdinal(image.c_str(), -1, wanted.c_str(), -1, TRUE) == CSTR_EQUAL) {
      return true;
    }
  }
  return false;
}

}  // namespace vtr::win32
