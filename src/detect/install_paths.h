// The folders of an earlier install, read back from the settings store, with the default
// folders as fall-back.
#pragma once

#include <string>

#include "platform/platform.h"
#include "startup/session.h"

namespace vtr {

inline constexpr wchar_t kSection[] = L"StartUp";

// The program folder: the stored "AppPath", else the default for the edition.
std::wstring SYS_GetInstallPath(const Session& s, Platform& p);
// The database folder: the folder of the stored "DBPath", else the default data folder with
// "Vantora Data". Start-up must have set the default gsDBPath first.
std::wstring SYS_GetDBInstallPath(const Session& s, Platform& p);

}  // namespace vtr
