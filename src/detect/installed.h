// Whether this edition's program and database packages are installed, as Windows Installer
// reports them.
#pragma once

#include "platform/platform.h"
#include "startup/session.h"

namespace vtr {

// True when Windows Installer reports a product state that counts as installed.
bool IsInstalledState(int32_t state);

// What Windows Installer said about one product; Unknown when it could not be asked.
enum class ProductKnown { Unknown, Installed, NotInstalled };

struct InstalledStates {
  ProductKnown program = ProductKnown::Unknown;
  ProductKnown database = ProductKnown::Unknown;
  std::wstring failure;  // "description (number)" of the first query that failed
};

// Refreshes gbInstalled and gbDBInstalled. A query that fails leaves its flag as it was; the
// wizard takes that as not installed, the install engine reads states and refuses to guess.
bool SYS_IsInstalled(Session& s, Platform& p, InstalledStates& states);
bool SYS_IsInstalled(Session& s, Platform& p);

}  // namespace vtr
