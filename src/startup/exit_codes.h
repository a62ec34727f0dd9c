// The process exit codes that deployment tools read (the codes Windows Installer itself uses),
// for start-up and the wizard alike.
#pragma once

#include <string>

#include "engine/install.h"

namespace vtr {

inline constexpr int kExitSuccess = 0;
inline constexpr int kExitCancelled = 1602;
inline constexpr int kExitInstallFailed = 1603;
inline constexpr int kExitUsage = 1639;
inline constexpr int kExitRestartNeeded = 3010;

// What an exit code means, in words (for the setup log).
std::wstring ExitCodeMeaning(int code);

// The exit code of a run of the install engine.
int ExitCodeFor(bool succeeded, const InstallReport& outcome);

}  // namespace vtr
