// The steps around the packages: the updater service, component registration and the ACE
// database engine, each a child program started by its full path and waited for.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "engine/outcome.h"
#include "engine/plan.h"
#include "engine/run_programs.h"
#include "platform/platform.h"

namespace vtr {

// How the updater service program ended: skipped when it is not there (no service to stop or
// start), for the setup log, and when it failed the message that says so.
struct UpdaterEnd {
  bool skipped = false;
  bool reported = false;  // a box already showed the error that stopped it
  std::wstring detail;
  std::optional<std::wstring> failure;
};

// Runs the updater service program (by its full path) with its parameters in the system folder
// and waits for it: start installs the service again, else it is stopped.
UpdaterEnd RunUpdater(Platform& p, const Plan& plan, const std::wstring& program,
                      const std::wstring& parameters, bool start);
// Runs msiexec from the system folder with the arguments and waits for it.
ChildRun RunMsiexec(Platform& p, const Plan& plan, const std::wstring& arguments);

// How regsvr32 ended: for the setup log, and when it failed the message that says why.
struct RegistrationEnd {
  std::wstring detail;
  std::optional<std::wstring> failure;
};

// Runs regsvr32 as the step says (register or unregister its component) and waits for it.
RegistrationEnd RunRegsvr32(Platform& p, const Plan& plan, const Registration& step);

// How the database engine's installer ended: what it means for the run, for the setup log, and
// when it failed the message that says why.
struct EngineEnd {
  Result result = Result::Success;
  std::wstring detail;
  std::optional<std::wstring> failure;
};

// Starts the database engine's installer (Plan::aceInstallerPath, in its own folder) with the
// parameters ("/quiet", or none for its own window) and waits for it.
EngineEnd RunEngineInstaller(Platform& p, const Plan& plan, const std::wstring& parameters);
// Offers to install (or, for a removal, to remove) the ACE 2010 database engine, and on Yes runs
// its installer. Nothing when the offer is declined.
std::optional<EngineEnd> OfferDatabaseEngine(Platform& p, const Plan& plan);

}  // namespace vtr
