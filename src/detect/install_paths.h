// The folders of an earlier install, read back from the settings store, with the default
// folders as fall-back.
#pragma once

#include <string>

#include "detect/run_setup.h"
#include "platform/platform.h"

namespace vtr {

inline constexpr wchar_t kSection[] = L"StartUp";

// The settings store's key of the edition, below HKEY_CURRENT_USER; the machine-wide copy of
// its settings is the same key below HKEY_LOCAL_MACHINE, where every user can read it.
std::wstring SettingsKey(const std::wstring& editionId);
// The edition's key above its section: what a removal of the machine-wide copy takes away.
std::wstring EditionSettingsKey(const std::wstring& editionId);
// The Active Setup component (below HKEY_LOCAL_MACHINE) and each user's mark that it ran for
// them (the same key below HKEY_CURRENT_USER).
std::wstring ActiveSetupKey(const std::wstring& component);

// A stored setting: the user's own, else the machine-wide copy's; "" when neither has it.
// Raises when the store cannot be read.
std::wstring StoredSetting(Platform& p, const std::wstring& editionId, const std::wstring& key);

// The program folder: the stored "AppPath", else the default for the edition below
// programFiles.
std::wstring SYS_GetInstallPath(Platform& p, const Edition& e, bool debug,
                                const std::wstring& programFiles);
// The database folder: the folder of the stored "DBPath", else dataRoot with "Vantora Data".
std::wstring SYS_GetDBInstallPath(Platform& p, const Edition& e, bool debug,
                                  const std::wstring& dataRoot);

}  // namespace vtr
