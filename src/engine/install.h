// The install engine: detect what a run needs, plan it, apply the plan.
#pragma once

#include <string>

#include "detect/run_setup.h"
#include "engine/outcome.h"
#include "engine/request.h"
#include "platform/platform.h"

namespace vtr {

// Installs, updates, repairs or removes the program and/or database packages and sets up the
// Outlook interface, as the request asks. It asks Windows Installer again what is installed,
// plans the run and carries the plan out (with PLAN, shows it on standard output instead and
// carries out nothing). systemDir is the system folder start-up found.
Outcome SYS_Install(Platform& p, const Edition& e, const RunOptions& o,
                    const std::wstring& systemDir, const Request& r);

}  // namespace vtr
