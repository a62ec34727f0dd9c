// The program's entry: decides the run mode and edition, reads the command line, detects what
// is installed and where, then runs the install engine (silent) or shows the wizard.
#pragma once

#include <cstdint>
#include <string>

#include "detect/run_setup.h"
#include "platform/platform.h"

namespace vtr {

// One copy of setup runs at a time on a machine, whatever its edition or file name: it holds
// this mutex (in the namespace of every session) from its command line to its end.
inline constexpr wchar_t kSetupMutex[] = L"Global\\VantoraContactManagementSetup";

// Runs start-up against the platform. editionId is the edition fixed into this build;
// waitLimitMs is how long a silent run waits at most for what holds it up (only a build for
// tests waits less). Returns the process exit code, one of the table's: whatever escapes the
// run is a failure.
int Main(Platform& p, const std::wstring& editionId, int32_t waitLimitMs = kShippedWaitLimitMs);

// How the line on standard error (after "VTR Setup: ") and in the setup log begins when
// something other than a run-time error stopped the run: memory running out, or a fault of the
// program itself.
inline constexpr wchar_t kUnexpectedErrorLine[] = L"the run stopped on an unexpected error: ";

}  // namespace vtr
