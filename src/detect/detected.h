// What start-up's detection found on this machine, as one value: the products' states, the
// Windows version and the folders. A silent run's engine plans with these states; the wizard's
// Finish asks Windows Installer again, since the machine can change while the wizard is open.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "detect/folders.h"
#include "detect/installed.h"
#include "detect/run_setup.h"
#include "platform/platform.h"
#include "platform/run_error.h"

namespace vtr {

struct WindowsVersion {
  int32_t platformId = 0;
  int32_t major = 0;
  int32_t minor = 0;
  int32_t build = 0;
  std::wstring name;  // "Windows 7", ...
};

struct Detected {
  InstalledStates installed;
  WindowsVersion windows;
  Folders folders;
};

// Reads the Windows version (all zero when the query fails).
WindowsVersion ReadWindowsVersion(Platform& p);

// Start-up's detection, in its order: the products, the Windows version, the default folders,
// then the folders stored by an earlier install. A statement that raises goes to report and
// the next one runs, so a failing detection leaves its part empty or false.
Detected DetectMachine(Platform& p, const Edition& e, bool debug,
                       const std::function<OnError(const RunError&)>& report);

}  // namespace vtr
