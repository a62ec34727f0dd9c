#include "engine/install.h"

#include "detect/install_paths.h"
#include "detect/installed.h"
#include "detect/windows_version.h"
#include "engine/components.h"
#include "engine/install_run.h"
#include "engine/msi_command.h"
#include "util/paths.h"
#include "util/text.h"

namespace vtr {

void InstallRun::Do(const std::function<void()>& statement) {
  try {
    statement();
  } catch (const RunError& e) {
    bError = true;
    const std::wstring text =
        L"errHdl_SYS_Install: " + DescribeError(e.description, e.number) + s.gsCR + s.gsCR;
    if (s.gbDebug) {
      if (p.MsgBox(text + s.gsCR + L"Resume Next?", MsgButtons::YesNo, MsgIcon::None,
                   std::nullopt) == MsgAnswer::Yes) {
        return;
      }
    } else {
      p.MsgBox(text, MsgButtons::Ok, MsgIcon::Critical, std::nullopt);
    }
    throw EndOfRun{};
  }
}

void InstallRun::Fail(const std::wstring& text) {
  bError = true;
  p.MsgBox(text, MsgButtons::Ok, MsgIcon::Critical, std::nullopt);
}

namespace {

// The engine acts on what Windows Installer says is installed; when it could not be asked
// about a product the run needs, guessing "not installed" would stop the updater and
// unregister the e-mail interface of a product that stays, and report success.
bool StatesKnown(const InstallRun& r, const InstalledStates& states) {
  // A database removal copies the program's switch, so it needs the program's state too.
  const bool needProgram = r.bProgram || (r.bDatabase && r.bRemove);
  return (!needProgram || states.program != ProductKnown::Unknown) &&
         (!r.bDatabase || states.database != ProductKnown::Unknown);
}

void Dispatch(InstallRun& r) {
  Session& s = r.s;
  // Every program the engine starts comes from the system folder; without it they would be
  // looked for at the root of the current drive.
  if (s.gsSystemDir.empty()) {
    r.Fail(L"Unable to locate the Windows system folder.");
    throw EndOfRun{};
  }
  r.Do([&] {
    int32_t platformId = 0, minor = 0, build = 0;
    std::wstring servicePack, versionText;
    SYS_GetWindowsVersion(r.p, platformId, r.major, minor, build, servicePack, versionText);
  });
  r.program.fileName = ProgramPackageName(s.gbPro, s.gbUpdate);
  r.database.fileName = DatabasePackageName(s.gbPro, s.gbUpdate);
  InstalledStates states;
  r.Do([&] { SYS_IsInstalled(s, r.p, states); });
  if (!StatesKnown(r, states)) {
    r.Fail(L"Unable to ask Windows Installer which products are installed." + s.gsCR +
           states.failure);
    throw EndOfRun{};
  }

  if (r.bProgram && (r.bRepair || s.gbUpdate || r.bRemove)) {
    r.Do([&] { StopUpdaterService(r); });
    if (r.bRemove) {
      r.Do([&] { UnregisterEmailInterface(r); });
    }
  }
  if (r.bDatabase && !r.bRepair && !r.bRemove) {
    r.Do([&] {
      r.oldData = LeftEqualsNoCase(r.p.GetSetting(s.gsEditionID, kSection, L"Ver", L""), 3, L"3.0");
    });
  }

  ChooseSwitches(r);
  r.Do([&] {
    r.sourceFolder = r.p.OwnFolder();
    r.sourceSeparator = Contains(r.sourceFolder, L"/") ? L"/" : L"\\";
    // The developer's copy takes its packages from a "Package" folder beside it.
    if (EqualsNoCase(r.p.OwnFileName(), L"VTR Setup")) {
      r.sourceFolder = JoinPath(r.sourceFolder, r.sourceSeparator, L"Package");
    }
  });

  if (r.bProgram) {
    RunProgramPackage(r);
  }
  if (r.bDatabase) {
    RunDatabasePackage(r);
  }
  if (!r.bRemove) {
    RunFollowUpSteps(r);
  }
  if (r.offerEngine) {
    r.Do([&] { OfferDatabaseEngine(r); });
  }
}

}  // namespace

bool SYS_Install(Session& s, Platform& p, bool& bProgram, bool& bDatabase, bool& bOutlook,
                 bool& bRepair, bool& bRemove, bool& bProgramFullUI, bool& bDatabaseFullUI,
                 InstallReport& report) {
  InstallRun r(s, p, bProgram, bDatabase, bOutlook, bRepair, bRemove, bProgramFullUI,
               bDatabaseFullUI, report);
  try {
    Dispatch(r);
  } catch (const EndOfRun&) {
    return false;
  }
  return !r.bError;
}

bool SYS_Install(Session& s, Platform& p, bool& bProgram, bool& bDatabase, bool& bOutlook,
                 bool& bRepair, bool& bRemove, bool& bProgramFullUI, bool& bDatabaseFullUI) {
  InstallReport report;
  return SYS_Install(s, p, bProgram, bDatabase, bOutlook, bRepair, bRemove, bProgramFullUI,
                     bDatabaseFullUI, report);
}

}  // namespace vtr
