// The steps around the packages: the updater service, component registration and the ACE
// database engine. Each reports its own failure to the user.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "engine/plan.h"
#include "platform/platform.h"

namespace vtr {

// Hands a shell step's system program to the shell, in the system folder: the updater service
// stopped or installed again. Returns the shell's result.
int32_t RunShellStep(Platform& p, const Plan& plan, const std::wstring& program,
                     const std::wstring& parameters);
// How a waited-for child program ended: whether it started, and its exit code when its end
// was seen.
struct ChildRun {
  bool started = false;
  std::optional<uint32_t> exitCode;
};

// Runs msiexec from the system folder with the arguments and waits for it.
ChildRun RunMsiexec(Platform& p, const Plan& plan, const std::wstring& arguments);

// Runs regsvr32 as the step says (register or unregister its component) and waits for it.
// Returns "" when it ended with 0, else the message that says why it failed; detail tells how
// it ended, for the setup log.
std::wstring RunRegsvr32(Platform& p, const Plan& plan, const Registration& step,
                         std::wstring& detail);
// Offers to install (or, for a removal, to remove) the ACE 2010 database engine. False (after
// a message) when its installer could not be started; true also when the offer is declined.
bool OfferDatabaseEngine(Platform& p, const Plan& plan);

}  // namespace vtr
