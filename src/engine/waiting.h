// Waiting, in a silent run, while something else holds what the run needs: another copy of
// setup running, Windows Installer busy with another installation, the product's program open.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "platform/platform.h"

namespace vtr {

// Windows Installer holds this mutex while it carries out an installation.
inline constexpr wchar_t kInstallerBusyMutex[] = L"Global\\_MSIExecute";

// How often a silent run looks again while it waits.
inline constexpr int32_t kBusyPollMs = 5 * 1000;

// True as soon as busy() answers false; false when it still answers true after limitMs.
// When busy() first answers true, waitingLine is written once to standard error (after
// "VTR Setup: ") and to the setup log; when the wait ends well, the log says how long it took.
bool WaitWhileBusy(Platform& p, int32_t limitMs, const std::function<bool()>& busy,
                   const std::wstring& waitingLine);

// The wizard's counterpart of WaitWhileBusy: while busy() answers true, a Retry/Cancel box with
// text. True once busy() answers false; false when the user chose Cancel.
bool RetryWhileBusy(Platform& p, const std::function<bool()>& busy, const std::wstring& text);

// Before a Windows Installer run: waits while another installation is in progress. A silent
// run waits on its own, up to limitMs; the wizard asks the user to wait and choose Retry.
// False when it is still busy (the time ran out, or the user chose Cancel).
bool InstallerFree(Platform& p, bool silent, int32_t limitMs);

// A wait's limit in words: "10 minutes", "1 minute", "20 seconds".
std::wstring WaitLimitText(int32_t limitMs);

}  // namespace vtr
