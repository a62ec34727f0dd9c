// The program's entry: decides the run mode and edition, reads the command line, detects what
// is installed and where, then runs the install engine (silent) or shows the wizard.
#pragma once

#include <string>

#include "platform/platform.h"

namespace vtr {

// Runs start-up against the platform. editionId is the edition fixed into this build.
// Returns the process exit code, always one of the codes deployment tools are told of.
int Main(Platform& p, const std::wstring& editionId);

}  // namespace vtr
