#include "engine/apply.h"

#include "detect/install_paths.h"
#include "engine/components.h"
#include "engine/every_user.h"
#include "engine/migration.h"
#include "engine/run_programs.h"
#include "engine/waiting.h"
#include "util/text.h"

namespace vtr {
namespace {

constexpr wchar_t kMsiexec[] = L"msiexec.exe";

enum class Next { Go, End };

// A value no setting can hold (the store's texts end at their first NUL): what reading a setting
// that is not there gives back.
const std::wstring kNoSetting(1, L'\0');

struct Applying {
  Platform& p;
  Plan& plan;
  Outcome& outcome;
  bool programStarted = false;      // the program package's run was started
  bool emailRegistered = false;     // the e-mail interface was registered by this run
  bool machineCopyChanged = false;  // the machine-wide copy of the settings was changed
  // What takes back each thing the run did, in the order it was done.
  std::vector<Step> undo;
};

// A failure message: the run has failed and stops after this step.
void Fail(Applying& a, const std::wstring& text, StepResult& result) {
  a.outcome.failed = true;
  result.status = StepStatus::Failed;
  a.p.MsgBox(text, MsgButtons::Ok, MsgIcon::Critical, std::nullopt);
}

// The reinstall-letters prompt; an empty answer means a plain "/f ".
void AskSwitches(Applying& a, const Step& step, StepResult& result) {
  std::wstring& switches = a.plan.Package(step.package).switches;
  std::wstring answer = a.p.InputBox(step.text, a.p.OwnTitle(), switches);
  if (answer.empty()) {
    answer = L"/f ";
  }
  if (answer.back() != L' ') {
    answer += L' ';
  }
  switches = answer;
  result.detail = L"switches \"" + answer + L"\"";
}

// The interface-level prompt: an empty answer offers to cancel the whole run.
Next AskLevel(Applying& a, const Step& step, StepResult& result) {
  std::wstring& level = a.plan.Package(step.package).level;
  std::wstring answer = a.p.InputBox(step.text, a.p.OwnTitle(), level);
  if (answer.empty()) {
    if (a.p.MsgBox(L"Cancel install?", MsgButtons::YesNo, MsgIcon::Exclamation, std::nullopt) ==
        MsgAnswer::Yes) {
      a.outcome.cancelled = true;
      result.detail = L"cancelled";
      return Next::End;
    }
    answer = L" /qb-";
  }
  if (answer.front() != L' ') {
    answer.insert(0, L" ");
  }
  level = answer;
  result.detail = L"level \"" + answer + L"\"";
  return Next::Go;
}

// Runs msiexec from the system folder with the arguments and waits for it. The exit code, or
// nothing when it did not start or its end was not seen (detail says which).
std::optional<uint32_t> RunMsiexec(Applying& a, const std::wstring& arguments, bool& started) {
  const std::wstring& systemDir = a.plan.systemDir;
  const std::wstring commandLine = std::wstring(kMsiexec) + L" " + arguments;
  std::optional<uint32_t> exitCode;
  started = SYS_CreateP(a.p, a.plan.debug, systemDir + L"\\" + kMsiexec, commandLine, systemDir, 0,
                        exitCode);
  return exitCode;
}

// Runs the package and reports a run that did not start or did not succeed. What takes the
// package's run back goes on the undo list once it has succeeded.
// Before a Windows Installer run: waits while another installation is in progress. A silent
// run waits on its own; the wizard asks the user to wait and choose Retry. False when it is
// still busy (the time ran out, or the user chose Cancel).
bool InstallerFree(Applying& a) {
  Platform& p = a.p;
  const auto busy = [&] { return p.NamedMutexExists(kInstallerBusyMutex); };
  if (a.plan.silent) {
    return WaitWhileBusy(p, busy,
                         L"another installation is in progress. This run waits up to 10 minutes "
                         L"for it to finish.");
  }
  while (busy()) {
    if (p.MsgBox(L"Another installation is in progress. Wait until it has finished, then choose "
                 L"Retry.",
                 MsgButtons::RetryCancel, MsgIcon::Exclamation, std::nullopt) != MsgAnswer::Retry) {
      return false;
    }
  }
  return true;
}

Next RunPackage(Applying& a, const Step& step, StepResult& result) {
  const PackageRun& run = a.plan.Package(step.package);
  if (!InstallerFree(a)) {
    a.outcome.busy = true;
    a.outcome.failed = true;
    result.status = StepStatus::Failed;
    result.detail = L"another installation is in progress";
    if (a.plan.silent) {
      // The wizard's user chose Cancel and needs no more telling.
      Fail(a,
           L"Another installation is still in progress after 10 minutes:" + gsCR + run.path + gsCR +
               L"Run setup again when it has finished.",
           result);
    }
    return Next::End;
  }
  bool started = false;
  const std::optional<uint32_t> exitCode = RunMsiexec(a, MsiexecArguments(run), started);
  if (step.package == PackageId::Program) {
    a.programStarted = started;
  }
  if (!started) {
    Fail(a,
         L"Unable to start Windows Installer:" + gsCR + std::wstring(kMsiexec) + L" " +
             MsiexecArguments(run) + gsCR,
         result);
    result.detail = L"not started";
    return Next::End;
  }
  if (!exitCode) {
    // The wait failed: whatever Windows Installer did, it was not seen to succeed.
    Fail(a, L"Windows Installer did not complete the installation:" + gsCR + run.path + gsCR,
         result);
    result.detail = L"its end was not seen";
    return Next::End;
  }
  result.detail = L"exit code " + std::to_wstring(*exitCode);
  switch (*exitCode) {
    case 0:
    case 3010:  // success; a restart completes it
      a.outcome.restartNeeded |= *exitCode == 3010;
      if (!run.installedBefore && !a.plan.remove) {
        Step remove = step;
        remove.kind = StepKind::RemoveProduct;
        a.undo.push_back(remove);
      } else {
        Step keep = step;
        keep.kind = StepKind::KeepProduct;
        a.undo.push_back(keep);
      }
      return Next::Go;
    case 1641:  // success, and Windows Installer is restarting the computer: nothing more starts
      a.outcome.restartStarted = true;
      return Next::End;
    case 1602:
      Fail(a, L"The installation was cancelled:" + gsCR + run.path + gsCR, result);
      return Next::End;
    case 1618:
      a.outcome.busy = true;
      break;
    default:
      break;
  }
  Fail(a,
       L"Windows Installer did not complete the installation (error " + std::to_wstring(*exitCode) +
           L"):" + gsCR + run.path + gsCR,
       result);
  return Next::End;
}

// regsvr32 on the step's component; what takes it back goes on the undo list once it succeeded.
Next RunRegistration(Applying& a, const Step& step, StepResult& result) {
  // A component whose file is not there was never registered: there is nothing to unregister.
  if (step.kind == StepKind::Unregister && a.p.FindFirst(step.what, kAttrNormal).empty()) {
    result.status = StepStatus::Skipped;
    result.detail = L"the file is not there";
    return Next::Go;
  }
  const std::wstring failure = RunRegsvr32(a.p, a.plan, step, result.detail);
  if (!failure.empty()) {
    Fail(a, failure, result);
    return Next::End;
  }
  const bool unregistered = step.kind == StepKind::Unregister;
  if (step.emailInterface && !unregistered) {
    a.emailRegistered = true;
  }
  a.undo.push_back(RegistrationStep(a.plan, step.what, !unregistered, step.emailInterface));
  return Next::Go;
}

// Records a setting, keeping what takes it back: its old value, or its removal.
void SaveSetting(Applying& a, const std::wstring& key, const std::wstring& value) {
  const std::wstring old = a.p.GetSetting(a.plan.editionId, kSection, key, kNoSetting);
  Step undo;
  undo.what = key;
  if (old == kNoSetting) {
    undo.kind = StepKind::RemoveSetting;
  } else {
    undo.kind = StepKind::SaveSetting;
    undo.value = old;
  }
  a.p.SaveSetting(a.plan.editionId, kSection, key, value);
  a.undo.push_back(undo);
}

Next ApplyStep(Applying& a, const Step& step, StepResult& result) {
  Platform& p = a.p;
  const Plan& plan = a.plan;
  result.status = StepStatus::Done;
  switch (step.kind) {
    case StepKind::CheckPackages:
      if (step.text.empty()) {
        result.detail = L"every package passed";
        return Next::Go;
      }
      Fail(a, step.text, result);
      return Next::End;
    case StepKind::Refuse:
    case StepKind::MissingPackage:
    case StepKind::InvalidFolder:
      Fail(a, step.text, result);
      return Next::End;
    case StepKind::StopUpdater: {
      RunShellStep(p, plan, step);
      Step start = step;
      start.kind = StepKind::StartUpdater;
      start.parameters = L"-i";
      a.undo.push_back(start);
      return Next::Go;
    }
    case StepKind::StartUpdater:
      RunShellStep(p, plan, step);
      return Next::Go;
    case StepKind::Unregister:
    case StepKind::Register:
      return RunRegistration(a, step, result);
    case StepKind::AskSwitches:
      AskSwitches(a, step, result);
      return Next::Go;
    case StepKind::AskLevel:
      return AskLevel(a, step, result);
    case StepKind::SaveSetting:
      SaveSetting(a, step.what, step.value);
      return Next::Go;
    case StepKind::MoveTemplates:
      for (const auto& [from, to] : MigrateTemplates(p, plan.debug, step.what, step.value)) {
        Step back;
        back.kind = StepKind::RestoreFile;
        back.what = to;
        back.value = from;
        a.undo.push_back(back);
      }
      return Next::Go;
    case StepKind::ShowCommand:
      p.MsgBox(L"Command: " + std::wstring(kMsiexec) + L" " +
                   MsiexecArguments(plan.Package(step.package)) + L", " + plan.systemDir,
               MsgButtons::Ok, MsgIcon::None, std::nullopt);
      return Next::Go;
    case StepKind::RunPackage:
      return RunPackage(a, step, result);
    case StepKind::SaveEmailForm: {
      const std::wstring& value = a.emailRegistered ? step.valueIfRegistered : step.value;
      if (value.empty()) {
        result.status = StepStatus::Skipped;
        result.detail = L"the e-mail interface was not registered";
      } else {
        SaveSetting(a, step.what, value);
        result.detail = L"\"" + value + L"\"";
      }
      return Next::Go;
    }
    case StepKind::OfferEngine:
      if (!a.programStarted) {
        result.status = StepStatus::Skipped;
        result.detail = L"the program package's run was not started";
      } else if (!OfferDatabaseEngine(p, plan)) {
        a.outcome.failed = true;
        result.status = StepStatus::Failed;
        return Next::End;
      }
      return Next::Go;
    case StepKind::SaveMachineSetting: {
      const std::wstring& value = a.emailRegistered ? step.valueIfRegistered : step.value;
      if (value.empty()) {
        result.status = StepStatus::Skipped;
        result.detail = L"nothing was recorded for this account";
      } else {
        result.detail = ApplyMachineSetting(p, plan, step, value, a.undo, a.machineCopyChanged);
      }
      return Next::Go;
    }
    case StepKind::RegisterEveryUser:
      result.detail = ApplyEveryUserComponent(p, step, a.machineCopyChanged, a.undo);
      return Next::Go;
    case StepKind::RemoveEveryUser:
      ApplyRemoveEveryUser(p, plan, step);
      return Next::Go;
    case StepKind::RemoveProduct:
    case StepKind::KeepProduct:
    case StepKind::RestoreFile:
    case StepKind::RemoveSetting:
    case StepKind::PutBackRegistryValue:
    case StepKind::RemoveRegistryKey:
      break;  // made only while taking a run back
  }
  return Next::Go;
}

// Carries out one step that takes back what the run did. Failures are not boxed: they are
// counted, logged and summed up in one message at the end.
void UndoStep(Applying& a, const Step& step, StepResult& result) {
  Platform& p = a.p;
  const Plan& plan = a.plan;
  result.status = StepStatus::Done;
  switch (step.kind) {
    case StepKind::RemoveProduct: {
      bool started = false;
      const std::optional<uint32_t> code =
          RunMsiexec(a, RollbackArguments(plan.Package(step.package)), started);
      result.detail = !started ? L"not started"
                      : code   ? L"exit code " + std::to_wstring(*code)
                               : L"its end was not seen";
      if (!code || (*code != 0 && *code != 3010 && *code != 1641)) {
        result.status = StepStatus::Failed;
      }
      return;
    }
    case StepKind::KeepProduct:
      result.status = StepStatus::Skipped;
      result.detail = L"the old package is not at hand to take this back";
      return;
    case StepKind::StartUpdater:
      RunShellStep(p, plan, step);
      return;
    case StepKind::Register:
    case StepKind::Unregister:
      if (!RunRegsvr32(p, plan, step, result.detail).empty()) {
        result.status = StepStatus::Failed;
      }
      return;
    case StepKind::RestoreFile:
      if (!p.MoveFileTo(step.what, step.value)) {
        result.status = StepStatus::Failed;
      }
      return;
    case StepKind::SaveSetting:
      p.SaveSetting(plan.editionId, kSection, step.what, step.value);
      return;
    case StepKind::RemoveSetting:
      p.DeleteSetting(plan.editionId, kSection, step.what);
      return;
    case StepKind::PutBackRegistryValue:
    case StepKind::RemoveRegistryKey:
      TakeBackRegistry(p, step);
      return;
    default:
      result.status = StepStatus::Skipped;
      return;
  }
}

// Takes back, in reverse order, what the run did before it stopped; says so in the log, on
// standard error and, to a person, in one box.
void TakeBack(Applying& a) {
  Platform& p = a.p;
  if (a.undo.empty()) {
    return;
  }
  bool complete = true;
  for (auto it = a.undo.rbegin(); it != a.undo.rend(); ++it) {
    StepResult result;
    Attempt([&] { UndoStep(a, *it, result); },
            [&](const RunError& e) {
              result.status = StepStatus::Failed;
              result.detail = DescribeError(e.description, e.number);
              return OnError::Stop;
            });
    complete &= result.status != StepStatus::Failed;
    const std::wstring line = L"taking back: " + DescribeStep(a.plan, *it) + L": " +
                              StatusWord(result.status) +
                              (result.detail.empty() ? L"" : L" (" + result.detail + L")");
    p.WriteLog(line);
    p.WriteStandardError(L"VTR Setup: " + line);
  }
  a.outcome.takenBack = true;
  a.outcome.takeBackIncomplete = !complete;
  if (!a.plan.silent) {
    if (complete) {
      p.MsgBox(L"Setup did not finish. The changes it made have been taken back.", MsgButtons::Ok,
               MsgIcon::Information, std::nullopt);
    } else {
      p.MsgBox(L"Setup did not finish, and some of the changes it made could not be taken back." +
                   gsCR + L"Run Setup again to repair or remove Vantora Contact Management.",
               MsgButtons::Ok, MsgIcon::Exclamation, std::nullopt);
    }
  }
}

}  // namespace

OnError ReportEngineError(Platform& p, bool debug, Outcome& outcome, const RunError& e) {
  outcome.failed = true;  // also when a developer resumes: the run met an error
  return ReportRunError(p, debug, L"errHdl_SYS_Install: ", e);
}

void ApplyPlan(Platform& p, Plan& plan, Outcome& outcome) {
  Applying a{p, plan, outcome, false, false, false, {}};
  outcome.steps.assign(plan.steps.size(), StepResult{});
  for (std::size_t i = 0; i < plan.steps.size(); ++i) {
    StepResult& result = outcome.steps[i];
    Next next = Next::Go;
    const bool resumed = Attempt([&] { next = ApplyStep(a, plan.steps[i], result); },
                                 [&](const RunError& e) {
                                   result.status = StepStatus::Failed;
                                   result.detail = DescribeError(e.description, e.number);
                                   return ReportEngineError(p, plan.debug, outcome, e);
                                 });
    p.WriteLog(L"step " + std::to_wstring(i + 1) + L": " + StatusWord(result.status) +
               (result.detail.empty() ? L"" : L" (" + result.detail + L")"));
    if (!resumed || next == Next::End) {
      // A run that stopped on a failure or a cancel takes back what it did; a restart that
      // Windows Installer started is no failure.
      if (outcome.failed || outcome.cancelled) {
        TakeBack(a);
      }
      return;
    }
  }
}

}  // namespace vtr
