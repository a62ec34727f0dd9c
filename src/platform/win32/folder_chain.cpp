// Full paths cut into names, folders opened without following links and held down a path, and
// file errors worded with Windows' own text.
#include "platform/win32/folder_chain.h"

#include "platform/win32/win32_strings.h"

namespace vtr::win32 {
namespace {

RunError NotAFolderError(const std::wstring& path) {
  return {75, L"a file stands where the folder " + path + L" would be"};
}

}  // namespace

RunError LinkError(const std::wstring& path) {
  return {75, L"the folder " + path +
                  L" is a link or a junction (a reparse point); setup does not follow one there"};
}

RunError FileError(DWORD code, const std::wstring& what) {
  int32_t number = 75;
  switch (code) {
    case ERROR_FILE_NOT_FOUND:
      number = 53;
      break;
    case ERROR_PATH_NOT_FOUND:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
      number = 76;
      break;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_WRITE_PROTECT:
      number = 70;
      break;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      number = 61;
      break;
    default:
      break;
  }
  std::wstring reason = SystemMessage(code);
  if (reason.empty()) {
    reason = L"Windows error " + std::to_wstring(code);
  }
  return {number, what + L": " + reason};
}

std::wstring FullPath::Upto(std::size_t count) const {
  std::wstring path = root;
  for (std::size_t i = 0; i < count && i < names.size(); ++i) {
    if (i > 0) {
      path += L'\\';
    }
    path += names[i];
  }
  if (count == 0 && path.size() > 3) {
    path.pop_back();  // a share's root without its closing separator
  }
  return path;
}

FullPath SplitFullPath(const std::wstring& path) {
  std::wstring text = path;
  for (wchar_t& c : text) {
    if (c == L'/') {
      c = L'\\';
    }
  }
  const RunError notFull{76, L"the path " + path + L" is not a full path to a folder or file"};
  FullPath parts;
  std::size_t rest = 0;
  if (text.size() >= 3 && text[1] == L':' && text[2] == L'\\' &&
      ((text[0] >= L'A' && text[0] <= L'Z') || (text[0] >= L'a' && text[0] <= L'z'))) {
    parts.root = text.substr(0, 3);
    rest = 3;
  } else if (text.rfind(L"\\\\", 0) == 0 && text.size() > 2 && text[2] != L'?' && text[2] != L'.') {
    // \\server\share\ is the root of a path on a share.
    const std::size_t server = text.find(L'\\', 2);
    if (server == std::wstring::npos || server == 2) {
      throw notFull;
    }
    std::size_t share = text.find(L'\\', server + 1);
    if (share == std::wstring::npos) {
      share = text.size();
    }
    if (share == server + 1) {
      throw notFull;
    }
    parts.root = text.substr(0, share) + L'\\';
    rest = share + 1;
  } else {
    throw notFull;
  }
  while (rest < text.size()) {
    std::size_t end = text.find(L'\\', rest);
    if (end == std::wstring::npos) {
      end = text.size();
    }
    std::wstring name = text.substr(rest, end - rest);
    if (name == L"." || name == L"..") {
      throw notFull;
    }
    if (!name.empty()) {
      parts.names.push_back(std::move(name));
    }
    rest = end + 1;
  }
  return parts;
}

DWORD OpenedAttributes(HANDLE opened, const std::wstring& path) {
  FILE_ATTRIBUTE_TAG_INFO tag{};
  if (!::GetFileInformationByHandleEx(opened, FileAttributeTagInfo, &tag, sizeof(tag))) {
    throw FileError(::GetLastError(), L"setup could not tell whether " + path + L" is a link");
  }
  const DWORD named = ::GetFileAttributesW(path.c_str());
  if (named != INVALID_FILE_ATTRIBUTES) {
    tag.FileAttributes |= named & FILE_ATTRIBUTE_REPARSE_POINT;
  }
  return tag.FileAttributes;
}

UniqueFileHandle OpenItself(const std::wstring& path, DWORD access, DWORD share) {
  return UniqueFileHandle(
      ::CreateFileW(path.c_str(), access | SYNCHRONIZE, share, nullptr, OPEN_EXISTING,
                    FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
}

FolderChain::FolderChain(const std::wstring& path) : path_(SplitFullPath(path)) {
  while (!Complete() && Hold(held_.size())) {
  }
}

bool FolderChain::Hold(std::size_t index) {
  const std::wstring path = path_.Upto(index + 1);
  UniqueFileHandle folder = OpenItself(path, FILE_READ_ATTRIBUTES, kHeldShare);
  if (!folder) {
    const DWORD code = ::GetLastError();
    if (NotThere(code)) {
      return false;
    }
    throw FileError(code, L"the folder " + path + L" could not be opened");
  }
  const DWORD attributes = OpenedAttributes(folder.get(), path);
  if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
    throw LinkError(path);
  }
  if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    throw NotAFolderError(path);
  }
  held_.push_back(std::move(folder));
  return true;
}

bool FolderChain::MakeNext(SECURITY_ATTRIBUTES& security) {
  const std::size_t index = held_.size();
  const std::wstring path = path_.Upto(index + 1);
  bool made = true;
  if (!::CreateDirectoryW(path.c_str(), &security)) {
    const DWORD code = ::GetLastError();
    if (code != ERROR_ALREADY_EXISTS) {
      throw FileError(code, L"the folder " + path + L" could not be made");
    }
    made = false;
  }
  // Opened by name again: what stands there now is checked, whoever made it.
  if (!Hold(index)) {
    throw FileError(ERROR_PATH_NOT_FOUND, L"the folder " + path + L" went away as it was made");
  }
  return made;
}

}  // namespace vtr::win32
