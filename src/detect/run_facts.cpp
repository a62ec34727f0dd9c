// The detection for a run: everything the plan needs, found once, and the run's files cached.
#include "detect/run_facts.h"

#include <utility>

#include "detect/detected.h"
#include "detect/folders.h"
#include "detect/install_paths.h"
#include "detect/run_cache.h"
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

// Where the protected cache is, and whether setup runs from it. A folder Windows does not name
// leaves the cache unknown, and the run is refused before its first step.
void FindCache(Platform& p, const Edition& e, const Request& r, EngineFacts& f) {
  const std::optional<std::wstring> common = p.FolderPath(kCsidlCommonAppData);
  if (!common || common->empty()) {
    f.cacheFailure = L"Windows did not name the folder for every user's application data";
    return;
  }
  f.cacheFolder = JoinPath(*common, L"\\", L"Vantora\\Setup Cache\\" + e.gsEditionID);
  std::wstring own = f.ownFolder;
  if (!own.empty() && (own.back() == L'\\' || own.back() == L'/')) {
    own.pop_back();
  }
  f.runsFromCache = EqualsNoCase(own, f.cacheFolder);
  if (f.runsFromCache) {
    f.sourceSeparator = L"\\";
    if (RemovesCache(r, f.installed)) {
      f.processId = p.Identity().processId;
    }
  }
}

// A removal's package: the one on the media when it is the package installed, else the cache's
// copy when that is.
void FindInstalledPackage(Platform& p, const std::wstring& productCode, const std::wstring& name,
                          EngineFacts& f, bool& found, PackageOnMedia& media, bool& inCache) {
  if (found) {
    media = ComparePackage(p, productCode, JoinPath(f.sourceFolder, f.sourceSeparator, name));
  }
  if ((found && media.match == MediaMatch::Same) || f.runsFromCache || f.cacheFolder.empty() ||
      !SYS_File_FileCheck(p, name, f.cacheFolder, false)) {
    return;
  }
  const PackageOnMedia cached =
      ComparePackage(p, productCode, JoinPath(f.cacheFolder, L"\\", name));
  if (cached.match == MediaMatch::Same) {
    found = true;
    media = cached;
    inCache = true;
  }
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
  // A removal that takes the database away takes the other copy's with it; one that leaves
  // no database of this copy asks whether the other copy's stays, which keeps the cache.
  if (r.bRemove && (r.bDatabase || f.installed.database == ProductKnown::NotInstalled)) {
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
  Attempt([&] { f.entriesWritable = p.CanWriteRegistryKey(RegistryHive::Machine, kUninstallKey); },
          [&](const RunError& error) {
            f.entriesUnwritable =
                L"whether this run may write to HKEY_LOCAL_MACHINE cannot be "
                L"told: " +
                DescribeError(error.description, error.number);
            return OnError::Stop;
          });
  if (!f.entriesWritable && f.entriesUnwritable.empty()) {
    f.entriesUnwritable =
        L"this run may not write to HKEY_LOCAL_MACHINE (it runs without administrator rights)";
  }
  if (!Attempt(
          [&] {
            f.ownFolder = p.OwnFolder();
            f.sourceFolder = f.ownFolder;
            f.sourceSeparator = Contains(f.sourceFolder, L"/") ? L"/" : L"\\";
            f.ownFileName = p.OwnFileName();
            FindCache(p, e, r, f);
            // The developer's copy takes its packages from a "Package" folder beside it; its
            // cached copy has them beside it in the cache.
            if (EqualsNoCase(f.ownFileName, L"VTR Setup") && !f.runsFromCache) {
              f.sourceFolder = JoinPath(f.sourceFolder, f.sourceSeparator, L"Package");
            }
          },
          handler)) {
    return;
  }
  // The database engine: a person is offered it; a run nobody can answer installs it when it
  // is missing, so it must know that before it starts.
  if (e.gbWorkstation && r.bProgram && !r.bRemove &&
      !Attempt(
          [&] {
            f.engineAsked = true;
            f.personCanAnswer = !o.gbSilent || p.PersonCanAnswer();
            if (!f.personCanAnswer) {
              f.databaseEngine = AskProductState(p, kDatabaseEngineProductCode);
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
  // A removal names a package file only when it is the very package that was installed: the
  // one on the media, else the copy the cache kept of it.
  if (r.bRemove && f.installed.gbInstalled && r.bProgram) {
    FindInstalledPackage(p, e.gsProdID, ProgramPackageName(e.gbPro, e.gbUpdate), f,
                         f.programPackageFound, f.programMedia, f.programInCache);
  }
  if (r.bRemove && f.installed.gbDBInstalled && r.bDatabase) {
    FindInstalledPackage(p, e.gsDBProdID, DatabasePackageName(e.gbPro, e.gbUpdate), f,
                         f.databasePackageFound, f.databaseMedia, f.databaseInCache);
  }
  if (MayStartEngineInstaller(e, r, f)) {
    f.engineInstallerFound = SYS_File_FileCheck(p, kEngineInstaller, f.sourceFolder, false);
  }
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

namespace {

// The packages handed on by file; nothing when the run cannot start.
std::optional<std::vector<PackageId>> HandedByFile(const Request& r, const EngineFacts& f) {
  const InstalledStates& s = f.installed;
  if (f.gsSystemDir.empty() || !StatesKnown(r, s)) {
    return std::nullopt;
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
      return std::nullopt;
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
      return std::nullopt;
    }
    if (runOwn && !byProductCode) {
      packages.push_back(PackageId::Database);
    }
  }
  return packages;
}

}  // namespace

std::vector<PackageId> PackagesHandedByFile(const Request& r, const EngineFacts& f) {
  return HandedByFile(r, f).value_or(std::vector<PackageId>{});
}

bool MayStartEngineInstaller(const Edition& e, const Request& r, const EngineFacts& f) {
  return e.gbWorkstation && r.bProgram && !(r.bRemove && !f.installed.gbInstalled);
}

bool RemovesCache(const Request& r, const InstalledStates& s) {
  const bool programGone = r.bProgram || s.program == ProductKnown::NotInstalled;
  const bool databaseGone = r.bDatabase || (s.database == ProductKnown::NotInstalled &&
                                            s.otherDatabase == ProductKnown::NotInstalled);
  return r.bRemove && programGone && databaseGone;
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
  if (run.stopped) {
    return run;
  }
  // A run that cannot start is refused by its plan: it copies nothing.
  if (const auto packages = HandedByFile(r, run.facts)) {
    CacheAndCheck(p, e, o, r, *packages, run, handler);
  }
  return run;
}

}  // namespace vtr
