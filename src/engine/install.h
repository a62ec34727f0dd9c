// The install engine: detect what a run needs, plan it, apply the plan.
#pragma once

#include <string>

#include "detect/installed.h"
#include "detect/request.h"
#include "detect/run_setup.h"
#include "engine/outcome.h"
#include "platform/platform.h"

namespace vtr {

// The products' states as the caller found them, and whether the engine asks Windows Installer
// again before it plans.
struct KnownStates {
  InstalledStates states;
  bool askAgain = false;
};

// Installs, updates, repairs or removes the program and/or database packages and sets up the
// Outlook interface, as the request asks. It detects what the run needs once, plans the run
// once and carries the plan out (with PLAN, shows it on standard output instead and carries out
// nothing). systemDir is the system folder start-up found.
Outcome SYS_Install(Platform& p, const Edition& e, const RunOptions& o,
                    const std::wstring& systemDir, const Request& r, const KnownStates& known);

}  // namespace vtr
