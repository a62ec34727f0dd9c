// Moving a version 3.0 database's templates, labels, reports and envelopes aside before the new
// database package runs: each file gets the prefix "rev30_" in its own folder.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "platform/platform.h"

namespace vtr {

// A file moved: where it was and where it is now.
using MovedFile = std::pair<std::wstring, std::wstring>;

// Returns the files it moved aside, so that a run that is taken back can move them back.
std::vector<MovedFile> MigrateTemplates(Platform& p, bool debug, const std::wstring& databaseFolder,
                                        const std::wstring& separator);

}  // namespace vtr
