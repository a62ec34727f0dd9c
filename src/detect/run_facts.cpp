// The detection for a run: everything the plan needs, found once, and the package files checked.
#include "detect/run_facts.h"

#include <utility>

#include "detect/detected.h"
#include "detect/install_paths.h"
#include "util/paths.h"
#include "util/text.h"

namespace vtr {
namespace {

// Whether the run may keep (or remove) the settings for every user: both machine-wide keys
// must be writable, and a run that records them needs Windows' reg.exe for the component.
void FindMachineFacts(Platform& p, const Edition& e, const Request& r, EngineFacts& f) {
  f.machineAsked = true;
  const bool asked = Attempt(
      [&] {
        f.machineWritable =
            p.CanWriteRegistryKey(RegistryHive::Machine, SettingsKey(e.gsEditionID)) &&
            p.CanWriteRegistryKey(RegistryHive::Machine, ActiveSetupKey(e.settingsComponent));
        if (f.machineWritable && !r.bRemove) {
          f.nativeSystemDir = p.SystemFolder();
        }
      },
      [&](const RunError& error) {
        f.machineWritable = false;
        f.machineUnwritable = L"whether this run may write to HKEY_LOCAL_MACHINE cannot be told: " +
                              DescribeError(error.description, error.number);
        return OnError::Stop;
      });
  if (!asked) {
    return;
  }
  if (!f.machineWritable) {
    f.machineUnwritable =
        L"this run may not write to HKEY_LOCAL_MACHINE (it runs without administrator rights)";
  } else if (!r.bRemove && f.nativeSystemDir.empty()) {
    f.machineWritable = false;
    f.machineUnwritable = L"Windows did not name its system folder, which holds reg.exe";
  }
}

// A package file's place on the media and the product it must be of.
struct PackageFile {
  std::wstring fileName;
  std::wstring path;
  std::wstring productCode;
};

PackageFile FileOf(const Edition& e, const EngineFacts& f, PackageId id) {
  const bool program = id == PackageId::Program;
  const std::wstring name =
      program ? ProgramPackageName(e.gbPro, e.gbUpdate) : DatabasePackageName(e.gbPro, e.gbUpdate);
  return {name, JoinPath(f.sourceFolder, f.sourceSeparator, name),
          program ? e.gsProdID : e.gsDBProdID};
}

// What the run needs to know of the machine now. An error that is not resumed ends it (the
// handler records it).
void FindFacts(Platform& p, const Edition& e, const RunOptions& o, const Request& r, bool askAgain,
               EngineFacts& f, const std::function<OnError(const RunError&)>& handler) {
  // Without the system folder nothing can be started; the plan says so.
  if (f.gsSystemDir.empty()) {
    return;
  }
  if (!Attempt(
          [&] {
            const WindowsVersion v = ReadWindowsVersion(p);
            f.windowsMajor = v.major;
            f.windowsName = v.name;
          },
          handler) ||
      (askAgain && !Attempt([&] { SYS_IsInstalled(p, e, o.gbDebug, f.installed); }, handler))) {
    return;
  }
  if (r.bRemove && r.bDatabase) {
    SYS_IsOtherDatabaseInstalled(p, e, f.installed);
  }
  if (!StatesKnown(r, f.installed)) {
    return;
  }
  if (r.bDatabase && !r.bRepair && !r.bRemove &&
      !Attempt([&] { f.lastVersion = StoredSetting(p, e.gsEditionID, L"Ver"); }, handler)) {
    return;
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
    return;
  }
  // The database engine: a person is offered it; a run nobody can answer installs it when it
  // is missing, so it must know that, and that the installer is there, before it starts.
  if (e.gbWorkstation && r.bProgram && !r.bRemove &&
      !Attempt(
          [&] {
            f.engineAsked = true;
            f.personCanAnswer = !o.gbSilent || p.PersonCanAnswer();
            if (!f.personCanAnswer) {
              f.databaseEngine = AskProductState(p, kDatabaseEngineProductCode);
              const std::wstring installer =
                  JoinPath(f.sourceFolder, f.sourceSeparator, kEngineInstallerName);
              f.engineInstallerFound = !p.FindFirst(installer, kAttrNormal).empty();
            }
          },
          handler)) {
    return;
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
  return;
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

// Turns an error into text for a check's detail: the check goes on with its next part.
std::function<OnError(const RunError&)> Into(std::wstring& text, const std::wstring& beginning) {
  return [&text, beginning](const RunError& error) {
    text = beginning + DescribeError(error.description, error.number);
    return OnError::Stop;
  };
}

// One held package file: its product code and (when the release recorded digests) its digest
// compared. The product code is read first, while the file's digest is still being taken.
PackageCheck CheckPackage(InstallerObject& installer, const PackageFile& run, PackageId id,
                          const std::vector<std::pair<std::wstring, std::wstring>>& digests,
                          HeldFile& file) {
  PackageCheck check;
  check.package = id;
  std::wstring productFailure;
  Attempt(
      [&] {
        const std::wstring productCode = installer.PackageProperty(run.path, L"ProductCode");
        if (!EqualsNoCase(productCode, run.productCode)) {
          productFailure = L"its product code is " +
                           (productCode.empty() ? std::wstring(L"missing") : productCode) +
                           L", this setup expects " + run.productCode;
        }
      },
      Into(productFailure, L"its product code could not be read: "));
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
    if (!Attempt([&] { actual = file.Sha256(); },
                 Into(check.detail, L"its SHA-256 could not be computed: "))) {
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

// Checks every package file the run hands to Windows Installer and keeps each one held.
void CheckPackages(Platform& p, const Edition& e, const std::vector<PackageId>& packages,
                   DetectedRun& run, const std::function<OnError(const RunError&)>& handler) {
  if (packages.empty()) {
    return;
  }
  EngineFacts& f = run.facts;
  std::vector<std::pair<std::wstring, std::wstring>> digests;
  std::unique_ptr<InstallerObject> installer;
  std::optional<RunError> failed;
  Attempt(
      [&] {
        digests = ParseDigests(p.RecordedPackageDigests());
        installer = p.CreateInstaller();
      },
      [&](const RunError& error) {
        failed = error;
        return handler(error);
      });
  if (!installer) {
    // Without the installer object (also when a developer resumed after its error) no
    // package can be checked, so none is handed on: the run stops.
    run.stopped =
        failed.value_or(RunError{0, L"the Windows Installer object could not be created"});
    return;
  }
  if (digests.empty()) {
    p.WriteLog(
        L"the package digests were not checked: this build of setup recorded none (a "
        L"developer's build); only the packages' product codes are checked");
  }
  // Every file is held first: their digests are taken at once, beside the rest of the check.
  std::vector<std::wstring> holdFailures;
  for (const PackageId id : packages) {
    std::unique_ptr<HeldFile> held;
    std::wstring failure;
    Attempt([&] { held = p.HoldFile(FileOf(e, f, id).path, !digests.empty()); },
            Into(failure, L"it cannot be opened for reading with changes denied: "));
    run.held.push_back(std::move(held));
    holdFailures.push_back(failure);
  }
  for (std::size_t i = 0; i < packages.size(); ++i) {
    const PackageId id = packages[i];
    if (!holdFailures[i].empty()) {
      f.packageChecks.push_back(PackageCheck{id, false, holdFailures[i]});
    } else {
      f.packageChecks.push_back(
          CheckPackage(*installer, FileOf(e, f, id), id, digests, *run.held[i]));
    }
  }
  f.packagesChecked = true;
  return;
}

}  // namespace

std::wstring ProgramPackageName(bool pro, bool update) {
  return std::wstring(pro ? L"vtr3p" : L"vtr3l") + (update ? L"_update" : L"") + L".msi";
}

std::wstring DatabasePackageName(bool pro, bool update) {
  return std::wstring(pro ? L"vtr3db" : L"vtr3dbl") + (update ? L"_update" : L"") + L".msi";
}

bool StatesKnown(const Request& r, const InstalledStates& states) {
  // A database removal copies the program's switch, so it needs the program's state too, and
  // it takes the other copy's database product away as well.
  const bool needProgram = r.bProgram || (r.bDatabase && r.bRemove);
  return (!needProgram || states.program != ProductKnown::Unknown) &&
         (!r.bDatabase || states.database != ProductKnown::Unknown) &&
         (!(r.bDatabase && r.bRemove) || states.otherDatabase != ProductKnown::Unknown);
}

bool TargetFolderValid(const std::wstring& folder) {
  return IsSafeFolderText(folder) && (folder.empty() || IsAbsoluteFolder(folder));
}

DatabaseFolder DatabaseFolderOf(const std::wstring& gsDBPath) {
  DatabaseFolder d;
  d.folder = gsDBPath;
  d.separator = Contains(d.folder, L"/") ? L"/" : L"\\";
  if (!d.folder.empty() && d.folder.back() == d.separator.front()) {
    d.folder.pop_back();
  }
  // The folder is the one the package makes "MainDB" in; a folder that names "MainDB" itself
  // stands for its parent.
  d.target = EndsWithNoCase(d.folder, L"MainDB") ? SYS_ParentFolder(d.folder, d.folder) : d.folder;
  return d;
}

std::vector<PackageId> PackagesHandedByFile(const Request& r, const EngineFacts& f) {
  const InstalledStates& s = f.installed;
  if (f.gsSystemDir.empty() || !StatesKnown(r, s)) {
    return {};
  }
  // A removal names a package file only when it is the very package that was installed.
  const auto byCode = [&](bool found, const PackageOnMedia& media) {
    return r.bRemove && (!found || media.match != MediaMatch::Same);
  };
  std::vector<PackageId> packages;
  // Removing what is not there would install it.
  if (r.bProgram && !(r.bRemove && !s.gbInstalled)) {
    const bool byProductCode = byCode(f.programPackageFound, f.programMedia);
    if ((!f.programPackageFound && !byProductCode) || !TargetFolderValid(r.gsAppPath)) {
      return {};
    }
    if (!byProductCode) {
      packages.push_back(PackageId::Program);
    }
  }
  const bool runOwn = !r.bRemove || s.gbDBInstalled;
  const bool removeOther = r.bRemove && s.otherDatabase == ProductKnown::Installed;
  if (r.bDatabase && (runOwn || removeOther)) {
    const bool byProductCode = byCode(f.databasePackageFound, f.databaseMedia);
    if ((runOwn && !f.databasePackageFound && !byProductCode) ||
        !TargetFolderValid(DatabaseFolderOf(r.gsDBPath).target)) {
      return {};
    }
    if (runOwn && !byProductCode) {
      packages.push_back(PackageId::Database);
    }
  }
  return packages;
}

DetectedRun DetectRun(Platform& p, const Edition& e, const RunOptions& o, const Request& r,
                      const std::wstring& systemDir, const InstalledStates& known, bool askAgain,
                      const std::function<OnError(const RunError&)>& report) {
  DetectedRun run;
  run.facts.gsSystemDir = systemDir;
  run.facts.installed = known;
  // An error that is not resumed stops the detection, and the run.
  const auto handler = [&](const RunError& error) {
    const OnError decision = report(error);
    if (decision == OnError::Stop) {
      run.stopped = error;
    }
    return decision;
  };
  FindFacts(p, e, o, r, askAgain, run.facts, handler);
  if (!run.stopped) {
    CheckPackages(p, e, PackagesHandedByFile(r, run.facts), run, handler);
  }
  return run;
}

}  // namespace vtr
