// Finding, making, creating and moving files and folders.
#include "platform/win32/text_rules.h"
#include "platform/win32/win32_platform.h"
#include "platform/win32/win32_strings.h"

namespace vtr::win32 {
namespace {

constexpr int32_t kPathFileAccessNumber = 75;
constexpr wchar_t kPathFileAccessText[] = L"Path/File access error";
constexpr int32_t kPathNotFoundNumber = 76;
constexpr wchar_t kPathNotFoundText[] = L"Path not found";

RunError PathFileAccessError() {
  return {kPathFileAccessNumber, kPathFileAccessText};
}
RunError PathNotFoundError() {
  return {kPathNotFoundNumber, kPathNotFoundText};
}
RunError PermissionDeniedError() {
  return {70, L"Permission denied"};
}

}  // namespace

std::wstring Win32Platform::FindFirst(const std::wstring& pathOrPattern, int attributes) {
  // A new search ends the last one, finished or not.
  search_.reset();
  searchMask_ = attributes;
  if (pathOrPattern.empty()) {
    return {};
  }
  WIN32_FIND_DATAW entry{};
  search_.reset(::FindFirstFileW(SearchPattern(pathOrPattern).c_str(), &entry));
  if (!search_) {
    return {};
  }
  return NextMatch(entry);
}

std::wstring Win32Platform::FindNext() {
  if (!search_) {
    return {};
  }
  WIN32_FIND_DATAW entry{};
  if (!::FindNextFileW(search_.get(), &entry)) {
    search_.reset();
    return {};
  }
  return NextMatch(entry);
}

std::wstring Win32Platform::NextMatch(WIN32_FIND_DATAW& entry) {
  // entry holds a candidate already found; walk on until one passes the mask.
  for (;;) {
    if (EntryMatchesMask(entry.dwFileAttributes, searchMask_)) {
      return entry.cFileName;
    }
    if (!::FindNextFileW(search_.get(), &entry)) {
      search_.reset();
      return {};
    }
  }
}

void Win32Platform::MakeFolder(const std::wstring& path) {
  if (::CreateDirectoryW(path.c_str(), nullptr)) {
    return;
  }
  const DWORD error = ::GetLastError();
  // A missing parent says "path not found"; an existing folder, a file in the way, a
  // read-only medium or a refusal all say the folder could not be made there.
  if (error == ERROR_PATH_NOT_FOUND) {
    throw PathNotFoundError();
  }
  throw PathFileAccessError();
}

void Win32Platform::CreateEmptyFile(const std::wstring& path) {
  UniqueFileHandle file(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
  if (file) {
    return;
  }
  switch (::GetLastError()) {
    case ERROR_PATH_NOT_FOUND:
      throw PathNotFoundError();
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
      // Another program holds the file open.
      throw PermissionDeniedError();
    default:
      throw PathFileAccessError();
  }
}

bool Win32Platform::MoveFileTo(const std::wstring& existingPath, const std::wstring& newPath) {
  return ::MoveFileW(existingPath.c_str(), newPath.c_str()) != FALSE;
}

void Win32Platform::DeleteAtRestart(const std::wstring& path) {
  if (::MoveFileExW(path.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT) == FALSE) {
    const DWORD code = ::GetLastError();
    throw RunError{static_cast<int32_t>(code), SystemMessage(code)};
  }
}

void Win32Platform::SetCurrentFolder(const std::wstring& path) {
  if (::SetCurrentDirectoryW(path.c_str()) == FALSE) {
    const DWORD code = ::GetLastError();
    throw RunError{static_cast<int32_t>(code), SystemMessage(code)};
  }
}

}  // namespace vtr::win32
