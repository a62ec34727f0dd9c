// SYS_Install: detect what the run needs, plan it once, then show the plan or apply it.
#include "engine/install.h"

#include "detect/detected.h"
#include "detect/install_paths.h"
#include "engine/apply.h"
#include "engine/msi_command.h"
#include "engine/plan.h"
#include "util/paths.h"
#include "util/text.h"

#include <memory>
#include <optional>
#include <utility>
#include <vector>

namespace vtr {
namespace {

// Whether the run may keep (or remove) the settings for every user: both machine-wide keys
// must be writable, and a run that records them needs Windows' reg.exe for the component.
void FindMachineFacts(Platform& p, const Edition& e, const Request& r, EngineFacts& f) {
  f.machineAsked = true;
  try {
    f.machineWritable =
        p.CanWriteRegistryKey(RegistryHive::Machine, SettingsKey(e.gsEditionID)) &&
        p.CanWriteRegistryKey(RegistryHive::Machine, ActiveSetupKey(e.settingsComponent));
    if (!f.machineWritable) {
      f.machineUnwritable =
          L"this run may not write to HKEY_LOCAL_MACHINE (it runs without administrator rights)";
      return;
    }
    if (!r.bRemove) {
      f.nativeSystemDir = p.SystemFolder();
    }
  } catch (const RunError& error) {
    f.machineWritable = false;
    f.machineUnwritable = L"whether this run may write to HKEY_LOCAL_MACHINE cannot be told: " +
                          DescribeError(error.description, error.number);
    return;
  }
  if (!r.bRemove && f.nativeSystemDir.empty()) {
    f.machineWritable = false;
    f.machineUnwritable = L"Windows did not name its system folder, which holds reg.exe";
  }
}

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
  if (r.bRemove && r.bDatabase) {
    SYS_IsOtherDatabaseInstalled(p, e, f.installed);
  }
  if (!StatesKnown(r, f.installed)) {
    return true;
  }
  if (r.bDatabase && !r.bRepair && !r.bRemove &&
      !Attempt([&] { f.lastVersion = StoredSetting(p, e.gsEditionID, L"Ver"); }, handler)) {
    return false;
  }
  if (!r.bRemove || r.bProgram) {
    FindMachineFacts(p, e, r, f);
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
  // A removal names a package file only when it is the very package that was installed.
  if (r.bRemove && f.programPackageFound) {
    f.programMedia = ComparePackage(
        p, e.gsProdID,
        JoinPath(f.sourceFolder, f.sourceSeparator, ProgramPackageName(e.gbPro, e.gbUpdate)));
  }
  if (r.bRemove && f.databasePackageFound) {
    f.databaseMedia = ComparePackage(
        p, e.gsDBProdID,
        JoinPath(f.sourceFolder, f.sourceSeparator, DatabasePackageName(e.gbPro, e.gbUpdate)));
  }
  return true;
}

// The digests the release recorded, by file name: "<sha256>  <file name>" a line.
std::vector<std::pair<std::wstring, std::wstring>> ParseDigests(const std::wstring& text) {
  std::vector<std::pair<std::wstring, std::wstring>> digests;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find(L'\n', start);
    if (end == std::wstring::npos) {
      end = text.size();
    }
    std::wstring line = text.substr(start, end - start);
    start = end + 1;
    if (!line.empty() && line.back() == L'\r') {
      line.pop_back();
    }
    const std::size_t blank = line.find(L' ');
    if (blank == std::wstring::npos) {
      continue;
    }
    std::size_t name = line.find_first_not_of(L" *", blank);
    if (name != std::wstring::npos) {
      digests.emplace_back(line.substr(name), line.substr(0, blank));
    }
  }
  return digests;
}

// One held package file: its product code and (when the release recorded digests) its digest
// compared. The product code is read first, while the file's digest is still being taken.
PackageCheck CheckPackage(InstallerObject& installer, const PackageRun& run, PackageId id,
                          const std::vector<std::pair<std::wstring, std::wstring>>& digests,
                          HeldFile& file) {
  PackageCheck check;
  check.package = id;
  std::wstring productFailure;
  try {
    const std::wstring productCode = installer.PackageProperty(run.path, L"ProductCode");
    if (!EqualsNoCase(productCode, run.productCode)) {
      productFailure = L"its product code is " +
                       (productCode.empty() ? std::wstring(L"missing") : productCode) +
                       L", this setup expects " + run.productCode;
    }
  } catch (const RunError& error) {
    productFailure =
        L"its product code could not be read: " + DescribeError(error.description, error.number);
  }
  // A file that is not what the release shipped says so first: that is what the box is about.
  std::wstring compared;
  if (!digests.empty()) {
    const std::wstring* recorded = nullptr;
    for (const auto& [name, digest] : digests) {
      if (EqualsNoCase(name, run.fileName)) {
        recorded = &digest;
      }
    }
    if (recorded == nullptr) {
      check.detail = L"this setup recorded no SHA-256 for " + run.fileName;
      return check;
    }
    std::wstring actual;
    try {
      actual = file.Sha256();
    } catch (const RunError& error) {
      check.detail =
          L"its SHA-256 could not be computed: " + DescribeError(error.description, error.number);
      return check;
    }
    if (!EqualsNoCase(actual, *recorded)) {
      check.detail = L"its SHA-256 is " + actual + L", the release recorded " + *recorded;
      return check;
    }
    compared = L"SHA-256 as recorded, ";
  }
  if (!productFailure.empty()) {
    check.detail = productFailure;
    return check;
  }
  check.passed = true;
  check.detail = compared + L"product code " + run.productCode;
  return check;
}

// Checks every package file the plan hands to Windows Installer and keeps each one held. False
// when an error that was not resumed ended the run.
bool CheckPackages(Platform& p, const RunOptions& o, const Plan& plan, EngineFacts& f,
                   std::vector<std::unique_ptr<HeldFile>>& held, Outcome& outcome,
                   std::wstring& failure) {
  const std::vector<PackageId> packages = PackagesHandedByFile(plan);
  if (packages.empty()) {
    return true;
  }
  const auto handler = [&](const RunError& error) {
    failure = DescribeError(error.description, error.number);
    return ReportEngineError(p, o.gbDebug, outcome, error);
  };
  std::vector<std::pair<std::wstring, std::wstring>> digests;
  std::unique_ptr<InstallerObject> installer;
  if (!Attempt(
          [&] {
            digests = ParseDigests(p.RecordedPackageDigests());
            installer = p.CreateInstaller();
          },
          handler) ||
      !installer) {
    // Without the installer object (also when a developer resumed after its error) no
    // package can be checked, so none is handed on.
    return false;
  }
  if (digests.empty()) {
    p.WriteLog(
        L"the package digests were not checked: this build of setup recorded none (a "
        L"developer's build); only the packages' product codes are checked");
  }
  // Every file is held first: their digests are taken at once, beside the rest of the check.
  std::vector<std::optional<RunError>> holdFailures;
  for (const PackageId id : packages) {
    try {
      held.push_back(p.HoldFile(plan.Package(id).path, !digests.empty()));
      holdFailures.emplace_back();
    } catch (const RunError& error) {
      held.emplace_back();
      holdFailures.emplace_back(error);
    }
  }
  for (std::size_t i = 0; i < packages.size(); ++i) {
    const PackageId id = packages[i];
    if (holdFailures[i]) {
      PackageCheck check;
      check.package = id;
      check.detail = L"it cannot be opened for reading with changes denied: " +
                     DescribeError(holdFailures[i]->description, holdFailures[i]->number);
      f.packageChecks.push_back(check);
    } else {
      f.packageChecks.push_back(CheckPackage(*installer, plan.Package(id), id, digests, *held[i]));
    }
  }
  f.packagesChecked = true;
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
  // The package files stay held until every Windows Installer run has ended, so none can be
  // changed between its check and its use.
  std::vector<std::unique_ptr<HeldFile>> held;
  if (!plan.Refused()) {
    if (!CheckPackages(p, o, plan, facts, held, outcome, failure)) {
      if (o.gbPlan) {
        p.WriteStandardOutput(L"VTR Setup plan: the run would stop before its first step: " +
                              failure);
        p.WriteStandardOutput(L"exit code: " + std::to_wstring(kExitInstallFailed));
      }
      return outcome;
    }
    plan = MakePlan(e, o, r, facts);
  }
  if (o.gbPlan) {
    for (const std::wstring& line : DescribePlan(plan, r, facts)) {
      p.WriteStandardOutput(line);
    }
    if (plan.Refused()) {
      outcome.Meet(Result::Failure);
    }
    return outcome;
  }
  if (!plan.everyUserNote.empty()) {
    p.WriteLog(plan.everyUserNote);
  }
  if (plan.refusal) {
    p.WriteLog(L"plan step 1: " + DescribeRefusal(plan, *plan.refusal));
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
