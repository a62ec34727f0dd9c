// Taking a run back: what the steps that completed did, undone newest first when a later step
// fails, as the plan foresaw it and the run filled it in.
#pragma once

#include <vector>

#include "engine/outcome.h"
#include "engine/plan.h"
#include "platform/platform.h"

namespace vtr {

// True for a planned rollback the run carries out as it stands once its step is done; false
// for one the run fills in as it goes (it puts the filled-in steps on the list itself) and for
// one with nothing to carry out.
bool TakenBackAsPlanned(const Undo& undo);

// Carries out the rollback steps, newest first; a failing one does not stop the others. Each is
// written to the setup log and standard error and listed in the outcome with how it ended; a
// person is told in one box.
void TakeBack(Platform& p, const Plan& plan, const std::vector<Undo>& done, Outcome& outcome);

}  // namespace vtr
