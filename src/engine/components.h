// The steps around the packages: the updater service, component registration, the e-mail form
// setting and the ACE database engine.
#pragma once

#include "engine/install_run.h"

namespace vtr {

// Before the packages: stops the updater service and, for a removal, unregisters the Outlook
// e-mail interface.
void StopUpdaterService(InstallRun& r);
void UnregisterEmailInterface(InstallRun& r);

// After the packages of an install or repair: restarts the updater service, registers the
// components, records the e-mail form and the installed version.
void RunFollowUpSteps(InstallRun& r);

// Offers to install (or, for a removal, to remove) the ACE 2010 database engine.
void OfferDatabaseEngine(InstallRun& r);

}  // namespace vtr
