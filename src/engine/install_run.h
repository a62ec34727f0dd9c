// The working state of one install-engine run, shared by the dispatcher and its steps.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "engine/install.h"
#include "platform/platform.h"
#include "startup/session.h"

namespace vtr {

// What one package's Windows Installer run is made of.
struct PackageCommand {
  std::wstring fileName;    // "vtr3p.msi", ...
  std::wstring switches;    // "/I ", "/x ", "/famus ", ... always ending in a blank
  std::wstring properties;  // "ALLUSERS=2", "REMOVE=ALL", ... TARGETDIR is added when run
  std::wstring level;       // " /qn", " /qb-", ...
};

// Thrown to end the run early: a missing package or a cancel at a debug prompt.
struct EndOfRun {};

struct InstallRun {
  InstallRun(Session& session, Platform& platform, bool& program_, bool& database_, bool& outlook,
             bool& repair, bool& remove, bool& programFullUI, bool& databaseFullUI,
             InstallReport& outcome)
      : s(session),
        p(platform),
        bProgram(program_),
        bDatabase(database_),
        bOutlook(outlook),
        bRepair(repair),
        bRemove(remove),
        bProgramFullUI(programFullUI),
        bDatabaseFullUI(databaseFullUI),
        report(outcome) {}

  Session& s;
  Platform& p;
  bool& bProgram;
  bool& bDatabase;
  bool& bOutlook;
  bool& bRepair;
  bool& bRemove;
  bool& bProgramFullUI;
  bool& bDatabaseFullUI;
  InstallReport& report;

  int32_t major = 0;  // Windows major version
  PackageCommand program;
  PackageCommand database;
  std::wstring aceInstaller = L"AccessDatabaseEngine2010_SP2.exe";
  std::wstring sourceFolder;
  std::wstring sourceSeparator;
  bool oldData = false;      // the last installed version was 3.0
  bool offerEngine = false;  // the ACE engine is to be offered
  int16_t emailForm = 0;
  bool bError = false;  // a failure message has been shown

  // Runs one statement under the engine's error handler: the error is reported, and in a
  // debug run the developer may resume with the next statement; otherwise the run ends.
  void Do(const std::function<void()>& statement);
  // Shows a failure message and remembers that the run failed.
  void Fail(const std::wstring& text);
};

}  // namespace vtr
