#include "engine/components.h"

#include "detect/install_paths.h"
#include "engine/run_programs.h"
#include "util/paths.h"

namespace vtr {
namespace {

// Every system program starts by its full path in the system folder, never by a search that
// would look in the (download) folder the setup program runs from first.
std::wstring SystemFile(const Session& s, const wchar_t* name) {
  return s.gsSystemDir + L"\\" + name;
}

int32_t Shell(InstallRun& r, const std::wstring& file, const std::wstring& parameters,
              const std::wstring& workFolder) {
  return r.p.ShellOpen(L"open", file, parameters, workFolder, kShowNormal);
}

// regsvr32 shows its own dialogs only to a developer at the screen.
std::wstring QuietSwitch(const Session& s) {
  return s.gbDebug && !s.gbSilent ? L"" : L"/s ";
}

// Registers a component with regsvr32. False (after a message) when the shell failed.
bool Register(InstallRun& r, const std::wstring& component, const std::wstring& otherFailure) {
  const Session& s = r.s;
  const int32_t code =
      Shell(r, SystemFile(s, L"regsvr32.exe"), QuietSwitch(s) + component, s.gsSystemDir);
  std::wstring text;
  switch (ClassifyShellResult(code)) {
    case ShellOutcome::Started:
      return true;
    case ShellOutcome::FileNotFound:
      text = L"File Not Found:" + component + s.gsCR +
             L"Please re-install Vantora Contact Management" + s.gsCR;
      break;
    case ShellOutcome::PathNotFound:
      text = L"Path not found:" + s.gsSystemDir;
      break;
    case ShellOutcome::NoAssociation:
      text = L"Windows does not have a program associated for: " + component;
      break;
    case ShellOutcome::Failed:
      text = otherFailure + L" (" + std::to_wstring(code) + L"):" + s.gsCR + component;
      break;
  }
  r.bError = true;
  r.p.MsgBox(text, MsgButtons::Ok, MsgIcon::None, std::nullopt);
  return false;
}

}  // namespace

void StopUpdaterService(InstallRun& r) {
  Shell(r, SystemFile(r.s, L"wodUpdSv.exe"), L"-u", r.s.gsSystemDir);
}

void UnregisterEmailInterface(InstallRun& r) {
  const Session& s = r.s;
  Shell(r, SystemFile(s, L"regsvr32.exe"),
        std::wstring(s.gbDebug ? L"" : L"/s ") + L"/u " + SystemFile(s, L"vtremail.dll"),
        s.gsSystemDir);
}

void RunFollowUpSteps(InstallRun& r) {
  Session& s = r.s;
  if (r.bProgram) {
    if (r.bRepair || s.gbUpdate) {
      r.Do([&] { Shell(r, SystemFile(s, L"wodUpdSv.exe"), L"-i", s.gsSystemDir); });
    }
    if (r.major == 6) {
      r.Do([&] {
        Register(r, SystemFile(s, L"mscomm32.ocx"),
                 L"Sorry, Windows was not able to register a necessary component");
      });
    }
    r.emailForm = s.gbPro ? 13 : 2;
  }
  if (r.bOutlook) {
    r.Do([&] {
      const bool registered = Register(r, SystemFile(s, L"vtremail.dll"),
                                       L"Sorry, Windows was not able to register the Outlook "
                                       L"Email Interface");
      if (registered && s.gbPro) {
        r.emailForm = 12;
      }
    });
  }
  if (r.emailForm > 0) {
    r.Do([&] {
      r.p.SaveSetting(s.gsEditionID, kSection, L"EmailForm", std::to_wstring(r.emailForm));
    });
  }
  if (r.bProgram) {
    r.Do([&] { r.p.SaveSetting(s.gsEditionID, kSection, L"Ver", s.gsVersion); });
  }
}

void OfferDatabaseEngine(InstallRun& r) {
  const Session& s = r.s;
  const std::wstring question =
      r.bRemove
          ? L"Would you like to also remove the Microsoft ACE 2010 Database Engine "
            L"(32-bit)?" +
                s.gsCR + L"(NOTE: This is a necessary component of Microsoft Office 2010)" + s.gsCR
          : L"Microsoft ACE 2010 Database Engine (32-bit) must be installed on your "
            L"system" +
                s.gsCR + L"Would you like to install this now?" + s.gsCR;
  if (r.p.MsgBox(question, MsgButtons::YesNo, MsgIcon::Question,
                 std::wstring(L"Install Database Engine")) != MsgAnswer::Yes) {
    return;
  }
  // The engine's installer does both: it offers removal when the engine is there.
  const int32_t code =
      Shell(r, JoinPath(r.sourceFolder, r.sourceSeparator, r.aceInstaller), L"", r.sourceFolder);
  std::wstring text;
  switch (ClassifyShellResult(code)) {
    case ShellOutcome::Started:
      return;
    case ShellOutcome::FileNotFound:
      text = L"File Not Found:" + r.aceInstaller + s.gsCR +
             L"Vantora Contact Management will not run correctly without the ACE Database "
             L"Engine" +
             s.gsCR;
      break;
    case ShellOutcome::PathNotFound:
      text = L"Path not found:" + r.sourceFolder;
      break;
    case ShellOutcome::NoAssociation:
      text = L"Windows does not have a program associated for: " + r.aceInstaller;
      break;
    case ShellOutcome::Failed:
      text = r.bRemove ? L"Windows was not able to uninstall the Microsoft ACE Database Engine (" +
                             std::to_wstring(code) + L"):" + s.gsCR
                       : L"Sorry, Windows was not able to install the Microsoft ACE Database "
                         L"Engine (" +
                             std::to_wstring(code) + L"):" + s.gsCR;
      break;
  }
  if (!r.bRemove) {
    text += s.gsCR + L"Please try re-installing the program again" + s.gsCR;
  }
  r.bError = true;
  r.p.MsgBox(text, MsgButtons::Ok, MsgIcon::Critical, std::nullopt);
}

}  // namespace vtr
