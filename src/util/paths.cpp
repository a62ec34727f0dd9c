// Splitting and joining paths, and the folder and file checks the wizard and engine share.
#include "util/paths.h"

#include "util/text.h"

namespace vtr {
namespace {

const std::wstring kCR = L"\r";

bool IsSeparator(wchar_t c) {
  return c == L'\\' || c == L'/';
}

bool IsDriveLetter(const std::wstring& path) {
  return path.size() >= 2 && path[1] == L':' &&
         ((path[0] >= L'A' && path[0] <= L'Z') || (path[0] >= L'a' && path[0] <= L'z'));
}

// The length of a share's root "\\server\share" (without the separator after it), or 0 when
// path does not start with a well-formed one.
std::size_t ShareRootLength(const std::wstring& path) {
  if (path.size() < 5 || !IsSeparator(path[0]) || !IsSeparator(path[1]) || IsSeparator(path[2])) {
    return 0;
  }
  std::size_t i = 2;
  while (i < path.size() && !IsSeparator(path[i])) {
    ++i;
  }
  const std::size_t shareStart = i + 1;
  if (shareStart >= path.size() || IsSeparator(path[shareStart])) {
    return 0;
  }
  i = shareStart;
  while (i < path.size() && !IsSeparator(path[i])) {
    ++i;
  }
  return i;
}

// Drops one trailing separator, so "C:\Apps\" and "C:\Apps" split alike.
std::wstring WithoutTrailing(std::wstring path, const std::wstring& separator) {
  if (!path.empty() && path.back() == separator.front()) {
    path.pop_back();
  }
  return path;
}

}  // namespace

std::wstring SYS_ParseRev(std::wstring& text, const std::wstring& delimiter) {
  if (text.size() < 2) {
    return {};
  }
  // Look for a line break before the last character: a break at the very end is ignored.
  const auto lastBreak = text.rfind(kCR, text.size() - 2);
  const bool multiLine = lastBreak != std::wstring::npos;
  // p: characters before the last line (the break included), as a 1-based position.
  std::size_t p = multiLine ? lastBreak + 1 : text.size();
  std::wstring tail = multiLine ? text.substr(p) : text;

  std::size_t k = 0;
  if (!EqualsNoCase(delimiter, L"Line")) {
    k = LastPositionNoCase(tail, delimiter);
    if (k > 0 && delimiter.size() > 1) {
      k += delimiter.size() - 1;
    }
  }

  if (k == 0) {
    // No delimiter (or line mode): the last line is the piece; a CR LF break goes with it.
    if (!tail.empty() && tail.front() == L'\n') {
      tail.erase(0, 1);
      --p;
    }
    text = text.size() > tail.size() ? text.substr(0, p) : std::wstring();
    return tail;
  }

  // Split the last line at its last delimiter; earlier lines stay in front of the head.
  const std::size_t lineStart = multiLine ? p : 0;
  std::wstring piece = TrimLeadingSpaces(tail.substr(k));
  text = TrimTrailingSpaces(text.substr(0, lineStart + k - delimiter.size()));
  return piece;
}

std::wstring SYS_ParentFolder(const std::wstring& path, const std::wstring& databaseFolder) {
  const std::wstring source = path.empty() ? databaseFolder : path;
  if (source.empty()) {
    return {};
  }
  const std::wstring separator = Contains(source, L"/") ? L"/" : L"\\";
  std::wstring copy = WithoutTrailing(source, separator);
  SYS_ParseRev(copy, separator);
  return copy.empty() ? source : copy;
}

std::wstring SYS_FolderName(const std::wstring& path, std::wstring& leading) {
  if (path.empty()) {
    return {};
  }
  std::wstring separator;
  if (Contains(path, L"\\")) {
    separator = L"\\";
  } else if (Contains(path, L"/")) {
    separator = L"/";
  } else {
    return path;
  }
  std::wstring copy = WithoutTrailing(path, separator);
  std::wstring name = SYS_ParseRev(copy, separator);
  leading = copy + separator;
  return name;
}

bool IsRootFolder(const std::wstring& path) {
  std::size_t rootLength = ShareRootLength(path);
  if (rootLength == 0 && IsDriveLetter(path)) {
    rootLength = 2;
  }
  return rootLength > 0 &&
         (path.size() == rootLength || (path.size() == rootLength + 1 && IsSeparator(path.back())));
}

bool IsAbsoluteFolder(const std::wstring& path) {
  return (IsDriveLetter(path) && path.size() >= 3 && IsSeparator(path[2])) ||
         ShareRootLength(path) > 0;
}

std::wstring JoinPath(const std::wstring& folder, const std::wstring& separator,
                      const std::wstring& name) {
  if (!folder.empty() && IsSeparator(folder.back())) {
    return folder + name;
  }
  return folder + separator + name;
}

bool SYS_FolderExists(Platform& p, const std::wstring& path, bool bCreate) {
  if (path.empty()) {
    return false;
  }
  // Windows finds nothing for a root named on its own ("E:", "\\server\share"), so a root
  // exists when its contents can be listed; a program started from it is among them.
  const std::wstring searched =
      IsRootFolder(path) && !IsSeparator(path.back()) ? path + L"\\" : path;
  bool exists = false;
  // A parent that is missing or a name Windows refuses: the folder simply is not there.
  Attempt(
      [&] {
        exists = !p.FindFirst(searched, kAttrAll).empty();
        if (!exists && bCreate) {
          p.MakeFolder(path);
          exists = !p.FindFirst(path, kAttrAll).empty();
        }
      },
      [&](const RunError&) {
        exists = false;
        return OnError::Stop;
      });
  return exists;
}

bool SYS_File_FileCheck(Platform& p, const std::wstring& fileName, const std::wstring& folder,
                        bool bCreate) {
  if (!SYS_FolderExists(p, folder, bCreate)) {
    return false;
  }
  const std::wstring separator = Contains(folder, L"\\") ? L"\\" : L"/";
  const std::wstring fullPath = JoinPath(folder, separator, fileName);
  bool found = false;
  const auto test = [&] { found = EqualsNoCase(p.FindFirst(fullPath, kAttrNormal), fileName); };
  const auto ignore = [](const RunError&) { return OnError::Resume; };

  Attempt(test, ignore);
  if (found || !bCreate) {
    return found;
  }
  Attempt([&] { p.CreateEmptyFile(fullPath); }, ignore);
  Attempt(test, ignore);
  return found;
}

bool IsSafeFolderText(const std::wstring& folder) {
  for (wchar_t c : folder) {
    if (c < 32 || c == L'"' || c == L'<' || c == L'>' || c == L'|' || c == L'*' || c == L'?') {
      return false;
    }
  }
  return true;
}

std::wstring NumberedPath(const std::wstring& path, int number) {
  if (number <= 1) {
    return path;
  }
  const std::size_t folderEnd = path.find_last_of(L"\\/");
  std::size_t dot = path.rfind(L'.');
  if (dot == std::wstring::npos || (folderEnd != std::wstring::npos && dot < folderEnd)) {
    dot = path.size();
  }
  return path.substr(0, dot) + L" (" + std::to_wstring(number) + L")" + path.substr(dot);
}

}  // namespace vtr
