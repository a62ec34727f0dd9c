// Taking a run back: each rollback step carried out, newest first, and the run told how it went.
#include "engine/take_back.h"

#include "detect/install_paths.h"
#include "engine/components.h"
#include "engine/msi_command.h"
#include "engine/run_programs.h"
#include "util/text.h"

namespace vtr {
namespace {

// Carries out one rollback step. Failures are not boxed: they are counted, logged and summed up
// in one message at the end.
void Carry(Platform& p, const Plan& plan, const Undo& undo, StepResult& result) {
  result.status = StepStatus::Done;
  std::visit(
      Overloaded{
          [&](const RemoveProduct& u) {
            const ChildRun child = RunMsiexec(p, plan, RollbackArguments(plan.Package(u.package)));
            result.detail = !child.started   ? L"not started"
                            : child.exitCode ? L"exit code " + std::to_wstring(*child.exitCode)
                                             : L"its end was not seen";
            const Result met = child.exitCode
                                   ? ClassifyExitCode(ChildProgram::Msiexec, *child.exitCode)
                                   : Result::Failure;
            if (!GoesOn(met) && met != Result::RestartStarted) {
              result.status = StepStatus::Failed;
            }
          },
          [&](const KeepProduct&) {
            result.status = StepStatus::Skipped;
            result.detail = L"the old package is not at hand to take this back";
          },
          [&](const StartUpdater& u) {
            const UpdaterEnd end = RunUpdater(p, plan, u.program, u.parameters, true);
            result.detail =
                end.skipped ? L"not started: there is no updater service program" : end.detail;
            result.status = end.skipped   ? StepStatus::Skipped
                            : end.failure ? StepStatus::Failed
                                          : StepStatus::Done;
          },
          [&](const Registration& u) {
            const RegistrationEnd end = RunRegsvr32(p, plan, u);
            result.detail = end.detail;
            if (end.failure) {
              result.status = StepStatus::Failed;
            }
          },
          [&](const MoveBack& u) {
            if (!p.MoveFileTo(u.what, u.to)) {
              result.status = StepStatus::Failed;
            }
          },
          [&](const PutBackSetting& u) {
            if (u.old) {
              p.SaveSetting(plan.editionId, kSection, u.key, *u.old);
            } else {
              p.DeleteSetting(plan.editionId, kSection, u.key);
            }
          },
          [&](const PutBackRegistryValue& u) {
            if (u.old) {
              p.SetRegistryValue(u.hive, u.key, u.name, *u.old);
            } else {
              p.DeleteRegistryValue(u.hive, u.key, u.name);
            }
          },
          [&](const RemoveRegistryKey& u) { p.DeleteRegistryKey(u.hive, u.key); },
          [&](const auto&) { result.status = StepStatus::Skipped; },
      },
      undo);
}

}  // namespace

bool TakenBackAsPlanned(const Undo& undo) {
  return std::holds_alternative<RemoveProduct>(undo) || std::holds_alternative<KeepProduct>(undo) ||
         std::holds_alternative<StartUpdater>(undo) || std::holds_alternative<Registration>(undo);
}

void TakeBack(Platform& p, const Plan& plan, const std::vector<Undo>& done, Outcome& outcome) {
  if (done.empty()) {
    return;
  }
  bool complete = true;
  for (auto it = done.rbegin(); it != done.rend(); ++it) {
    StepResult result;
    Attempt([&] { Carry(p, plan, *it, result); },
            [&](const RunError& e) {
              result.status = StepStatus::Failed;
              result.detail = DescribeError(e.description, e.number);
              return OnError::Stop;
            });
    complete &= result.status != StepStatus::Failed;
    const std::wstring line = L"taking back: " + DescribeUndo(plan, *it) + L": " +
                              StatusWord(result.status) +
                              (result.detail.empty() ? L"" : L" (" + result.detail + L")");
    p.WriteLog(line);
    // A line that cannot be written never keeps the rest of the run from being taken back.
    Attempt([&] { p.WriteStandardError(L"VTR Setup: " + line); },
            [](const RunError&) { return OnError::Stop; });
    outcome.rollback.push_back(RolledBack{*it, result});
  }
  if (!plan.silent) {
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

}  // namespace vtr
