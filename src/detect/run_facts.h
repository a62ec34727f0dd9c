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

// The database engine's installer, shipped beside setup on workstation editions.
inline constexpr wchar_t kEngineInstallerName[] = L"AccessDatabaseEngine2010_SP2.exe";

// What checking a package file the run hands to Windows Installer found: that it is the very
// file the release shipped (when the program recorded the release's digests) and a package of
// the product the program expects for its name.
struct PackageCheck {
  PackageId package = PackageId::Program;
  bool passed = false;
  std::wstring detail;  // what was compared, or what differs
};

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
  // Installer reports the engine installed, and whether its installer is beside setup.
  bool engineAsked = false;
  bool personCanAnswer = true;
  ProductKnown databaseEngine = ProductKnown::Unknown;
  bool engineInstallerFound = false;
  // The packages checked before the first one runs; without them, nothing is checked.
  bool packagesChecked = false;
  std::vector<PackageCheck> packageChecks;
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
