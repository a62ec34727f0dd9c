// Whether this edition's program and database packages are installed, as Windows Installer
// reports them.
#pragma once

#include "detect/run_setup.h"
#include "platform/platform.h"

namespace vtr {

// True when Windows Installer reports a product state that counts as installed.
bool IsInstalledState(int32_t state);

// What Windows Installer said about one product; Unknown when it could not be asked.
enum class ProductKnown { Unknown, Installed, NotInstalled };

struct InstalledStates {
  // The flags every reader uses: installed as far as is known. A query that fails leaves its
  // flag as an earlier query (or the caller) set it.
  bool gbInstalled = false;
  bool gbDBInstalled = false;
  ProductKnown program = ProductKnown::Unknown;
  ProductKnown database = ProductKnown::Unknown;
  std::wstring failure;  // "description (number)" of the first query that failed
};

// Asks Windows Installer about the edition's program and database products. states comes in
// with what is known so far and goes out with the answers; a query that fails leaves its flag
// and marks its product Unknown (reported in a box to a developer).
void SYS_IsInstalled(Platform& p, const Edition& e, bool debug, InstalledStates& states);

}  // namespace vtr
