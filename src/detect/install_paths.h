// The folders of an earlier install, read back from the settings store, with the default
// folders as fall-back.
#pragma once

#include <string>

#include "detect/run_setup.h"
#include "platform/platform.h"

namespace vtr {

inline constexpr wchar_t kSection[] = L"StartUp";

// The program folder: the stored "AppPath", else the default for the edition below
// programFiles.
std::wstring SYS_GetInstallPath(Platform& p, const Edition& e, bool debug,
                                const std::wstring& programFiles);
// The database folder: the folder of the stored "DBPath", else dataRoot with "Vantora Data".
std::wstring SYS_GetDBInstallPath(Platform& p, const Edition& e, bool debug,
                                  const std::wstring& dataRoot);

}  // namespace vtr
