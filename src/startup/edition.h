// What follows from the edition ID fixed into the build and from the run mode.
#pragma once

#include <string>

#include "detect/run_setup.h"

namespace vtr {

// The version these packages install.
inline constexpr wchar_t kVersion[] = L"3.3.0";

// The edition, its product codes and executable, for the run mode (the updater's database is
// another product).
Edition EditionFor(const std::wstring& editionId, bool update);

}  // namespace vtr
