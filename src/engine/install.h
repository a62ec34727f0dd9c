// The install engine: carries out the chosen action on the chosen packages.
#pragma once

#include "platform/platform.h"
#include "startup/session.h"

namespace vtr {

// Installs, updates, repairs or removes the program and/or database packages and sets up the
// Outlook interface. True when the run ended without a failure message.
bool SYS_Install(Session& s, Platform& p, bool& bProgram, bool& bDatabase, bool& bOutlook,
                 bool& bRepair, bool& bRemove, bool& bProgramFullUI, bool& bDatabaseFullUI);

}  // namespace vtr
