// Moving a version 3.0 database's templates, labels, reports and envelopes aside before the new
// database package runs: each file gets the prefix "rev30_" in its own folder.
#pragma once

#include <string>

#include "platform/platform.h"

namespace vtr {

void MigrateTemplates(Platform& p, bool debug, const std::wstring& databaseFolder,
                      const std::wstring& separator);

}  // namespace vtr
