// The steps around the packages: the updater service, component registration and the ACE
// database engine. Each reports its own failure to the user.
#pragma once

#include <string>

#include "engine/plan.h"
#include "platform/platform.h"

namespace vtr {

// Stops (before the packages) or installs again (after them) the product's updater service.
void StopUpdaterService(Platform& p, const Plan& plan);
void StartUpdaterService(Platform& p, const Plan& plan);
// Unregisters the Outlook e-mail interface before a removal.
void UnregisterEmailInterface(Platform& p, const Plan& plan);
// Registers the step's component with regsvr32. False (after a message) when the shell failed.
bool RegisterComponent(Platform& p, const Plan& plan, const Step& step);
// Offers to install (or, for a removal, to remove) the ACE 2010 database engine. False (after
// a message) when its installer could not be started; true also when the offer is declined.
bool OfferDatabaseEngine(Platform& p, const Plan& plan);

}  // namespace vtr
