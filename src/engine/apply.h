// Applying a plan: each step carried out through the platform, in order, with its result.
#pragma once

#include <memory>
#include <vector>

#include "engine/outcome.h"
#include "engine/plan.h"
#include "platform/platform.h"

namespace vtr {

// The install engine's error handler: reports the error (label "errHdl_SYS_Install"), marks
// the run failed and, in a debug run, offers to resume with the next statement.
OnError ReportEngineError(Platform& p, bool debug, Outcome& outcome, const RunError& e);

// Carries the plan's steps out. The debug prompts may change the plan's command lines before
// their packages run. A step that ends the run (a missing package, a cancel, an error not
// resumed) leaves the steps after it not reached. held are the files held against change since
// their check, let go when the cache is removed.
void ApplyPlan(Platform& p, Plan& plan, Outcome& outcome,
               std::vector<std::unique_ptr<HeldFile>>& held);

}  // namespace vtr
