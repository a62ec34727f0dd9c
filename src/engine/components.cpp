// The updater service, component registration, msiexec and the ACE engine started for a run.
#include "engine/components.h"

#include "util/paths.h"
#include "util/text.h"

namespace vtr {

UpdaterEnd RunUpdater(Platform& p, const Plan& plan, const std::wstring& program,
                      const std::wstring& parameters, bool start) {
  const ChildRun run = SYS_CreateP(
      p, plan.debug, program, gsQuote + program + gsQuote + L" " + parameters, plan.systemDir, 0);
  // Only a program that is not there is skipped: an error that a box showed is a failure.
  if (!run.started && !run.reported) {
    return {
        true, false, L"not started: without the updater service program there is no service", {}};
  }
  UpdaterEnd end{false, run.reported,
                 run.exitCode   ? L"exit code " + std::to_wstring(*run.exitCode)
                 : run.reported ? std::wstring(L"an error stopped it")
                                : std::wstring(L"its end was not seen"),
                 std::nullopt};
  if (run.exitCode && GoesOn(ClassifyExitCode(ChildProgram::Updater, *run.exitCode))) {
    return end;
  }
  end.failure =
      start ? L"The updater service of Vantora Contact Management could not be installed again:" +
                  gsCR + program + L" " + parameters + L" (" + end.detail + L")" + gsCR
            : L"the updater service was not stopped (" + end.detail +
                  L": the service may still run; the run goes on)";
  return end;
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

EngineEnd RunEngineInstaller(Platform& p, const Plan& plan, const std::wstring& parameters) {
  const std::wstring& path = plan.aceInstallerPath;
  const std::wstring commandLine =
      gsQuote + path + gsQuote + (parameters.empty() ? L"" : L" " + parameters);
  const ChildRun run = SYS_CreateP(p, plan.debug, path, commandLine, FolderOfProgram(path), 0);
  // Without the engine the program cannot open its database; a removal only leaves it behind.
  const std::wstring advice =
      plan.remove ? L""
                  : L"Vantora Contact Management will not run correctly without the ACE "
                    L"Database Engine." +
                        gsCR;
  EngineEnd end{Result::Failure, L"", std::nullopt};
  if (!run.started) {
    end.detail = L"not started";
    end.failure = L"Unable to start the installer of the Microsoft ACE Database Engine:" + gsCR +
                  path + gsCR + advice;
    return end;
  }
  if (!run.exitCode) {
    end.detail = L"its end was not seen";
    end.failure =
        L"The installer of the Microsoft ACE Database Engine did not report how it "
        L"ended:" +
        gsCR + path + gsCR + advice;
    return end;
  }
  const uint32_t code = *run.exitCode;
  end.detail = L"exit code " + std::to_wstring(code);
  end.result = ClassifyExitCode(ChildProgram::EngineInstaller, code);
  if (!GoesOn(end.result)) {
    end.failure =
        (plan.remove
             ? L"Windows was not able to uninstall the Microsoft ACE Database Engine (error "
             : L"Sorry, Windows was not able to install the Microsoft ACE Database Engine "
               L"(error ") +
        std::to_wstring(code) + L"):" + gsCR + path + gsCR + advice;
  }
  return end;
}

std::optional<EngineEnd> OfferDatabaseEngine(Platform& p, const Plan& plan) {
  const std::wstring question =
      plan.remove
          ? L"Would you like to also remove the Microsoft ACE 2010 Database Engine (32-bit)?" +
                gsCR + L"(NOTE: This is a necessary component of Microsoft Office 2010)" + gsCR
          : L"Microsoft ACE 2010 Database Engine (32-bit) must be installed on your system" + gsCR +
                L"Would you like to install this now?" + gsCR;
  if (p.MsgBox(question, MsgButtons::YesNo, MsgIcon::Question,
               std::wstring(L"Install Database Engine")) != MsgAnswer::Yes) {
    return std::nullopt;
  }
  // The engine's installer does both: it offers removal when the engine is there.
  return RunEngineInstaller(p, plan, L"");
}

}  // namespace vtr
