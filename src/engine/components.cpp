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
  ChildRun run;
  run.started = SYS_CreateP(p, plan.debug, systemDir + L"\\msiexec.exe",
                            L"msiexec.exe " + arguments, systemDir, 0, run.exitCode);
  return run;
}

std::wstring RunRegsvr32(Platform& p, const Plan& plan, const Registration& step,
                         std::wstring& detail) {
  const std::wstring commandLine = gsQuote + step.program + gsQuote + L" " + step.parameters;
  std::optional<uint32_t> code;
  const bool started =
      SYS_CreateP(p, plan.debug, step.program, commandLine, plan.systemDir, 0, code);
  const std::wstring failed =
      (step.unregister ? L"Unable to unregister component:" : L"Unable to register component:") +
      gsCR + step.component + gsCR;
  if (!started) {
    detail = L"not started";
    return failed + L"regsvr32 could not be started";
  }
  if (!code) {
    detail = L"its end was not seen";
    return failed + L"regsvr32 did not report how it ended";
  }
  detail = L"exit code " + std::to_wstring(*code);
  return GoesOn(ClassifyExitCode(ChildProgram::Regsvr32, *code))
             ? std::wstring()
             : failed + L"regsvr32 ended with " + std::to_wstring(*code);
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
  const int32_t code =
      Shell(p, JoinPath(plan.sourceFolder, plan.sourceSeparator, plan.aceInstaller), L"",
            plan.sourceFolder);
  std::wstring text = ShellFailureText(
      code,
      L"File Not Found:" + plan.aceInstaller + gsCR +
          L"Vantora Contact Management will not run correctly without the ACE Database Engine" +
          gsCR,
      plan.sourceFolder, plan.aceInstaller,
      plan.remove ? L"Windows was not able to uninstall the Microsoft ACE Database Engine ("
                  : L"Sorry, Windows was not able to install the Microsoft ACE Database Engine (",
      L"):" + gsCR);
  if (text.empty()) {
    return true;
  }
  if (!plan.remove) {
    text += gsCR + L"Please try re-installing the program again" + gsCR;
  }
  p.MsgBox(text, MsgButtons::Ok, MsgIcon::Critical, std::nullopt);
  return false;
}

}  // namespace vtr
