// SetupVTR.exe: the entry point on Windows.
#include <windows.h>

#include "platform/win32/system_libraries.h"
#include "platform/win32/unique_resources.h"
#include "platform/win32/win32_platform.h"
#include "startup/main.h"
#include "wizard/win32/wizard_view.h"

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
  const int code = vtr::Main(p, VTR_EDITION_ID);
  return code;
}
