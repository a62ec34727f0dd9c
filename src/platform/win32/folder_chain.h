// The folders of a full path opened one by one from below its root, each checked not to be a
// link (a reparse point: symbolic link, junction, mount point) and held so that none can be
// renamed or swapped for a link while it is held; and the errors of file operations, worded.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "platform/run_error.h"
#include "platform/win32/unique_resources.h"

namespace vtr::win32 {

// What others may do with a folder or file this side holds: read it and, for a folder, make
// files in it; never delete, rename or replace it.
inline constexpr DWORD kHeldShare = FILE_SHARE_READ | FILE_SHARE_WRITE;

// Whether an error code says the file or a folder above it is not there.
inline bool NotThere(DWORD code) {
  return code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND;
}

// A failed file operation as a run-time error: a number by kind (53 not found, 76 path not
// found, 70 permission denied, 61 disk full, 75 otherwise) and a description that says what
// was being done to which path, then Windows' own words for the code.
RunError FileError(DWORD code, const std::wstring& what);

// The refusal of a folder on the way that is a link.
RunError LinkError(const std::wstring& path);

// A full path cut into its root ("C:\" or "\\server\share\") and the names below it. Raises
// for a path that is not full, or that holds "." or ".." (they would walk around the checks).
struct FullPath {
  std::wstring root;
  std::vector<std::wstring> names;

  // The path down to and with the first `count` names, without a closing separator.
  std::wstring Upto(std::size_t count) const;
};
FullPath SplitFullPath(const std::wstring& path);

// The attributes of what the handle is open on, with FILE_ATTRIBUTE_REPARSE_POINT also when the
// name it was opened by is one. Windows opens a link itself when asked with
// FILE_FLAG_OPEN_REPARSE_POINT, so the handle tells; Wine opens the target of a symbolic link
// whatever it is asked, and only the attributes of the name show the link there. Raises when
// neither can be read.
DWORD OpenedAttributes(HANDLE opened, const std::wstring& path);

// Opens a file or folder itself, never what a link points to (FILE_FLAG_OPEN_REPARSE_POINT;
// folders open too), sharing with others what `share` says (without FILE_SHARE_DELETE nobody
// may delete or rename it while the handle lives). Invalid when Windows refused;
// GetLastError() says why.
UniqueFileHandle OpenItself(const std::wstring& path, DWORD access, DWORD share);

// The existing folders of a path from below its root down, each opened, checked and held.
// Holding a folder denies others to delete, rename or replace it, so the path cannot be
// pointed elsewhere while the chain lives.
class FolderChain {
 public:
  // Holds nothing.
  FolderChain() = default;
  // Opens the folders of the path as far as they exist; raises, naming the folder, when one is
  // a link, a file, or cannot be opened.
  explicit FolderChain(const std::wstring& path);

  // How many folders the path names below its root.
  std::size_t Depth() const { return path_.names.size(); }
  // Whether every folder of the path exists (and is held).
  bool Complete() const { return held_.size() == path_.names.size(); }
  // Makes the first missing folder with the security given and holds it; false when it had
  // appeared meanwhile and was opened as it is (checked all the same). Raises when it cannot
  // be made, or what stands there is a link or a file.
  bool MakeNext(SECURITY_ATTRIBUTES& security);
  // The deepest folder held ("" when none is: the path is its root) and its handle.
  std::wstring LastPath() const { return path_.Upto(held_.size()); }
  HANDLE Last() const { return held_.empty() ? INVALID_HANDLE_VALUE : held_.back().get(); }

 private:
  // Opens one folder of the path (index into the names) and holds it; false when it is not
  // there.
  bool Hold(std::size_t index);

  FullPath path_;
  std::vector<UniqueFileHandle> held_;
};

}  // namespace vtr::win32
