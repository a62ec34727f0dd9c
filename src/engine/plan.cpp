// MakePlan: the steps of a run and what takes each back, from the request and what was found.
#include "engine/plan.h"

#include "detect/install_paths.h"
#include "engine/cache_steps.h"
#include "engine/entries.h"
#include "engine/every_user.h"
#include "engine/msi_command.h"
#include "engine/program_closed.h"
#include "util/paths.h"
#include "util/text.h"

namespace vtr {
namespace {

// Everything the engine starts comes from the system folder, by its full path, never by a
// search that would look in the (download) folder the setup program runs from first.
std::wstring SystemFile(const EngineFacts& f, const wchar_t* name) {
  return f.gsSystemDir + L"\\" + name;
}

void Add(Plan& plan, Action action, Undo rollback = NothingToTakeBack{}) {
  plan.steps.push_back(Step{std::move(action), std::move(rollback)});
}

// A run that would stop at a missing package or an invalid folder stops before its first step:
// nothing is started only to be taken back again. Returns false, for the planner to stop.
bool Refuse(Plan& plan, Refusal::Why why, std::wstring box) {
  plan.refusal = Refusal{why, std::move(box)};
  plan.steps.clear();
  return false;
}

// A package this run installs new goes again by its product code; an update, repair or
// removal stays as Windows Installer left it.
Undo PackageUndo(const Plan& plan, PackageId id) {
  if (!plan.Package(id).installedBefore && !plan.remove) {
    return RemoveProduct{id};
  }
  return KeepProduct{id};
}

void AddPackageRun(Plan& plan, PackageId id) {
  Add(plan, RunPackage{id}, PackageUndo(plan, id));
}

void AddRegistration(Plan& plan, const std::wstring& component, bool unregister,
                     bool emailInterface) {
  Add(plan, RegistrationOf(plan, component, unregister, emailInterface),
      RegistrationOf(plan, component, !unregister, emailInterface));
}

void AddSetting(Plan& plan, const std::wstring& key, const std::wstring& value) {
  Add(plan, SaveSetting{key, value}, PutBackSetting{key, false, std::nullopt});
}

std::wstring InvalidFolderText(const std::wstring& folder) {
  return L"Invalid folder name:" + gsCR + folder + gsCR;
}

// The switches and properties of both packages for the action and installed state, and the
// reinstall-letter prompts of a debug run. Returns the full-interface flags through the runs.
struct Switches {
  bool programFullUI = false;
  bool databaseFullUI = false;
};

Switches ChooseSwitches(const Edition& e, const RunOptions& o, const Request& r,
                        const InstalledStates& is, Plan& plan) {
  Switches ui;
  PackageRun& prog = plan.program;
  PackageRun& db = plan.database;
  if (r.bRemove) {
    if (is.gbInstalled) {
      prog.switches = L"/x ";
      prog.properties = L"REMOVE=ALL";
    }
    if (is.gbDBInstalled) {
      db.switches = prog.switches;  // empty when the program is not installed
      db.properties = L"REMOVE=ALL REINSTALLMODE=aums";
    }
  } else if (r.bRepair || is.gbInstalled || is.gbDBInstalled) {
    // An update package is a newer package of the installed product: without "v" Windows
    // Installer reinstalls from its cached old package and nothing is updated.
    if (is.gbInstalled) {
      prog.switches = e.gbUpdate ? L"/fvamus " : L"/famus ";
      ui.programFullUI = !r.bRepair;
      if (r.bProgram && o.gbDebug) {
        Add(plan, AskSwitches{PackageId::Program,
                              ReinstallPrompt(L"Enter params (blank=use default): ")});
      }
    }
    if (is.gbDBInstalled) {
      db.switches = e.gbUpdate ? L"/fvamu " : L"/famu ";
      ui.databaseFullUI = !r.bRepair;
      if (r.bDatabase && o.gbDebug) {
        Add(plan, AskSwitches{PackageId::Database,
                              ReinstallPrompt(L"Enter DB params (blank=use default): ")});
      }
    }
  }
  // Whatever is left installs; a database removal carried over from an uninstalled program
  // keeps its remove properties.
  for (PackageRun* package : {&prog, &db}) {
    if (package->switches.empty()) {
      package->switches = L"/I ";
      if (package->properties.empty()) {
        package->properties = L"ALLUSERS=2";
      }
    }
  }
  return ui;
}

// The program package's steps. False when the run ends at them (a missing package, an invalid
// folder).
bool PlanProgram(const RunOptions& o, const Request& r, const EngineFacts& f, bool fullUI,
                 Plan& plan) {
  if (r.bRemove && !f.installed.gbInstalled) {
    return true;  // removing what is not there would install it
  }
  PackageRun& prog = plan.program;
  prog.level = ProgramLevel(o.gbSilent, r.bRemove, r.bRepair, fullUI);
  if (r.bRemove) {
    if (auto reason = ByProductCodeReason(f.programPackageFound, f.programMedia, prog.fileName)) {
      RemoveByProductCode(prog, std::move(*reason));
    }
  }
  if (o.gbDebug && !EqualsNoCase(prog.level, L" /qf")) {
    Add(plan, AskLevel{PackageId::Program, ProgramLevelPrompt()});
  }
  if (!f.programPackageFound && !prog.byProductCode) {
    return Refuse(plan, Refusal::Why::MissingPackage, MissingPackageText(f, prog.fileName));
  }
  if (!TargetFolderValid(r.gsAppPath)) {
    return Refuse(plan, Refusal::Why::InvalidFolder, InvalidFolderText(r.gsAppPath));
  }
  prog.properties = WithTargetDir(prog.properties, r.gsAppPath);
  AddPackageRun(plan, PackageId::Program);
  return true;
}

// The database package's steps. False when the run ends at them (a missing package, an invalid
// folder).
bool PlanDatabase(const Edition& e, const RunOptions& o, const Request& r, const EngineFacts& f,
                  bool fullUI, bool oldData, Plan& plan) {
  const bool installed = f.installed.gbDBInstalled;
  // After an update the other copy's database product is installed beside this one's: a
  // removal takes both away.
  const bool removeOther = r.bRemove && f.installed.otherDatabase == ProductKnown::Installed;
  // Removing what is not there would install it.
  const bool runOwn = !r.bRemove || installed;
  if (!runOwn && !removeOther) {
    return true;
  }
  PackageRun& db = plan.database;
  db.level = DatabaseLevel(o.gbSilent, r.bRemove, r.bRepair, installed, fullUI);
  if ((r.bRepair && !installed) || (!r.bRepair && !r.bRemove && installed)) {
    db.properties = L"ALLUSERS=2";
  }
  if (runOwn) {
    if (r.bRemove) {
      if (auto reason = ByProductCodeReason(f.databasePackageFound, f.databaseMedia, db.fileName)) {
        RemoveByProductCode(db, std::move(*reason));
      }
    }
    if (o.gbDebug && !EqualsNoCase(db.level, L" /qf")) {
      Add(plan, AskLevel{PackageId::Database, DatabaseLevelPrompt()});
    }
    if (!f.databasePackageFound && !db.byProductCode) {
      return Refuse(plan, Refusal::Why::MissingPackage, MissingPackageText(f, db.fileName));
    }
  }

  const DatabaseFolder asked = DatabaseFolderOf(r.gsDBPath);
  const std::wstring& folder = asked.folder;
  const std::wstring& separator = asked.separator;
  std::wstring target = asked.target;
  if (!TargetFolderValid(target)) {
    return Refuse(plan, Refusal::Why::InvalidFolder, InvalidFolderText(target));
  }
  const std::wstring dataFolder = target + separator + L"MainDB" + separator;
  if (oldData) {
    Add(plan, MoveTemplates{target, separator}, MoveTemplatesBack{target});
  }
  // The package itself makes "Vantora Data": it gets the folder above it.
  if (EndsWithNoCase(target, L"Vantora Data")) {
    target = SYS_ParentFolder(target, folder);
  }
  if (runOwn) {
    db.properties = WithTargetDir(db.properties, target);
    if (o.gbDebug) {
      Add(plan, ShowCommand{PackageId::Database});
    }
    AddPackageRun(plan, PackageId::Database);
    // Recorded once the package it describes has succeeded.
    if (!r.bRemove && !e.gbUpdate) {
      AddSetting(plan, L"DBPath", dataFolder);
    }
  }
  if (removeOther) {
    PackageRun& other = plan.otherDatabase;
    other.properties = WithTargetDir(L"REMOVE=ALL REINSTALLMODE=aums", target);
    other.level = DatabaseLevel(o.gbSilent, r.bRemove, r.bRepair, true, fullUI);
    RemoveByProductCode(other,
                        std::wstring(L"the ") + (e.gbUpdate ? L"full" : L"update") +
                            L" database, installed beside this one; this copy of setup has no "
                            L"package of it");
    if (o.gbDebug && !EqualsNoCase(other.level, L" /qf")) {
      Add(plan, AskLevel{PackageId::OtherDatabase, DatabaseLevelPrompt()});
    }
    if (o.gbDebug) {
      Add(plan, ShowCommand{PackageId::OtherDatabase});
    }
    AddPackageRun(plan, PackageId::OtherDatabase);
  }
  return true;
}

// After the packages of an install or repair: the updater service again, the components, the
// e-mail form and the installed version.
void PlanFollowUp(const Edition& e, const Request& r, const EngineFacts& f, Plan& plan) {
  std::wstring emailForm;
  if (r.bProgram) {
    if (r.bRepair || e.gbUpdate) {
      // Installing the service again takes back nothing: its stop was taken back already.
      Add(plan, StartUpdater{SystemFile(f, L"wodUpdSv.exe"), L"-i"});
    }
    if (f.windowsMajor == 6) {
      AddRegistration(plan, SystemFile(f, L"mscomm32.ocx"), false, false);
    }
    emailForm = e.gbPro ? L"13" : L"2";
  }
  std::wstring emailFormRegistered = emailForm;
  if (r.bOutlook) {
    AddRegistration(plan, SystemFile(f, L"vtremail.dll"), false, true);
    if (e.gbPro) {
      emailFormRegistered = L"12";
    }
  }
  if (!emailForm.empty() || !emailFormRegistered.empty()) {
    Add(plan, SaveEmailForm{emailForm, emailFormRegistered},
        PutBackSetting{L"EmailForm", false, std::nullopt});
  }
  if (r.bProgram) {
    AddSetting(plan, L"Ver", e.gsVersion);
  }
}

}  // namespace

std::wstring MissingPackageText(const EngineFacts& f, const std::wstring& fileName) {
  const std::wstring path = JoinPath(f.sourceFolder, f.sourceSeparator, fileName);
  return L"SYS_Install: Unable to open installation package: " + gsCR + path + gsCR + gsCR +
         L"NOTE: The installation file must be in the same directory as this setup program (" +
         f.ownFileName + L")." + gsCR;
}

void InsertSteps(Plan& plan, std::size_t at, std::vector<Step> added) {
  std::vector<Step> steps;
  steps.reserve(plan.steps.size() + added.size());
  for (std::size_t i = 0; i <= plan.steps.size(); ++i) {
    if (i == at) {
      for (Step& step : added) {
        steps.push_back(std::move(step));
      }
    }
    if (i < plan.steps.size()) {
      steps.push_back(std::move(plan.steps[i]));
    }
  }
  plan.steps = std::move(steps);
}

Registration RegistrationOf(const Plan& plan, const std::wstring& component, bool unregister,
                            bool emailInterface) {
  Registration step;
  step.program = plan.systemDir + L"\\regsvr32.exe";
  // regsvr32 shows its own boxes only to a developer at the screen.
  const bool quiet = !plan.debug || plan.silent;
  step.parameters = std::wstring(quiet ? L"/s " : L"") + (unregister ? L"/u " : L"") + gsQuote +
                    component + gsQuote;
  step.component = component;
  step.unregister = unregister;
  step.emailInterface = emailInterface;
  return step;
}

std::wstring DamagedPackageText(const std::wstring& path) {
  return L"The installation package is damaged or is not the one this setup was made for:" + gsCR +
         path + gsCR + L"Copy the setup files again from the original media.";
}

Plan MakePlan(const Edition& e, const RunOptions& o, const Request& r, const EngineFacts& f) {
  Plan plan;
  plan.debug = o.gbDebug;
  plan.silent = o.gbSilent;
  plan.waitLimitMs = o.waitLimitMs;
  plan.remove = r.bRemove;
  plan.editionId = e.gsEditionID;
  plan.systemDir = f.gsSystemDir;
  plan.sourceFolder = f.sourceFolder;
  plan.sourceSeparator = f.sourceSeparator;
  plan.cacheFolder = f.cacheFolder;
  plan.cached = f.cached;
  // The installer is started from its checked copy; where it is not beside setup, the start
  // fails on the place it was looked for.
  plan.aceInstallerPath = f.engineInstallerFound
                              ? JoinPath(f.cacheFolder, L"\\", plan.aceInstaller)
                              : JoinPath(f.sourceFolder, f.sourceSeparator, plan.aceInstaller);
  if (f.gsSystemDir.empty()) {
    Refuse(plan, Refusal::Why::CannotAsk, L"Unable to locate the Windows system folder.");
    return plan;
  }
  if (!StatesKnown(r, f.installed)) {
    Refuse(plan, Refusal::Why::CannotAsk,
           L"Unable to ask Windows Installer which products are installed." + gsCR +
               f.installed.failure);
    return plan;
  }
  plan.program.productCode = e.gsProdID;
  plan.program.installedBefore = f.installed.gbInstalled;
  plan.database.productCode = e.gsDBProdID;
  plan.database.installedBefore = f.installed.gbDBInstalled;
  plan.otherDatabase.productCode = e.gsOtherDBProdID;
  plan.otherDatabase.installedBefore = f.installed.otherDatabase == ProductKnown::Installed;
  for (auto [run, name] :
       {std::pair{&plan.program, ProgramPackageName(e.gbPro, e.gbUpdate)},
        std::pair{&plan.database, DatabasePackageName(e.gbPro, e.gbUpdate)},
        std::pair{&plan.otherDatabase, DatabasePackageName(e.gbPro, !e.gbUpdate)}}) {
    run->fileName = name;
    run->path = JoinPath(f.cacheFolder, L"\\", name);
    run->logArgument = VerboseLogArgument(o, name);
    run->restartArgument = o.gbNoRestart ? L" /norestart" : L"";
    run->rollbackLogArgument = VerboseLogArgument(o, name + L" rollback");
  }

  if (r.bProgram && (r.bRepair || e.gbUpdate || r.bRemove)) {
    const std::wstring updater = SystemFile(f, L"wodUpdSv.exe");
    Add(plan, StopUpdater{updater, L"-u"}, StartUpdater{updater, L"-i"});
    if (r.bRemove) {
      AddRegistration(plan, SystemFile(f, L"vtremail.dll"), true, true);
    }
  }
  const bool oldData =
      r.bDatabase && !r.bRepair && !r.bRemove && LeftEqualsNoCase(f.lastVersion, 3, L"3.0");
  const Switches ui = ChooseSwitches(e, o, r, f.installed, plan);
  if ((r.bProgram && !PlanProgram(o, r, f, ui.programFullUI, plan)) ||
      (r.bDatabase && !PlanDatabase(e, o, r, f, ui.databaseFullUI, oldData, plan))) {
    return plan;
  }
  if (!r.bRemove) {
    PlanFollowUp(e, r, f, plan);
  }
  PlanEveryUser(e, r, f, plan);
  bool programRuns = false;
  for (const Step& step : plan.steps) {
    const auto* run = std::get_if<RunPackage>(&step.action);
    programRuns |= run != nullptr && run->package == PackageId::Program;
  }
  if (programRuns && e.gbWorkstation && !PlanDatabaseEngine(f, plan)) {
    return plan;
  }
  PlanEntries(e, r, f, plan);
  PlanCacheUpkeep(e, r, f, programRuns, plan);
  // Every file the run hands on is copied and checked before the first step: one that cannot
  // be copied, or fails its check, ends the run before anything is done.
  if (!f.cacheFailure.empty()) {
    Refuse(plan, Refusal::Why::CacheFailed, CacheFailureText(f.cacheFolder, f.cacheFailure));
    return plan;
  }
  if (f.packagesChecked) {
    plan.packageChecks = f.packageChecks;
    for (const PackageCheck& c : f.packageChecks) {
      if (!c.passed) {
        Refuse(plan, Refusal::Why::DamagedPackage, DamagedPackageText(c.source));
        return plan;
      }
    }
  }
  if (!f.cached.empty()) {
    std::vector<Step> copies;
    copies.push_back(Step{CachedCopies{}, CannotTakeBack{L"the checked copies stay in the cache, "
                                                         L"which a later run refreshes or "
                                                         L"removes"}});
    InsertSteps(plan, 0, std::move(copies));
  }
  PlanProgramClosed(e, r, plan);
  return plan;
}

}  // namespace vtr
