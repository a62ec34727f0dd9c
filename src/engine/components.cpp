// The updater service, component registration, msiexec and the ACE engine started for a run.
#include "engine/components.h"

#include "engine/outcome.h"
#include "engine/run_programs.h"
#include "util/paths.h"
#include "util/text.h"

namespace vtr {
namespace {

int32_t Shell(Platform& p, const std::wstring& file, const std::wstring& parameters,
              const std::wstring& workFolder) {
  return p.ShellOpen(L"open", file, parameters, workFolder, kShowNormal);
}

}  // namespace

int32_t RunShellStep(Platform& p, const Plan& plan, const std::wstring& program,
                     const std::wstring& parameters) {
  return Shell(p, program, parameters, plan.systemDir);
}

ChildRun RunMsiexec(Platform& p, const Plan& plan, const std::wstring& arguments) {
  const std::wstring& systemDir = plan.systemDir;
  return SYS_CreateP(p, plan.debug, systemDir + L"\\msiexec.exe", L"msiexec.exe " + arguments,
                     systemDir, 0);
}

RegistrationEnd RunRegsvr32(Platform& p, const Plan& plan, const Registration& step) {
  const std::wstring commandLine = gsQuote + step.program + gsQuote + L" " + step.parameters;
  const ChildRun run = SYS_CreateP(p, plan.debug, step.program, commandLine, plan.systemDir, 0);
  const std::wstring failed =
      (step.unregister ? L"Unable to unregister component:" : L"Unable to register component:") +
      gsCR + step.component + gsCR;
  if (!run.started) {
    return {L"not started", failed + L"regsvr32 could not be started"};
  }
  if (!run.exitCode) {
    return {L"its end was not seen", failed + L"regsvr32 did not report how it ended"};
  }
  const uint32_t code = *run.exitCode;
  RegistrationEnd end{L"exit code " + std::to_wstring(code), std::nullopt};
  if (!GoesOn(ClassifyExitCode(ChildProgram::Regsvr32, code))) {
    end.failure = failed + L"regsvr32 ended with " + std::to_wstring(code);
  }
  return end;
}

bool OfferDatabaseEngine(Platform& p, const Plan& plan) {
  const std::wstring question =
      plan.remove
          ? L"Would you like to also remove the Microsoft ACE 2010 Database Engine (32-bit)?" +
                gsCR + L"(NOTE: This is a necessary component of Microsoft Office 2010)" + gsCR
          : L"Microsoft ACE 2010 Database Engine (32-bit) must be installed on your system" + gsCR +
                L"Would you like to install this now?" + gsCR;
  if (p.MsgBox(question, MsgButtons::YesNo, MsgIcon::Question,
               std::wstring(L"Install Database Engine")) != MsgAnswer::Yes) {
    return true;
  }
  // The engine's installer does both: it offers removal when the engine is there.
  const int32_t code = Shell(p, plan.aceInstallerPath, L"", plan.sourceFolder);
  std::optional<std::wstring> text = ShellFailureText(
      code,
      L"File Not Found:" + plan.aceInstaller + gsCR +
          L"Vantora Contact Management will not run correctly without the ACE Database Engine" +
          gsCR,
      plan.sourceFolder, plan.aceInstaller,
      plan.remove ? L"Windows was not able to uninstall the Microsoft ACE Database Engine ("
                  : L"Sorry, Windows was not able to install the Microsoft ACE Database Engine (",
      L"):" + gsCR);
  if (!text) {
    return true;
  }
  if (!plan.remove) {
    *text += gsCR + L"Please try re-installing the program again" + gsCR;
  }
  p.MsgBox(*text, MsgButtons::Ok, MsgIcon::Critical, std::nullopt);
  return false;
}

}  // namespace vtr
