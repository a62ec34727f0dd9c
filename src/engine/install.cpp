#include "engine/install.h"

#include "detect/detected.h"
#include "detect/install_paths.h"
#include "engine/apply.h"
#include "engine/msi_command.h"
#include "engine/plan.h"
#include "util/paths.h"
#include "util/text.h"

namespace vtr {
namespace {

// What the run needs to know of the machine now. False when an error that was not resumed
// ended the run.
bool FindFacts(Platform& p, const Edition& e, const RunOptions& o, const Request& r, EngineFacts& f,
               Outcome& outcome, std::wstring& failure) {
  const auto handler = [&](const RunError& error) {
    failure = DescribeError(error.description, error.number);
    return ReportEngineError(p, o.gbDebug, outcome, error);
  };
  // Without the system folder nothing can be started; the plan says so.
  if (f.gsSystemDir.empty()) {
    return true;
  }
  if (!Attempt(
          [&] {
            const WindowsVersion v = ReadWindowsVersion(p);
            f.windowsMajor = v.major;
            f.windowsName = v.name;
          },
          handler) ||
      !Attempt([&] { SYS_IsInstalled(p, e, o.gbDebug, f.installed); }, handler)) {
    return false;
  }
  if (!StatesKnown(r, f.installed)) {
    return true;
  }
  if (r.bDatabase && !r.bRepair && !r.bRemove &&
      !Attempt([&] { f.lastVersion = p.GetSetting(e.gsEditionID, kSection, L"Ver", L""); },
               handler)) {
    return false;
  }
  if (!Attempt(
          [&] {
            f.sourceFolder = p.OwnFolder();
            f.sourceSeparator = Contains(f.sourceFolder, L"/") ? L"/" : L"\\";
            f.ownFileName = p.OwnFileName();
            // The developer's copy takes its packages from a "Package" folder beside it.
            if (EqualsNoCase(f.ownFileName, L"VTR Setup")) {
              f.sourceFolder = JoinPath(f.sourceFolder, f.sourceSeparator, L"Package");
            }
          },
          handler)) {
    return false;
  }
  // Only the packages the run will hand to Windows Installer must be there.
  if (r.bProgram && !(r.bRemove && !f.installed.gbInstalled)) {
    f.programPackageFound =
        SYS_File_FileCheck(p, ProgramPackageName(e.gbPro, e.gbUpdate), f.sourceFolder, false);
  }
  if (r.bDatabase && !(r.bRemove && !f.installed.gbDBInstalled)) {
    f.databasePackageFound =
        SYS_File_FileCheck(p, DatabasePackageName(e.gbPro, e.gbUpdate), f.sourceFolder, false);
  }
  return true;
}

}  // namespace

Outcome SYS_Install(Platform& p, const Edition& e, const RunOptions& o,
                    const std::wstring& systemDir, const Request& r) {
  Outcome outcome;
  EngineFacts facts;
  facts.gsSystemDir = systemDir;
  facts.installed = r.installed;
  std::wstring failure;
  const bool found = FindFacts(p, e, o, r, facts, outcome, failure);
  outcome.installed = facts.installed;
  if (!found) {
    if (o.gbPlan) {
      p.WriteStandardOutput(L"VTR Setup plan: the run would stop before its first step: " +
                            failure);
      p.WriteStandardOutput(L"exit code: " + std::to_wstring(kExitInstallFailed));
    }
    return outcome;
  }
  Plan plan = MakePlan(e, o, r, facts);
  if (o.gbPlan) {
    for (const std::wstring& line : DescribePlan(plan, r, facts)) {
      p.WriteStandardOutput(line);
    }
    outcome.failed = plan.Refused();
    return outcome;
  }
  for (std::size_t i = 0; i < plan.steps.size(); ++i) {
    p.WriteLog(L"plan step " + std::to_wstring(i + 1) + L": " + DescribeStep(plan, plan.steps[i]));
  }
  ApplyPlan(p, plan, outcome);
  // The log's block ends with what Windows Installer now reports, after any taking back.
  if (!o.gsLogFolder.empty()) {
    InstalledStates after;
    SYS_IsInstalled(p, e, false, after);
    p.WriteLog(L"installed after the run: program " + StateWord(after.program) + L", database " +
               StateWord(after.database));
  }
  return outcome;
}

}  // namespace vtr
