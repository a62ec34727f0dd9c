// Applying a plan: one loop over its steps, each carried out through the platform, and on a
// failure the planned rollback of what completed, in reverse.
#include "engine/apply.h"

#include "detect/install_paths.h"
#include "engine/cache_steps.h"
#include "engine/components.h"
#include "engine/entries.h"
#include "engine/every_user.h"
#include "engine/migration.h"
#include "engine/msi_command.h"
#include "engine/program_closed.h"
#include "engine/run_programs.h"
#include "engine/take_back.h"
#include "engine/waiting.h"
#include "util/text.h"

namespace vtr {
namespace {

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
  std::vector<std::unique_ptr<HeldFile>>& held;
  // What takes back each thing the run did, in the order it was done.
  std::vector<Undo> undo;
};

// A failure message: the run has failed and stops after this step.
void Fail(Applying& a, const std::wstring& text, StepResult& result) {
  a.outcome.Meet(Result::Failure);
  result.status = StepStatus::Failed;
  a.p.MsgBox(text, MsgButtons::Ok, MsgIcon::Critical, std::nullopt);
}

// The reinstall-letters prompt; an empty answer means a plain "/f ".
Next Do(Applying& a, const AskSwitches& step, StepResult& result) {
  std::wstring& switches = a.plan.Package(step.package).switches;
  std::wstring answer = a.p.InputBox(step.question, a.p.OwnTitle(), switches);
  if (answer.empty()) {
    answer = L"/f ";
  }
  if (answer.back() != L' ') {
    answer += L' ';
  }
  switches = answer;
  result.detail = L"switches \"" + answer + L"\"";
  return Next::Go;
}

// The interface-level prompt: an empty answer offers to cancel the whole run.
Next Do(Applying& a, const AskLevel& step, StepResult& result) {
  std::wstring& level = a.plan.Package(step.package).level;
  std::wstring answer = a.p.InputBox(step.prompt, a.p.OwnTitle(), level);
  if (answer.empty()) {
    if (a.p.MsgBox(L"Cancel install?", MsgButtons::YesNo, MsgIcon::Exclamation, std::nullopt) ==
        MsgAnswer::Yes) {
      a.outcome.Meet(Result::Cancelled);
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

// Runs the package and reports a run that did not start or did not succeed.
Next Do(Applying& a, const RunPackage& step, StepResult& result) {
  const PackageRun& run = a.plan.Package(step.package);
  if (!InstallerFree(a.p, a.plan.silent, a.plan.waitLimitMs)) {
    a.outcome.Meet(Result::Busy);
    result.status = StepStatus::Failed;
    result.detail = L"another installation is in progress";
    if (a.plan.silent) {
      // The wizard's user chose Cancel and needs no more telling.
      Fail(a,
           L"Another installation is still in progress after " + WaitLimitText(a.plan.waitLimitMs) +
               L":" + gsCR + run.path + gsCR + L"Run setup again when it has finished.",
           result);
    }
    return Next::End;
  }
  const ChildRun child = RunMsiexec(a.p, a.plan, MsiexecArguments(run));
  if (step.package == PackageId::Program) {
    a.programStarted = child.started;
  }
  if (!child.started) {
    Fail(a,
         L"Unable to start Windows Installer:" + gsCR + L"msiexec.exe " + MsiexecArguments(run) +
             gsCR,
         result);
    result.detail = L"not started";
    return Next::End;
  }
  if (!child.exitCode) {
    // The wait failed: whatever Windows Installer did, it was not seen to succeed.
    Fail(a, L"Windows Installer did not complete the installation:" + gsCR + run.path + gsCR,
         result);
    result.detail = L"its end was not seen";
    return Next::End;
  }
  const uint32_t code = *child.exitCode;
  result.detail = L"exit code " + std::to_wstring(code);
  const Result met = ClassifyExitCode(ChildProgram::Msiexec, code);
  a.outcome.Meet(met == Result::Cancelled ? Result::Failure : met);
  switch (met) {
    case Result::Success:
    case Result::SuccessRestartNeeded:
      return Next::Go;
    case Result::RestartStarted:  // nothing more starts while Windows restarts
      return Next::End;
    case Result::Cancelled:
      // A cancel in Windows Installer's own window fails the run: what it did is taken back.
      Fail(a, L"The installation was cancelled:" + gsCR + run.path + gsCR, result);
      return Next::End;
    case Result::Busy:
    case Result::ProductRunning:
    case Result::Failure:
      break;
  }
  Fail(a,
       L"Windows Installer did not complete the installation (error " + std::to_wstring(code) +
           L"):" + gsCR + run.path + gsCR,
       result);
  return Next::End;
}

// regsvr32 on the step's component.
Next Do(Applying& a, const Registration& step, StepResult& result) {
  // A component whose file is not there was never registered: there is nothing to unregister.
  if (step.unregister && a.p.FindFirst(step.component, kAttrNormal).empty()) {
    result.status = StepStatus::Skipped;
    result.detail = L"the file is not there";
    return Next::Go;
  }
  const RegistrationEnd end = RunRegsvr32(a.p, a.plan, step);
  result.detail = end.detail;
  if (end.failure) {
    Fail(a, *end.failure, result);
    return Next::End;
  }
  if (step.emailInterface && !step.unregister) {
    a.emailRegistered = true;
  }
  return Next::Go;
}

// Records a setting, filling in what takes it back: its old value, or its removal.
void Record(Applying& a, const std::wstring& key, const std::wstring& value) {
  const std::wstring old = a.p.GetSetting(a.plan.editionId, kSection, key, kNoSetting);
  a.p.SaveSetting(a.plan.editionId, kSection, key, value);
  a.undo.push_back(PutBackSetting{
      key, true, old == kNoSetting ? std::nullopt : std::optional<std::wstring>(old)});
}

Next Do(Applying& a, const SaveSetting& step, StepResult&) {
  Record(a, step.key, step.value);
  return Next::Go;
}

Next Do(Applying& a, const SaveEmailForm& step, StepResult& result) {
  const std::wstring& value = a.emailRegistered ? step.valueIfRegistered : step.value;
  if (value.empty()) {
    result.status = StepStatus::Skipped;
    result.detail = L"the e-mail interface was not registered";
  } else {
    Record(a, L"EmailForm", value);
    result.detail = L"\"" + value + L"\"";
  }
  return Next::Go;
}

Next Do(Applying& a, const MoveTemplates& step, StepResult&) {
  for (const auto& [from, to] : MigrateTemplates(a.p, a.plan.debug, step.folder, step.separator)) {
    a.undo.push_back(MoveBack{to, from});
  }
  return Next::Go;
}

Next Do(Applying& a, const ShowCommand& step, StepResult&) {
  a.p.MsgBox(L"Command: msiexec.exe " + MsiexecArguments(a.plan.Package(step.package)) + L", " +
                 a.plan.systemDir,
             MsgButtons::Ok, MsgIcon::None, std::nullopt);
  return Next::Go;
}

// What the database engine's installer came to: a failure fails the run.
Next EngineEnded(Applying& a, const EngineEnd& end, StepResult& result) {
  result.detail = end.detail;
  if (end.failure) {
    Fail(a, *end.failure, result);
    return Next::End;
  }
  a.outcome.Meet(end.result);
  return Next::Go;
}

// The engine's steps come only after a program package's run that started.
bool ProgramNotStarted(const Applying& a, StepResult& result) {
  if (!a.programStarted) {
    result.status = StepStatus::Skipped;
    result.detail = L"the program package's run was not started";
  }
  return !a.programStarted;
}

Next Do(Applying& a, const OfferEngine&, StepResult& result) {
  if (ProgramNotStarted(a, result)) {
    return Next::Go;
  }
  const std::optional<EngineEnd> end = OfferDatabaseEngine(a.p, a.plan);
  result.detail = L"declined";
  return end ? EngineEnded(a, *end, result) : Next::Go;
}

Next Do(Applying& a, const InstallDatabaseEngine&, StepResult& result) {
  return ProgramNotStarted(a, result)
             ? Next::Go
             : EngineEnded(a, RunEngineInstaller(a.p, a.plan, kEngineQuietSwitch), result);
}

// The updater service stopped (a failure lets the run go on) or installed again (a failure
// fails the run); a program that is not there is skipped, and an error a box showed fails the
// run either way.
Next UpdaterEnded(Applying& a, const UpdaterEnd& end, bool start, StepResult& result) {
  result.detail = end.detail;
  result.status = end.skipped ? StepStatus::Skipped : StepStatus::Done;
  if (end.reported) {
    a.outcome.Meet(Result::Failure);
    result.status = StepStatus::Failed;
    return Next::End;
  }
  if (end.failure && start) {
    Fail(a, *end.failure, result);
    return Next::End;
  }
  if (end.failure) {
    a.p.WriteStandardError(L"VTR Setup: " + *end.failure);
  }
  return Next::Go;
}

Next Do(Applying& a, const StopUpdater& step, StepResult& result) {
  return UpdaterEnded(a, RunUpdater(a.p, a.plan, step.program, step.parameters, false), false,
                      result);
}

Next Do(Applying& a, const StartUpdater& step, StepResult& result) {
  return UpdaterEnded(a, RunUpdater(a.p, a.plan, step.program, step.parameters, true), true,
                      result);
}

Next Do(Applying& a, const SaveMachineSetting& step, const Undo& planned, StepResult& result) {
  const std::wstring& value = a.emailRegistered ? step.valueIfRegistered : step.value;
  if (value.empty()) {
    result.status = StepStatus::Skipped;
    result.detail = L"nothing was recorded for this account";
  } else {
    result.detail = ApplyMachineSetting(a.p, std::get<PutBackRegistryValue>(planned), value, a.undo,
                                        a.machineCopyChanged);
  }
  return Next::Go;
}

// Keeping the cache fails no run: the products are as the run left them, and a file left in
// the cache is no harm. What did not go is said, in a box at the end of a removal.
Next Do(Applying& a, const ForgetCachedFile& step, StepResult& result) {
  Attempt([&] { a.p.RemoveFile(step.path); },
          [&](const RunError& e) {
            result.status = StepStatus::Failed;
            result.detail = L"it stays: " + DescribeError(e.description, e.number);
            return OnError::Stop;
          });
  return Next::Go;
}

Next Do(Applying& a, const RemoveCache& step, StepResult& result) {
  Attempt([&] { RemoveTheCache(a.p, step, a.held); },
          [&](const RunError& e) {
            result.status = StepStatus::Failed;
            result.detail = DescribeError(e.description, e.number);
            a.p.MsgBox(CacheLeftText(step, result.detail), MsgButtons::Ok, MsgIcon::Exclamation,
                       std::nullopt);
            return OnError::Stop;
          });
  return Next::Go;
}

Next ApplyStep(Applying& a, const Step& step, StepResult& result) {
  result.status = StepStatus::Done;
  return std::visit(
      Overloaded{
          [&](const CachedCopies&) {
            result.detail = L"every copy passed";
            return Next::Go;
          },
          [&](const SaveMachineSetting& s) { return Do(a, s, step.rollback, result); },
          [&](const RegisterEveryUser& s) {
            result.detail = ApplyEveryUserComponent(a.p, s, a.machineCopyChanged, a.undo);
            return Next::Go;
          },
          [&](const ProgramClosed& s) {
            return ProgramClosedNow(a.p, a.plan, s, a.outcome, result) ? Next::Go : Next::End;
          },
          [&](const RemoveEveryUser& s) {
            ApplyRemoveEveryUser(a.p, a.plan, s);
            return Next::Go;
          },
          [&](const EntryStep auto& s) {
            ApplyEntryStep(a.p, s, step.rollback, a.undo, result);
            return Next::Go;
          },
          [&](const auto& s) { return Do(a, s, result); },
      },
      step.action);
}

}  // namespace

OnError ReportEngineError(Platform& p, bool debug, Outcome& outcome, const RunError& e) {
  outcome.Meet(Result::Failure);  // also when a developer resumes: the run met an error
  return ReportRunError(p, debug, L"errHdl_SYS_Install: ", e);
}

void ApplyPlan(Platform& p, Plan& plan, Outcome& outcome,
               std::vector<std::unique_ptr<HeldFile>>& held) {
  Applying a{p, plan, outcome, false, false, false, held, {}};
  // A refused plan has no step: its box stands where the first step would be.
  const std::size_t count = plan.refusal ? 1 : plan.steps.size();
  outcome.steps.assign(count, StepResult{});
  for (std::size_t i = 0; i < count; ++i) {
    StepResult& result = outcome.steps[i];
    Next next = Next::Go;
    const bool resumed = Attempt(
        [&] {
          if (plan.refusal) {
            Fail(a, plan.refusal->box, result);
            next = Next::End;
          } else {
            next = ApplyStep(a, plan.steps[i], result);
          }
        },
        [&](const RunError& e) {
          result.status = StepStatus::Failed;
          result.detail = DescribeError(e.description, e.number);
          return ReportEngineError(p, plan.debug, outcome, e);
        });
    p.WriteLog(L"step " + std::to_wstring(i + 1) + L": " + StatusWord(result.status) +
               (result.detail.empty() ? L"" : L" (" + result.detail + L")"));
    // The planned rollback of a step done goes on the list as it is, unless the run filled it in.
    if (!plan.refusal && result.status == StepStatus::Done &&
        TakenBackAsPlanned(plan.steps[i].rollback)) {
      a.undo.push_back(plan.steps[i].rollback);
    }
    if (!resumed || next == Next::End) {
      // A run that stopped on a failure or a cancel takes back what it did; a restart that
      // Windows Installer started is no failure.
      if (outcome.Failed()) {
        TakeBack(p, plan, a.undo, outcome);
      }
      return;
    }
  }
}

}  // namespace vtr
