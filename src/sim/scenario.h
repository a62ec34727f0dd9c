// A scenario: the Windows machine the simulator plays, read from JSON. docs/scenarios.md
// describes every field and its default.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "platform/platform.h"
#include "platform/run_error.h"
#include "sim/file_system.h"
#include "sim/no_case_table.h"
#include "sim/user_events.h"

namespace vtr::sim {

struct ProcessRule {
  std::wstring match;  // part of the command line or program path, ignoring case
  bool started = true;
  bool waitFails = false;  // waiting for it fails (WAIT_FAILED): it has not been seen to end
  uint32_t exitCode = 0;
  std::vector<std::pair<std::wstring, int32_t>> setProductStates;
  std::vector<FileEntry> createFiles;
  std::vector<WinPath> removeFiles;
};

struct Fault {
  std::string op;
  std::optional<int> call;  // 1-based; every call when absent
  RunError error;           // raised, unless the call answers with result instead
  std::optional<nlohmann::json> result;
};

// A folder query's scripted answer: a path, or nothing when the query fails.
using FolderAnswers = std::map<int, std::optional<std::wstring>>;

using SettingsTable = NoCaseTable<NoCaseTable<NoCaseTable<std::wstring>>>;
// The registry outside the settings store, by the key's full name ("HKLM\\Software\\...",
// "HKCU\\Software\\...") and the value's name ("" is the key's default value).
using RegistryTable = NoCaseTable<NoCaseTable<RegistryValue>>;

// The full name of a key below a hive, as the registry table keeps it.
std::wstring RegistryKeyName(RegistryHive hive, const std::wstring& key);

// The part of the transcript a scenario's expected file holds. The lines that are not calls
// (the user's events, snapshots, notes, the exit and the final state) always belong to it.
struct Pin {
  bool whole = true;          // every line
  std::set<std::string> ops;  // else the calls of these operations
};

// The package code of every installed product and package file a scenario says nothing of.
inline constexpr wchar_t kSamePackageCode[] = L"{00000000-0000-0000-0000-0000000000AA}";

struct Scenario {
  std::wstring ownFolder = L"C:\\Downloads";
  std::wstring ownFileName = L"SetupVTR";
  std::wstring commandLine;
  std::optional<std::wstring> editionId;
  std::wstring userName = L"user";
  std::optional<OsVersionRecord> osVersion;  // nothing: the query fails
  FolderAnswers folders;                     // answered by both folder queries
  FolderAnswers folderPath;                  // overrides for SHGetFolderPath
  FolderAnswers specialFolderPath;           // overrides for SHGetSpecialFolderPath
  std::optional<std::wstring> systemFolder = L"C:\\windows\\system32";
  bool standardFoldersExist = true;
  std::optional<RunError> installerFails;
  NoCaseTable<int32_t> productStates;
  NoCaseTable<RunError> productStateFails;
  // The package code Windows Installer keeps for an installed product, and the package code
  // in a package file's summary information (by the file's path); where none is given both
  // read as kSamePackageCode, so the media holds the very packages that were installed.
  NoCaseTable<std::wstring> installedPackageCodes;
  // The version Windows Installer keeps for an installed product (its "VersionString"); ""
  // where none is given.
  NoCaseTable<std::wstring> installedVersions;
  NoCaseTable<std::wstring> packageFileCodes;
  // A package file's ProductCode (by the file's path); where none is given, the product code
  // the file's name stands for, as the build made the package.
  NoCaseTable<std::wstring> packageProductCodes;
  // A package file's SHA-256 (by the file's path); where none is given, the digest the program
  // recorded for the file's name (the untouched media), else 64 zeros.
  NoCaseTable<std::wstring> packageFileDigests;
  // The digests a release recorded in the program, by file name; none for a developer's build.
  NoCaseTable<std::wstring> recordedDigests;
  SettingsTable settings;
  RegistryTable registry;
  // false: the run has no administrator rights, and HKEY_LOCAL_MACHINE is read-only to it.
  bool administrator = true;
  std::vector<FileEntry> files;
  std::vector<MsgAnswer> msgboxAnswers;
  std::vector<std::optional<std::wstring>> inputboxAnswers;      // nothing: cancelled
  std::vector<std::optional<std::wstring>> folderPickerAnswers;  // nothing: cancelled
  std::vector<ProcessRule> processes;
  // false: no desktop shell runs, so a program launched for the user is setup's own child.
  bool desktopShell = true;
  std::vector<Fault> faults;
  std::vector<UserEvent> events;           // the user at the wizard window, in order
  bool personCanAnswer = true;             // false: the window station is not visible
  std::optional<std::wstring> tempFolder;  // nothing: the query fails
  // GetTempPath2's folder for a run as the system account on a Windows that has it; "" for
  // another account or an older Windows.
  std::wstring systemTempFolder;
  LocalTime now{2024, 5, 1, 10, 22, 33};
  // Named mutexes another process holds when the run starts: for this many polls (a test of
  // the name or an attempt to claim it, each), or for ever (nothing).
  std::map<std::wstring, std::optional<int>> othersHold;
  // Programs that run when the run starts, by the folded full path of their program file
  // (WinPath::Key): seen running by this many looks, or for ever (nothing).
  std::map<std::wstring, std::optional<int>> runningPrograms;
  std::wstring computerName = L"WS01";
  uint32_t processId = 4242;
  Pin pin;
};

// Reads a scenario. Anything wrong (a field of the wrong type, an unknown field, a path
// that is not absolute, bad UTF-8) throws std::invalid_argument naming the field.
Scenario ParseScenario(const nlohmann::json& json);

// Every operation of the transcript, and whether it is an action: a call that changes
// something or that the user sees (a box, a process, a setting written, a file made, a line
// written), as opposed to a query that only asks. This one list decides what "actions" pins,
// and scripts/compare_actions.py reads it through vtrsim --operations.
enum class OpKind { Action, Query };
struct Operation {
  const char* name;
  OpKind kind;
};
const std::vector<Operation>& Operations();

// Every operation name that the transcript uses and a fault may name.
const std::vector<std::string>& OperationNames();

// {"MsgBox": "action", ..., "GetSetting": "query", ...}: the list above as JSON.
nlohmann::ordered_json OperationKinds();

// Whether a transcript line belongs to the pinned part.
bool PinKeeps(const Pin& pin, const nlohmann::ordered_json& line);

// The operations that can report failure through their result as well as by raising, each
// with the failing answers Windows gives through it: {"StartProcess": [null],
// "StartAsDesktopUser": ["notStarted"], ...}. A fault may make such a call answer any result of the
// same kind.
const nlohmann::ordered_json& FailureResults();

// The "service pack" field as Windows fills a 128-character buffer preset with blanks.
std::wstring ServicePackField(const std::wstring& text);

// The Windows 7 that Wine shows a 32-bit program, for a user of this name.
OsVersionRecord DefaultOsVersion();
FolderAnswers DefaultFolders(const std::wstring& userName);

}  // namespace vtr::sim
