// The steps around the packages: the updater service, component registration and the ACE
// database engine. Each reports its own failure to the user.
#pragma once

#include <cstdint>
#include <memory>
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
// Runs msiexec from the system folder on the package, or with rollback removes again what it
// newly installed, and waits for it. Windows Installer's log of the run, where it has one, is
// made new first and held until msiexec has ended (see HoldInstallerLog).
ChildRun RunMsiexec(Platform& p, const Plan& plan, PackageRun run, bool rollback);
// Makes Windows Installer's log file new and holds it while msiexec writes it: msiexec opens the
// file by its name, and the held file keeps anybody from putting a link there. Where something
// is at the name already, the log moves to the next free numbered name (logFile says which);
// where no name can be had, logFile is "" and msiexec runs without a log. Each says so on
// standard error and in the setup log.
std::unique_ptr<ReservedFile> HoldInstallerLog(Platform& p, std::wstring& logFile);

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
