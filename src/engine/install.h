// The install engine: carries out the chosen action on the chosen packages.
#pragma once

#include "platform/platform.h"
#include "startup/session.h"

namespace vtr {

// What a run tells beyond its result, for the process exit code.
struct InstallReport {
  bool cancelled = false;      // the developer cancelled at a debug prompt
  bool restartNeeded = false;  // Windows Installer asked for a restart
};

// Installs, updates, repairs or removes the program and/or database packages and sets up the
// Outlook interface. True when the run ended without a failure message. The full-interface
// flags are set by the call.
bool SYS_Install(Session& s, Platform& p, bool& bProgram, bool& bDatabase, bool& bOutlook,
                 bool& bRepair, bool& bRemove, bool& bProgramFullUI, bool& bDatabaseFullUI);
bool SYS_Install(Session& s, Platform& p, bool& bProgram, bool& bDatabase, bool& bOutlook,
                 bool& bRepair, bool& bRemove, bool& bProgramFullUI, bool& bDatabaseFullUI,
                 InstallReport& report);

}  // namespace vtr
