// The plan of a run: what the engine found when it started, and the ordered steps it will
// carry out, each a plain value with what takes it back beside it, or the reason it cannot run.
// Planning is a pure function; applying carries the steps out.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "detect/installed.h"
#include "detect/request.h"
#include "detect/run_facts.h"
#include "detect/run_setup.h"
#include "engine/steps.h"
#include "platform/platform.h"

namespace vtr {

// One package's Windows Installer run. Debug prompts may change the switches and the level
// before the run.
struct PackageRun {
  std::wstring fileName;     // "vtr3p.msi", ...
  std::wstring path;         // the package's copy in the protected cache
  std::wstring switches;     // "/I ", "/x ", "/famus ", ... always ending in a blank
  std::wstring properties;   // " ALLUSERS=2 TARGETDIR=\"...\"", ...: each after a blank
  std::wstring level;        // " /qn", " /qb-", ...
  std::wstring logArgument;  // " /l*v \"...\"" with LOG, else ""
  // Taking the run back: the product the package installs, whether it was installed before
  // this run, and Windows Installer's log of a removal that takes it back.
  std::wstring productCode;
  bool installedBefore = false;
  std::wstring rollbackLogArgument;
  // A removal that hands Windows Installer the installed product's code (path then holds the
  // code) rather than the package file, and why: the file on the media is not the package
  // that was installed, or there is none.
  bool byProductCode = false;
  std::wstring byProductCodeReason;
  // " /norestart" with NORESTART, else "": always last, so that no command line of the run
  // lets Windows Installer restart the machine.
  std::wstring restartArgument;
};

struct Plan {
  // What applying needs besides the steps.
  bool debug = false;
  bool silent = false;
  int32_t waitLimitMs = kShippedWaitLimitMs;  // how long a silent run waits at most
  bool remove = false;
  std::wstring editionId;
  std::wstring systemDir;
  std::wstring sourceFolder;
  std::wstring sourceSeparator;
  std::wstring aceInstaller = kEngineInstaller;
  // The ACE installer's full path, the file that is started (its folder is its working folder):
  // its checked copy in the cache, or where it was looked for when it is not there.
  std::wstring aceInstallerPath;
  // The protected cache and the files the run copied into it (PLAN: would copy).
  std::wstring cacheFolder;
  std::vector<CachedFile> cached;
  PackageRun program;
  PackageRun database;
  PackageRun otherDatabase;
  std::vector<PackageCheck> packageChecks;
  // What stops the run before its first step; the plan then has no step.
  std::optional<Refusal> refusal;
  std::vector<Step> steps;
  // Why the settings for every user are left alone, for PLAN and the log; "" when they are not.
  std::wstring everyUserNote;
  // What the run does about the database engine and why, for PLAN and the log; "" when it
  // does not ask.
  std::wstring engineNote;
  // Why setup's entries in Programs and Features are left alone, for PLAN and the log; "" when
  // they are not.
  std::wstring entriesNote;

  PackageRun& Package(PackageId id) {
    return id == PackageId::Program    ? program
           : id == PackageId::Database ? database
                                       : otherDatabase;
  }
  const PackageRun& Package(PackageId id) const {
    return id == PackageId::Program    ? program
           : id == PackageId::Database ? database
                                       : otherDatabase;
  }
  bool Refused() const { return refusal.has_value(); }
};

// Puts the added steps into the plan before the step at index at (at the end for
// steps.size()). The steps are moved, never assigned, which keeps the program small.
void InsertSteps(Plan& plan, std::size_t at, std::vector<Step> added);

// regsvr32 registering (or unregistering) the component, a file in the system folder.
Registration RegistrationOf(const Plan& plan, const std::wstring& component, bool unregister,
                            bool emailInterface);

// The box for a package file that failed its check.
std::wstring DamagedPackageText(const std::wstring& path);
// The box for a file the run needs that is not beside setup, named where it was looked for.
std::wstring MissingPackageText(const EngineFacts& f, const std::wstring& fileName);

// The database engine on a workstation edition whose program package runs: the offer, its
// quiet install, or nothing. False when the run is refused (its installer is missing).
bool PlanDatabaseEngine(const EngineFacts& f, Plan& plan);
// The box for a cache that could not be made, or a file not copied into it (cache_steps.cpp).
std::wstring CacheFailureText(const std::wstring& folder, const std::wstring& failure);

// The plan for the request on the machine the facts describe.
Plan MakePlan(const Edition& e, const RunOptions& o, const Request& r, const EngineFacts& f);

// "installed", "not installed" or "unknown (...)".
std::wstring StateWord(ProductKnown known);

// The step as one line for the plan's listing and the setup log.
std::wstring DescribeStep(const Plan& plan, const Step& step);
// What takes a step back, as one line for the plan's listing and the setup log.
std::wstring DescribeUndo(const Plan& plan, const Undo& undo);
// What stops the run, as the plan's listing and the setup log give it.
std::wstring DescribeRefusal(const Plan& plan, const Refusal& refusal);

// The listing PLAN prints: what was found, each step, and the exit code a good run ends with.
std::vector<std::wstring> DescribePlan(const Plan& plan, const Request& r, const EngineFacts& f);

}  // namespace vtr
