// The program's entry: decides the run mode and edition, reads the command line, detects what
// is installed and where, then runs the install engine (silent) or shows the wizard.
#pragma once

#include <string>

#include "engine/install.h"
#include "platform/platform.h"
#include "startup/session.h"

namespace vtr {

// Process exit codes that deployment tools read (the codes Windows Installer itself uses).
inline constexpr int kExitSuccess = 0;
inline constexpr int kExitCancelled = 1602;
inline constexpr int kExitInstallFailed = 1603;
inline constexpr int kExitUsage = 1639;
inline constexpr int kExitRestartNeeded = 3010;

// What an exit code means, in words (for the setup log).
std::wstring ExitCodeMeaning(int code);

// The exit code of a run of the install engine.
int ExitCodeFor(bool succeeded, const InstallReport& outcome);

// Runs start-up against the platform. editionId is the edition fixed into this build.
// Returns the process exit code.
int Main(Session& s, Platform& p, const std::wstring& editionId);

}  // namespace vtr
