// The steps around the packages: the updater service, component registration and the ACE
// database engine. Each reports its own failure to the user.
#pragma once

#include <string>

#include "engine/plan.h"
#include "platform/platform.h"

namespace vtr {

// Hands a shell step's system program to the shell, in the system folder: the updater service
// stopped or installed again, the e-mail interface unregistered. Returns the shell's result.
int32_t RunShellStep(Platform& p, const Plan& plan, const Step& step);
// Registers the step's component with regsvr32. False (after a message) when the shell failed.
bool RegisterComponent(Platform& p, const Plan& plan, const Step& step);
// Offers to install (or, for a removal, to remove) the ACE 2010 database engine. False (after
// a message) when its installer could not be started; true also when the offer is declined.
bool OfferDatabaseEngine(Platform& p, const Plan& plan);

}  // namespace vtr
