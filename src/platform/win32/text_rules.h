// The Windows rules the back end applies to plain texts: where the program's own name ends on
// its command line, how a full path splits into folder and bare name, what a search pattern
// for a folder looks like, which directory entries an attribute mask lets through. Plain
// texts only, so the rules are checked natively as well as under Windows.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vtr::win32 {

inline bool IsBlank(wchar_t c) {
  return c == L' ' || c == L'\t';
}
inline bool IsSeparator(wchar_t c) {
  return c == L'\\' || c == L'/';
}

// The arguments after the program's own name on a command line, unsplit. The name ends where
// Windows ends it: at the closing quote when it starts with one (the rest of that token still
// belongs to it), else at the first blank. The blanks after the name are skipped.
inline std::wstring ArgumentsAfterProgramName(std::wstring_view commandLine) {
  size_t i = 0;
  const size_t n = commandLine.size();
  if (n > 0 && commandLine[0] == L'"') {
    const size_t close = commandLine.find(L'"', 1);
    i = close == std::wstring_view::npos ? n : close + 1;
  }
  while (i < n && !IsBlank(commandLine[i])) {
    ++i;
  }
  while (i < n && IsBlank(commandLine[i])) {
    ++i;
  }
  return std::wstring(commandLine.substr(i));
}

// The folder part of a full file path, without a trailing separator, except that a root keeps
// its own: "C:\" for a file at the root of drive C, "\\server\share\" at a share's root.
// Windows finds nothing for a bare "C:" or "\\server\share".
inline std::wstring FolderOfPath(std::wstring_view path) {
  const size_t sep = path.find_last_of(L"\\/");
  if (sep == std::wstring_view::npos) {
    return {};
  }
  const std::wstring_view folder = path.substr(0, sep);
  const bool driveRoot = folder.size() == 2 && folder[1] == L':';
  const bool shareRoot = folder.size() > 2 && IsSeparator(folder[0]) && IsSeparator(folder[1]) &&
                         folder.find_first_of(L"\\/", 2) == folder.find_last_of(L"\\/");
  return std::wstring(path.substr(0, driveRoot || shareRoot ? sep + 1 : sep));
}

// The file name of a full path without folder and without extension ("Update.v2" for
// "C:\Dl\Update.v2.exe").
inline std::wstring BareFileName(std::wstring_view path) {
  const size_t sep = path.find_last_of(L"\\/");
  std::wstring_view name = sep == std::wstring_view::npos ? path : path.substr(sep + 1);
  const size_t dot = name.rfind(L'.');
  if (dot != std::wstring_view::npos && dot > 0) {
    name = name.substr(0, dot);
  }
  return std::wstring(name);
}

// A folder path that ends in a separator asks for the folder's contents.
inline std::wstring SearchPattern(std::wstring_view pathOrPattern) {
  std::wstring pattern(pathOrPattern);
  if (!pattern.empty() && IsSeparator(pattern.back())) {
    pattern += L'*';
  }
  return pattern;
}

// The directory-entry attributes a search mask decides about (the Windows FILE_ATTRIBUTE_
// values). Read-only and archive entries always count: a package on a CD must be found.
inline constexpr uint32_t kEntryHidden = 0x2;
inline constexpr uint32_t kEntrySystem = 0x4;
inline constexpr uint32_t kEntryFolder = 0x10;

// True when an entry with these attributes is listed for the mask: every hidden, system or
// folder attribute it has must be asked for by the mask.
inline bool EntryMatchesMask(uint32_t entryAttributes, int mask) {
  const uint32_t selective = entryAttributes & (kEntryHidden | kEntrySystem | kEntryFolder);
  return (selective & ~static_cast<uint32_t>(mask)) == 0;
}

// Line breaks made of a lone carriage return become CR LF, for controls that only break at
// CR LF. Existing CR LF pairs are kept.
inline std::wstring LoneCrToCrLf(std::wstring_view text) {
  std::wstring out;
  out.reserve(text.size() + 8);
  for (size_t i = 0; i < text.size(); ++i) {
    out += text[i];
    if (text[i] == L'\r' && (i + 1 == text.size() || text[i + 1] != L'\n')) {
      out += L'\n';
    }
  }
  return out;
}

}  // namespace vtr::win32
