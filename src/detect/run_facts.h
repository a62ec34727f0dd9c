// The detection for a run of the install engine: everything the plan needs, found once before
// planning (the products' states, the Windows version, the stored version, the rights for the
// settings for every user, the package files and their check), as one value.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "detect/installed.h"
#include "detect/request.h"
#include "detect/run_setup.h"
#include "platform/platform.h"
#include "platform/run_error.h"

namespace vtr {

// The program, this copy's database, and the other copy's database product (removed by its
// product code after an update).
enum class PackageId { Program, Database, OtherDatabase };

// "vtr3p.msi", "vtr3db_update.msi", ... for the edition and run mode.
std::wstring ProgramPackageName(bool pro, bool update);
std::wstring DatabasePackageName(bool pro, bool update);

// The database engine's installer, offered beside the program on a workstation edition.
inline constexpr wchar_t kEngineInstaller[] = L"AccessDatabaseEngine2010_SP2.exe";

// What checking a file the run hands to another program found: that it is the very file the
// release shipped (when the program recorded the release's digests) and, for a package, a
// package of the product the program expects for its name.
struct PackageCheck {
  std::wstring fileName;
  std::wstring source;  // where it came from, for the box that names a damaged file
  bool passed = false;
  std::wstring detail;  // what was compared, or what differs
};

// A file the run keeps in the protected cache: setup itself, a package it runs by file, the
// database engine's installer. The copy is what is checked and what is handed on.
struct CachedFile {
  enum class Kind { Setup, Package, Engine };
  Kind kind = Kind::Package;
  std::wstring name;             // the same in the cache as at its source
  std::wstring source;           // where it is copied from (the media), or the copy itself
  std::wstring copy;             // its place in the cache
  std::wstring productCode;      // a package's: the product it must be of
  std::optional<uint64_t> size;  // the source's, as Windows reported it
  bool inPlace = false;          // already in the cache (the cached setup runs): held, not copied
  std::wstring digest;           // the copy's SHA-256, once it is made
};

// Where Programs and Features finds the programs installed, below HKEY_LOCAL_MACHINE.
inline constexpr wchar_t kUninstallKey[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

// What the engine asks of the machine when a run starts.
struct EngineFacts {
  std::wstring gsSystemDir;  // every system program is started from here; "" when unknown
  InstalledStates installed;
  int32_t windowsMajor = 0;
  std::wstring windowsName;
  std::wstring lastVersion;  // the stored "Ver" (read for a database install only)
  // Settings for every user, asked of a run that records settings or removes the program:
  // whether it may write the machine-wide copy and the Active Setup component, and if not,
  // why; and the system folder as Windows' own programs see it, which holds reg.exe.
  bool machineAsked = false;
  bool machineWritable = false;
  std::wstring machineUnwritable;
  std::wstring nativeSystemDir;
  // Whether the run may write and remove setup's entries in Programs and Features (below
  // kUninstallKey), and if not, why.
  bool entriesWritable = false;
  std::wstring entriesUnwritable;
  std::wstring ownFileName;   // the setup program's own name, for the missing-package message
  std::wstring sourceFolder;  // where the packages are: the program's own folder
  std::wstring sourceSeparator;
  bool programPackageFound = false;
  bool databasePackageFound = false;
  // For a removal: whether each package found on the media is the one installed.
  PackageOnMedia programMedia;
  PackageOnMedia databaseMedia;
  // A workstation edition's run that installs, updates or repairs the program: whether a person
  // can answer the database engine's offer; for a run nobody can answer, whether Windows
  // Installer reports the engine installed (engineInstallerFound, below, says whether its
  // installer is beside setup).
  bool engineAsked = false;
  bool personCanAnswer = true;
  ProductKnown databaseEngine = ProductKnown::Unknown;
  // The packages checked before the first one runs; without them, nothing is checked.
  bool packagesChecked = false;
  std::vector<PackageCheck> packageChecks;
  // The protected cache "%ProgramData%\Vantora\Setup Cache\<edition ID>": "" when Windows
  // named no folder for it. The cached setup runs from it when ownFolder is the cache.
  std::wstring cacheFolder;
  std::wstring ownFolder;
  bool runsFromCache = false;
  uint32_t processId = 0;  // the cached setup that removes its cache moves itself aside by it
  // The database engine's installer is beside setup (looked for when the run may start it).
  bool engineInstallerFound = false;
  // A removal whose package is not on the media: the cached copy is the package installed.
  bool programInCache = false;
  bool databaseInCache = false;
  // What the run copies into the cache (PLAN: would copy), in order, and why the cache could
  // not be made or a file not copied ("" when all went well).
  std::vector<CachedFile> cached;
  std::wstring cacheFailure;
};

// True when the engine knows enough of the installed states for the request: it acts on what
// Windows Installer says and never guesses "not installed".
bool StatesKnown(const Request& r, const InstalledStates& states);

// A folder with characters Windows never allows, or a relative one (Windows Installer would
// take it from its own current folder), is refused before it reaches a command line.
bool TargetFolderValid(const std::wstring& folder);

// The database folder of a request as the package is handed it.
struct DatabaseFolder {
  std::wstring folder;     // as asked, without a closing separator
  std::wstring target;     // the folder the package makes "MainDB" in
  std::wstring separator;  // the one the folder uses
};
DatabaseFolder DatabaseFolderOf(const std::wstring& gsDBPath);

// The packages whose files a run hands to Windows Installer (not those it removes by their
// product code), in the order they run: none when the run cannot start (a package it needs is
// missing, a folder is invalid, a state is unknown).
std::vector<PackageId> PackagesHandedByFile(const Request& r, const EngineFacts& f);

// Whether the run may start the database engine's installer: a workstation edition whose
// program package runs.
bool MayStartEngineInstaller(const Edition& e, const Request& r, const EngineFacts& f);

// Whether the run leaves no product of the edition installed, so that it removes the cache:
// a removal of both products (or of the one that is installed).
bool RemovesCache(const Request& r, const InstalledStates& s);

// The detection's result: what it found, the package files it checked (held against change
// until every Windows Installer run has ended), and the error that stopped it, when one did.
struct DetectedRun {
  EngineFacts facts;
  std::vector<std::unique_ptr<HeldFile>> held;
  std::optional<RunError> stopped;
};

// Detects what the run needs. The products' states come in as the caller found them; with
// askAgain Windows Installer is asked again (a query that fails keeps what the caller found).
// A statement that raises goes to report; one that is not resumed stops the detection.
DetectedRun DetectRun(Platform& p, const Edition& e, const RunOptions& o, const Request& r,
                      const std::wstring& systemDir, const InstalledStates& known, bool askAgain,
                      const std::function<OnError(const RunError&)>& report);

}  // namespace vtr
