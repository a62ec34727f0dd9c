// Windows' special folders, and the default program, system and data folders set at start-up.
#pragma once

#include <functional>
#include <string>

#include "platform/platform.h"
#include "platform/run_error.h"

namespace vtr {

// Folder ids (CSIDL) the program asks for.
inline constexpr int kCsidlPersonal = 5;
inline constexpr int kCsidlAppData = 26;
inline constexpr int kCsidlLocalAppData = 28;
inline constexpr int kCsidlCommonAppData = 35;
inline constexpr int kCsidlProgramFiles = 38;
inline constexpr int kCsidlProfile = 40;
inline constexpr int kCsidlSystemX86 = 41;
inline constexpr int kCsidlProgramFilesX86 = 42;
inline constexpr int kCsidlCommonDocuments = 46;

// Through the shell-folder service; "" on failure, never a trailing "\".
std::wstring SYS_GetFolderPath(Platform& p, int csidl);
// Through the older special-folder service; "" on any failure.
std::wstring SYS_GetSpecialFolder(Platform& p, int csidl);
// The system folder; "" on failure.
std::wstring SYS_GetSystemDir(Platform& p);

// The folders start-up works with. gsDBPath is the folder the database goes to (below the
// data root), as the stored "DBPath" or the default names it.
struct Folders {
  std::wstring gsProgramFiles;  // where programs go (the 32-bit folder on 64-bit Windows)
  std::wstring gsSystemDir;     // the (32-bit) system folder every system program comes from
  std::wstring dataRoot;        // the machine's common data folder
  std::wstring gsAppPath;       // the program folder
  std::wstring gsDBPath;        // the database folder
};

// The program files, system and data-root folders for the Windows major version, each with a
// last resort. A statement that raises is reported and the next one runs.
void SetDefaultFolders(Folders& folders, Platform& p, int32_t major,
                       const std::function<OnError(const RunError&)>& report);

// The developer's listing of the folders found: the initial folders, then on request the
// special folders by both services.
void ShowDebugFolders(const Folders& folders, Platform& p);

}  // namespace vtr
