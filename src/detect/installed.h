// Whether this edition's program and database packages are installed, as Windows Installer
// reports them.
#pragma once

#include "platform/platform.h"
#include "startup/session.h"

namespace vtr {

// True when Windows Installer reports a product state that counts as installed.
bool IsInstalledState(int32_t state);

// Refreshes gbInstalled and gbDBInstalled. A query that fails leaves its flag as it was.
bool SYS_IsInstalled(Session& s, Platform& p);

}  // namespace vtr
