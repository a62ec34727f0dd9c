// What start-up fixes before anything is detected, handed as values to every floor above it:
// the edition this build and run mode are about, and the run options of the command line.
// The field names are those the whole program uses.
#pragma once

#include <cstdint>
#include <string>

namespace vtr {

// How long a silent run of the shipped program waits at most for what holds it up: another
// installation, another copy of setup, the product's program running.
inline constexpr int32_t kShippedWaitLimitMs = 10 * 60 * 1000;

// The edition fixed into the build, and the run mode its file name chose.
struct Edition {
  std::wstring gsEditionID;    // "VTRPRO_3", "VTRPRO_WS", ...
  std::wstring gsVersion;      // the version these packages install
  bool gbPro = false;          // Professional; false is the Lite edition
  bool gbUpdate = false;       // the updater: the update packages, another database product
  bool gbWorkstation = false;  // a workstation edition, which needs the ACE database engine
  std::wstring gsExeName;      // the product's main executable
  std::wstring gsProdID;       // Windows Installer product code of the program package
  std::wstring gsDBProdID;     // ... of the database package (the update build is another one)
  // The database product of the other copy of setup (the full database for the updater, the
  // update database for setup): installed beside this one after an update.
  std::wstring gsOtherDBProdID;
  // "Vantora Contact Management Professional" or "... Lite".
  std::wstring productName;
  // The names of setup's entries in Programs and Features, as users have always seen the
  // products there: "Vantora Contact Management" and "... Database", or "... Lite" and
  // "... Lite Database".
  std::wstring programEntryName;
  std::wstring databaseEntryName;
  // The edition's Active Setup component, which gives every user of the machine the settings
  // a run recorded: a GUID in braces, one of its own for each edition ID.
  std::wstring settingsComponent;
};

// What the command line asked of the run.
struct RunOptions {
  bool gbSilent = false;     // S: no wizard and no prompts
  bool gbDebug = false;      // DEBUG: the developer's prompts and diagnostic boxes
  bool gbLog = false;        // LOG: the setup log and Windows Installer's own logs are written
  bool gbPlan = false;       // PLAN: the plan is shown and nothing is carried out
  bool gbNoRestart = false;  // NORESTART: Windows Installer never restarts the machine itself
  // LOG="<folder>" or LOG="<file>": where the logs are to go; empty for the default folder.
  std::wstring gsLogAsked;
  // The folder Windows Installer's logs go to: the setup log's, or in an elevated run whose
  // setup log goes to a folder that was there before (one LOG named, or the folder of the file
  // it named), one only administrators can change. Empty
  // unless LOG was given and the setup log could be written.
  std::wstring gsLogFolder;
  // What names this run in its setup log lines and its Windows Installer logs; empty
  // without a log.
  std::wstring gsRunId;
  // How long a silent run waits at most (see kShippedWaitLimitMs): the composition root's
  // choice, shorter only in a build for tests.
  int32_t waitLimitMs = kShippedWaitLimitMs;
};

}  // namespace vtr
