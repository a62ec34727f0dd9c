// SetupVTR.exe: the entry point on Windows.
#include <windows.h>

#include "platform/win32/system_libraries.h"
#include "platform/win32/unique_resources.h"
#include "platform/win32/win32_platform.h"
#include "startup/main.h"
#include "wizard/win32/wizard_view.h"

namespace {

// How long a silent run waits at most for what holds it up. Only a build for the Wine tests,
// which cannot wait ten minutes, is given a shorter limit (in seconds).
#ifdef VTR_WAIT_LIMIT_SECONDS
constexpr int32_t kWaitLimitMs = VTR_WAIT_LIMIT_SECONDS * 1000;
#else
constexpr int32_t kWaitLimitMs = vtr::kShippedWaitLimitMs;
#endif

}  // namespace

int WINAPI wWinMain(HINSTANCE /*instance*/, HINSTANCE /*previous*/, PWSTR /*commandLine*/,
                    int /*show*/) {
  // Before anything loads a DLL by name: the program is started from download folders, where
  // a planted DLL must never be picked up, least of all by an elevated process.
  vtr::win32::RestrictDllSearchToSystemFolder();
  const vtr::win32::SystemLibraries systemLibraries;

  // The installer object, the shell's folder picker and ShellExecute all want COM.
  const vtr::win32::ComInit com;

  // The wizard's real window, declared first so that it outlives the platform drawing into it.
  vtr::win32::Win32WizardView wizardWindow;
  vtr::win32::Win32Platform p(wizardWindow);
  const int code = vtr::Main(p, VTR_EDITION_ID, kWaitLimitMs);
  return code;
}
