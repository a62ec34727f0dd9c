// Waiting, in a silent run, while something else holds what the run needs: another copy of
// setup running, or Windows Installer busy with another installation.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "platform/platform.h"

namespace vtr {

// Windows Installer holds this mutex while it carries out an installation.
inline constexpr wchar_t kInstallerBusyMutex[] = L"Global\\_MSIExecute";

// How long a silent run waits at most, and how often it looks again.
inline constexpr int32_t kBusyWaitLimitMs = 10 * 60 * 1000;
inline constexpr int32_t kBusyPollMs = 5 * 1000;

// True as soon as busy() answers false; false when it still answers true after the limit.
// When busy() first answers true, waitingLine is written once to standard error (after
// "VTR Setup: ") and to the setup log; when the wait ends well, the log says how long it took.
bool WaitWhileBusy(Platform& p, const std::function<bool()>& busy, const std::wstring& waitingLine);

}  // namespace vtr
