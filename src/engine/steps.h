// The kinds of step a plan holds, each a small value with only what it needs, and the kinds of
// step that take a run back: planned beside each step, carried out when a later one fails.
#pragma once

#include <optional>
#include <string>
#include <variant>

#include "detect/run_facts.h"
#include "platform/platform.h"

namespace vtr {

// What a run does.

// The run's files were copied into the protected cache (Plan::cached), their copies passed
// their check (Plan::packageChecks) and are held against change.
struct CachedCopies {};
// The product's updater service stopped, or installed again: the service program (by its full
// path) started as a child process in the system folder and waited for. Where the program is
// not there, there is no service to stop or start. A stop that fails lets the run go on (the
// service was not removed, and Windows Installer replaces files in use at the next restart); a
// start that fails fails the run, since the product would be left without its updater.
struct StopUpdater {
  std::wstring program;
  std::wstring parameters;
};
struct StartUpdater {
  std::wstring program;
  std::wstring parameters;
};
// regsvr32 registering or unregistering a component, a file in the system folder; waited for.
struct Registration {
  std::wstring component;
  std::wstring program;  // regsvr32 by its full path
  std::wstring parameters;
  bool unregister = false;
  bool emailInterface = false;  // the Outlook e-mail interface
};
// Debug: the developer is asked for the package's reinstall switches.
struct AskSwitches {
  PackageId package = PackageId::Program;
  std::wstring question;
};
// Debug: the developer is asked for the package's interface level; an empty answer offers to
// cancel the run ("Cancel install?").
struct AskLevel {
  PackageId package = PackageId::Program;
  std::wstring prompt;
};
// A setting recorded in the user's own store.
struct SaveSetting {
  std::wstring key;
  std::wstring value;
};
// "EmailForm": value, or valueIfRegistered once the run registered the e-mail interface; ""
// records nothing.
struct SaveEmailForm {
  std::wstring value;
  std::wstring valueIfRegistered;
};
// A 3.0 database's templates, labels, reports and envelopes moved aside below folder.
struct MoveTemplates {
  std::wstring folder;
  std::wstring separator;
};
// Debug: the package's command line shown in a box.
struct ShowCommand {
  PackageId package = PackageId::Program;
};
// msiexec on the package; waits first while another installation is in progress (the wizard
// asks with a Retry/Cancel box).
struct RunPackage {
  PackageId package = PackageId::Program;
};
// The machine-wide copy of a setting the run records, with the values its own step has.
struct SaveMachineSetting {
  std::wstring key;
  std::wstring value;
  std::wstring valueIfRegistered;
};
// The Active Setup component that copies the machine-wide settings into each user's store: its
// GUID, its name, and as StubPath reg.exe (program) with its parameters.
struct RegisterEveryUser {
  std::wstring component;
  std::wstring name;
  std::wstring program;
  std::wstring parameters;
};
// The component and the machine-wide copy removed.
struct RemoveEveryUser {
  std::wstring component;
};
// The ACE database engine offered with a Yes/No box (only once the program's run started); Yes
// starts its installer (Plan::aceInstallerPath) as a child process and waits for it.
struct OfferEngine {};
// The ACE database engine installed without a box, by its installer with its quiet switch: a
// run nobody can answer, on a machine where the engine is missing (only once the program's run
// started).
struct InstallDatabaseEngine {};
// The switch that makes the database engine's installer install without a window.
inline constexpr wchar_t kEngineQuietSwitch[] = L"/quiet";
// A cached file no repair of what is installed needs any more, deleted from the cache.
struct ForgetCachedFile {
  std::wstring path;
  std::wstring why;
};
// The cache removed with everything in it, and the folders above it that are left empty. The
// cached setup that runs from it (runningCopy) first moves itself aside (to aside, in the
// folder above, where only administrators can write), and is deleted at the next restart.
struct RemoveCache {
  std::wstring folder;
  std::wstring runningCopy;
  std::wstring aside;
  std::wstring leaveTo;  // the running setup's new current folder: the system folder
};

// The product's program (its full path, in the program folder the run acts on) is not running,
// before a run changes an installed product: the wizard asks the user to close it (Retry or
// Cancel), a silent run waits for it to end. Setup never closes it itself.
struct ProgramClosed {
  std::wstring program;
};
// Setup's own entry in Programs and Features for the program or the database (package is
// Program or Database), below HKEY_LOCAL_MACHINE in the machine's own view, written or refreshed
// once the product's package ran. Its version is asked of Windows Installer then; its size is
// counted then, from the files below the install location.
struct WriteEntry {
  PackageId package = PackageId::Program;
  std::wstring key;
  std::wstring displayName;
  std::wstring productCode;      // whose version Windows Installer is asked for
  std::wstring fallbackVersion;  // the version this setup's packages carry
  std::wstring installLocation;
  std::wstring displayIcon;
  std::wstring uninstall;       // the cached setup: the wizard on its maintenance panel
  std::wstring quietUninstall;  // the cached setup removing the product silently
  bool keepDate = false;        // a repair keeps the install date that is there
  // A product this run does not run: its entry is refreshed where it is there, never made, as
  // Windows Installer's own entry of the product was not hidden.
  bool onlyWhenThere = false;
};
// Setup's entry of a product removed (once the product is gone).
struct RemoveEntry {
  PackageId package = PackageId::Program;
  std::wstring key;
};

using Action = std::variant<CachedCopies, StopUpdater, StartUpdater, Registration, AskSwitches,
                            AskLevel, SaveSetting, SaveEmailForm, MoveTemplates, ShowCommand,
                            RunPackage, SaveMachineSetting, RegisterEveryUser, RemoveEveryUser,
                            OfferEngine, InstallDatabaseEngine, ForgetCachedFile, RemoveCache,
                            ProgramClosed, WriteEntry, RemoveEntry>;

// What takes a step back. StartUpdater and Registration above serve as well.

// The step changes nothing on the machine.
struct NothingToTakeBack {};
// What the step does stays, and why.
struct CannotTakeBack {
  std::wstring why;
};
// msiexec /x {product code} of a package this run newly installed.
struct RemoveProduct {
  PackageId package = PackageId::Program;
};
// The package updated, repaired or removed the product; Windows Installer's result stays.
struct KeepProduct {
  PackageId package = PackageId::Program;
};
// A setting gets back the value it held just before the run wrote it, or goes when it had none.
// That value is known only to the run: it fills it in (known) as it writes the setting.
struct PutBackSetting {
  std::wstring key;
  bool known = false;
  std::optional<std::wstring> old;
};
// The templates moved aside go back; the run lists each file it moved as a MoveBack.
struct MoveTemplatesBack {
  std::wstring folder;
};
struct MoveBack {
  std::wstring what;  // where the run moved the file
  std::wstring to;    // where it was
};
// A registry value outside the settings store gets back what it held just before the run
// wrote it (known once the run filled it in), or goes when it was not there.
struct PutBackRegistryValue {
  RegistryHive hive = RegistryHive::Machine;
  std::wstring key;
  std::wstring name;
  bool known = false;
  std::optional<RegistryValue> old;
};
// A key the run made goes with its values.
struct RemoveRegistryKey {
  RegistryHive hive = RegistryHive::Machine;
  std::wstring key;
};
// The Active Setup component as it was: the run lists each value it changed (a
// PutBackRegistryValue, or a RemoveRegistryKey for a component it made).
struct TakeBackEveryUser {
  std::wstring component;
};

// Setup's entry as it was: the run lists each value it changed (a PutBackRegistryValue, or a
// RemoveRegistryKey for an entry it made).
struct TakeBackEntry {
  std::wstring key;
};

using Undo =
    std::variant<NothingToTakeBack, CannotTakeBack, RemoveProduct, KeepProduct, StartUpdater,
                 Registration, PutBackSetting, MoveTemplatesBack, MoveBack, PutBackRegistryValue,
                 RemoveRegistryKey, TakeBackEveryUser, TakeBackEntry>;

// A step of the plan and what takes it back if the run fails after it.
struct Step {
  Action action;
  Undo rollback;
};

// What stops a run before its first step, with the box that says so.
struct Refusal {
  enum class Why { CannotAsk, MissingPackage, InvalidFolder, DamagedPackage, CacheFailed };
  Why why = Why::CannotAsk;
  std::wstring box;
};

// For std::visit with one lambda per kind.
template <typename... Kinds>
struct Overloaded : Kinds... {
  using Kinds::operator()...;
};
template <typename... Kinds>
Overloaded(Kinds...) -> Overloaded<Kinds...>;

}  // namespace vtr
