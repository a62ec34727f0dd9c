#include "engine/apply.h"

#include "detect/install_paths.h"
#include "engine/components.h"
#include "engine/migration.h"
#include "engine/run_programs.h"
#include "util/text.h"

namespace vtr {
namespace {

constexpr wchar_t kMsiexec[] = L"msiexec.exe";

enum class Next { Go, End };

struct Applying {
  Platform& p;
  Plan& plan;
  Outcome& outcome;
  bool programStarted = false;   // the program package's run was started
  bool emailRegistered = false;  // the e-mail interface was registered by this run
};

// A failure message: the run goes on or ends as the step says, and it has failed.
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

// Runs msiexec from the system folder and reports a run that did not start or did not succeed.
// True when the run was started.
bool RunPackage(Applying& a, const PackageRun& run, StepResult& result) {
  const std::wstring& systemDir = a.plan.systemDir;
  const std::wstring commandLine = std::wstring(kMsiexec) + L" " + MsiexecArguments(run);
  std::optional<uint32_t> exitCode;
  const bool started = SYS_CreateP(a.p, a.plan.debug, systemDir + L"\\" + kMsiexec, commandLine,
                                   systemDir, 0, exitCode);
  if (!started) {
    Fail(a, L"Unable to start Windows Installer:" + gsCR + commandLine + gsCR, result);
    result.detail = L"not started";
    return false;
  }
  if (!exitCode) {
    // The wait failed: whatever Windows Installer did, it was not seen to succeed.
    Fail(a, L"Windows Installer did not complete the installation:" + gsCR + run.path + gsCR,
         result);
    result.detail = L"its end was not seen";
    return true;
  }
  result.detail = L"exit code " + std::to_wstring(*exitCode);
  switch (*exitCode) {
    case 0:
      break;
    case 1641:  // success, a restart was started or is needed
    case 3010:
      a.outcome.restartNeeded = true;
      break;
    case 1602:
      Fail(a, L"The installation was cancelled:" + gsCR + run.path + gsCR, result);
      break;
    default:
      Fail(a,
           L"Windows Installer did not complete the installation (error " +
               std::to_wstring(*exitCode) + L"):" + gsCR + run.path + gsCR,
           result);
      break;
  }
  return true;
}

Next ApplyStep(Applying& a, const Step& step, StepResult& result) {
  Platform& p = a.p;
  const Plan& plan = a.plan;
  result.status = StepStatus::Done;
  switch (step.kind) {
    case StepKind::Refuse:
    case StepKind::MissingPackage:
      Fail(a, step.text, result);
      return Next::End;
    case StepKind::InvalidFolder:
      Fail(a, step.text, result);
      return Next::Go;
    case StepKind::StopUpdater:
    case StepKind::UnregisterEmail:
    case StepKind::StartUpdater:
      RunShellStep(p, plan, step);
      return Next::Go;
    case StepKind::AskSwitches:
      AskSwitches(a, step, result);
      return Next::Go;
    case StepKind::AskLevel:
      return AskLevel(a, step, result);
    case StepKind::SaveSetting:
      p.SaveSetting(plan.editionId, kSection, step.what, step.value);
      return Next::Go;
    case StepKind::MoveTemplates:
      MigrateTemplates(p, plan.debug, step.what, step.value);
      return Next::Go;
    case StepKind::ShowCommand:
      p.MsgBox(L"Command: " + std::wstring(kMsiexec) + L" " +
                   MsiexecArguments(plan.Package(step.package)) + L", " + plan.systemDir,
               MsgButtons::Ok, MsgIcon::None, std::nullopt);
      return Next::Go;
    case StepKind::RunPackage: {
      const bool started = RunPackage(a, plan.Package(step.package), result);
      if (step.package == PackageId::Program) {
        a.programStarted = started;
      }
      return Next::Go;
    }
    case StepKind::Register: {
      const bool registered = RegisterComponent(p, plan, step);
      if (!registered) {
        a.outcome.failed = true;
        result.status = StepStatus::Failed;
      }
      if (step.emailInterface) {
        a.emailRegistered = registered;
      }
      return Next::Go;
    }
    case StepKind::SaveEmailForm: {
      const std::wstring& value = a.emailRegistered ? step.valueIfRegistered : step.value;
      if (value.empty()) {
        result.status = StepStatus::Skipped;
        result.detail = L"the e-mail interface was not registered";
      } else {
        p.SaveSetting(plan.editionId, kSection, step.what, value);
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
      }
      return Next::Go;
  }
  return Next::Go;
}

}  // namespace

OnError ReportEngineError(Platform& p, bool debug, Outcome& outcome, const RunError& e) {
  outcome.failed = true;  // also when a developer resumes: the run met an error
  return ReportRunError(p, debug, L"errHdl_SYS_Install: ", e);
}

void ApplyPlan(Platform& p, Plan& plan, Outcome& outcome) {
  Applying a{p, plan, outcome};
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
      return;
    }
  }
}

}  // namespace vtr
