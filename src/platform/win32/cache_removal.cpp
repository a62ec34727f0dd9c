// Removing files and folder trees of the cache: each item opened as itself and deleted through
// its handle, so a link goes as a link and what it points to is never touched.
#include <windows.h>

#include <vector>

#include "platform/win32/folder_chain.h"
#include "platform/win32/win32_platform.h"

namespace vtr::win32 {
namespace {

constexpr DWORD kDeleteAccess = DELETE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES;

bool IsRealFolder(DWORD attributes) {
  return (attributes & FILE_ATTRIBUTE_DIRECTORY) && !(attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

// Marks an opened item for deletion (it goes when the handle closes), its read-only attribute
// cleared first.
void DeleteOpened(HANDLE item, const std::wstring& path, DWORD attributes) {
  if (attributes & FILE_ATTRIBUTE_READONLY) {
    FILE_BASIC_INFO basic{};
    if (::GetFileInformationByHandleEx(item, FileBasicInfo, &basic, sizeof(basic))) {
      // Zero times leave the times as they are; zero attributes would too, hence NORMAL.
      basic.FileAttributes &= ~static_cast<DWORD>(
          FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT);
      if (basic.FileAttributes == 0) {
        basic.FileAttributes = FILE_ATTRIBUTE_NORMAL;
      }
      ::SetFileInformationByHandle(item, FileBasicInfo, &basic, sizeof(basic));
    }
  }
  FILE_DISPOSITION_INFO disposition{};
  disposition.DeleteFile = TRUE;
  if (!::SetFileInformationByHandle(item, FileDispositionInfo, &disposition, sizeof(disposition))) {
    throw FileError(::GetLastError(), path + L" could not be deleted");
  }
}

// The names in a folder, "." and ".." left out, read through a handle of the folder itself
// (a search by name would be refused: the folder is open for deleting, and a search does not
// share that).
std::vector<std::wstring> NamesIn(const std::wstring& folder) {
  const auto listError = [&folder](DWORD code) {
    return FileError(code, L"the folder " + folder + L" could not be listed");
  };
  UniqueFileHandle listing = OpenItself(folder, FILE_LIST_DIRECTORY,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE);
  if (!listing) {
    throw listError(::GetLastError());
  }
  std::vector<std::wstring> names;
  // FILE_ID_BOTH_DIR_INFO entries are 8-byte aligned.
  std::vector<LONGLONG> buffer(8192);
  const auto bytes = static_cast<DWORD>(buffer.size() * sizeof(LONGLONG));
  for (auto kind = FileIdBothDirectoryRestartInfo;; kind = FileIdBothDirectoryInfo) {
    if (!::GetFileInformationByHandleEx(listing.get(), kind, buffer.data(), bytes)) {
      const DWORD code = ::GetLastError();
      if (code == ERROR_NO_MORE_FILES) {
        return names;
      }
      throw listError(code);
    }
    const auto* entry = reinterpret_cast<const unsigned char*>(buffer.data());
    for (;;) {
      const auto* info = reinterpret_cast<const FILE_ID_BOTH_DIR_INFO*>(entry);
      const std::wstring name(info->FileName, info->FileNameLength / sizeof(wchar_t));
      if (name != L"." && name != L"..") {
        names.push_back(name);
      }
      if (info->NextEntryOffset == 0) {
        break;
      }
      entry += info->NextEntryOffset;
    }
  }
}

// Removes what the path names: a file or a link at once, a folder after everything in it.
// The folder stays open (and so cannot be renamed or replaced) while it is emptied.
void RemoveItem(const std::wstring& path) {
  UniqueFileHandle item = OpenItself(path, kDeleteAccess, kHeldShare);
  if (!item) {
    const DWORD code = ::GetLastError();
    if (NotThere(code)) {
      return;
    }
    throw FileError(code, path + L" could not be opened to delete it");
  }
  const DWORD attributes = OpenedAttributes(item.get(), path);
  if (IsRealFolder(attributes)) {
    for (const std::wstring& name : NamesIn(path)) {
      RemoveItem(path + L"\\" + name);
    }
  }
  DeleteOpened(item.get(), path, attributes);
}

}  // namespace

void Win32Platform::RemoveFile(const std::wstring& path) {
  UniqueFileHandle item =
      OpenItself(path, kDeleteAccess, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE);
  if (!item) {
    const DWORD code = ::GetLastError();
    if (NotThere(code)) {
      return;
    }
    throw FileError(code, L"the file " + path + L" could not be opened to delete it");
  }
  const DWORD attributes = OpenedAttributes(item.get(), path);
  if (IsRealFolder(attributes)) {
    throw RunError{75, path + L" is a folder, not a file"};
  }
  DeleteOpened(item.get(), path, attributes);
}

void Win32Platform::RemoveFolderTree(const std::wstring& path) {
  const FullPath parts = SplitFullPath(path);
  if (parts.names.empty()) {
    throw RunError{75, L"the path " + path + L" is the root of a drive or a share"};
  }
  RemoveItem(parts.Upto(parts.names.size()));
}

}  // namespace vtr::win32
