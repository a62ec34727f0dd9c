// The product's program closed before a run changes the installed product: the step planned
// first, and carrying it out (the wizard asks, a silent run waits).
#pragma once

#include "detect/request.h"
#include "detect/run_setup.h"
#include "engine/outcome.h"
#include "engine/plan.h"
#include "engine/steps.h"
#include "platform/platform.h"

namespace vtr {

// Puts the step first (before the cache's step) when a package of the plan updates, repairs
// or removes an installed product: its program (in the request's program folder) is to be
// closed. A first install has no program to close.
void PlanProgramClosed(const Edition& e, const Request& r, Plan& plan);

// Carries the step out. True when the program is not running, or ends while the wizard's user
// presses Retry or the silent run waits; false when the run ends here, with the outcome met
// (Cancelled: the user chose Cancel; ProductRunning: it ran on for longer than the wait).
bool ProgramClosedNow(Platform& p, const Plan& plan, const ProgramClosed& step, Outcome& outcome,
                      StepResult& result);

}  // namespace vtr
