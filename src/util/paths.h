// Path and text splitting shared by the wizard, the stored-path lookup and the install engine.
// Paths are Windows path texts with either separator, with or without a trailing one.
#pragma once

#include <string>

#include "platform/platform.h"

namespace vtr {

// Splits text at the last occurrence of delimiter: returns the piece after it (leading blanks
// removed) and leaves the piece before it (trailing blanks removed) in text. The delimiter
// "Line" returns the last line instead. Texts shorter than two characters are not split.
std::wstring SYS_ParseRev(std::wstring& text, const std::wstring& delimiter);

// The parent folder of path ("" means databaseFolder, the session's gsDBPath), or the path
// itself when it has none (a root is its own parent).
std::wstring SYS_ParentFolder(const std::wstring& path, const std::wstring& databaseFolder);

// The last folder name of path; leading receives the part before it, separator included.
std::wstring SYS_FolderName(const std::wstring& path, std::wstring& leading);

// True when path is the root of a drive or share: "E:", "E:\", "\\server\share" or
// "\\server\share\" (either separator).
bool IsRootFolder(const std::wstring& path);

// True when path names the same folder whatever the current folder is: a drive letter with
// ":\" (or ":/") or a share "\\server\share", and what lies below them.
bool IsAbsoluteFolder(const std::wstring& path);

// folder + separator + name, without doubling a separator the folder already ends in (a root
// such as "E:\" keeps its own).
std::wstring JoinPath(const std::wstring& folder, const std::wstring& separator,
                      const std::wstring& name);

// True when path names an existing folder (or file); with bCreate a missing folder whose
// parent exists is made first. Never reports an error.
bool SYS_FolderExists(Platform& p, const std::wstring& path, bool bCreate);

// True when Windows allows every character of folder in a path, so it may be quoted into a
// command line; a quote could otherwise add arguments of its own.
bool IsSafeFolderText(const std::wstring& folder);

// True when fileName exists in folder; with bCreate the folder and an empty file are made.
// Never reports an error: a caller that must explain a missing file does so itself.
bool SYS_File_FileCheck(Platform& p, const std::wstring& fileName, const std::wstring& folder,
                        bool bCreate);

// The name a new file takes when the names before it are taken: path itself for number 1, then
// "<name> (2).<extension>", "<name> (3).<extension>", ...
std::wstring NumberedPath(const std::wstring& path, int number);

// How many names a new file tries before it is given up.
inline constexpr int kNewFileNames = 9;

// Makes a new file under path or, where something is at that name already, under the next of
// NumberedPath's names: make (a platform call that answers null when the name is taken) is
// called with each name in turn. The made file, with its name in taken; null when every name
// was taken. What make raises is passed on.
template <typename Make>
auto MakeUnderFreeName(const std::wstring& path, std::wstring& taken, Make make)
    -> decltype(make(path)) {
  for (int number = 1; number <= kNewFileNames; ++number) {
    const std::wstring name = NumberedPath(path, number);
    if (auto made = make(name)) {
      taken = name;
      return made;
    }
  }
  return nullptr;
}

}  // namespace vtr
