// The steps around the packages: the updater service, component registration and the ACE
// database engine. Each reports its own failure to the user.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "engine/plan.h"
#include "engine/run_programs.h"
#include "platform/platform.h"

namespace vtr {

// Hands a shell step's system program to the shell, in the system folder: the updater service
// stopped or installed again. Returns the shell's result.
int32_t RunShellStep(Platform& p, const Plan& plan, const std::wstring& program,
                     const std::wstring& parameters);
// Runs msiexec from the system folder with the arguments and waits for it.
ChildRun RunMsiexec(Platform& p, const Plan& plan, const std::wstring& arguments);

// How regsvr32 ended: for the setup log, and when it failed the message that says why.
struct RegistrationEnd {
  std::wstring detail;
  std::optional<std::wstring> failure;
};

// Runs regsvr32 as the step says (register or unregister its component) and waits for it.
RegistrationEnd RunRegsvr32(Platform& p, const Plan& plan, const Registration& step);
// Offers to install (or, for a removal, to remove) the ACE 2010 database engine. False (after
// a message) when its installer could not be started; true also when the offer is declined.
bool OfferDatabaseEngine(Platform& p, const Plan& plan);

}  // namespace vtr
