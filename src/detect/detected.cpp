// Start-up's detection: the products, the Windows version and the folders, as one value.
#include "detect/detected.h"

#include "detect/install_paths.h"
#include "detect/windows_version.h"

namespace vtr {

WindowsVersion ReadWindowsVersion(Platform& p) {
  WindowsVersion v;
  std::wstring servicePack, versionText;
  v.name =
      SYS_GetWindowsVersion(p, v.platformId, v.major, v.minor, v.build, servicePack, versionText);
  return v;
}

Detected DetectMachine(Platform& p, const Edition& e, bool debug,
                       const std::function<OnError(const RunError&)>& report) {
  Detected d;
  Attempt([&] { SYS_IsInstalled(p, e, debug, d.installed); }, report);
  Attempt([&] { d.windows = ReadWindowsVersion(p); }, report);
  SetDefaultFolders(d.folders, p, d.windows.major, report);
  Attempt([&] { d.folders.gsAppPath = SYS_GetInstallPath(p, e, debug, d.folders.gsProgramFiles); },
          report);
  Attempt([&] { d.folders.gsDBPath = SYS_GetDBInstallPath(p, e, debug, d.folders.dataRoot); },
          report);
  return d;
}

}  // namespace vtr
