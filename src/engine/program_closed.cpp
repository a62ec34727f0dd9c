// The product's program closed before an update, repair or removal: planned first, then the
// wizard's Retry/Cancel box or a silent run's wait. Setup never closes the program itself: what
// its user has not saved would be lost.
#include "engine/program_closed.h"

#include "engine/waiting.h"
#include "util/paths.h"
#include "util/text.h"

namespace vtr {

void PlanProgramClosed(const Edition& e, const Request& r, Plan& plan) {
  bool changesInstalled = false;
  for (const Step& step : plan.steps) {
    const auto* run = std::get_if<RunPackage>(&step.action);
    changesInstalled |= run != nullptr && plan.Package(run->package).installedBefore;
  }
  if (!changesInstalled || r.gsAppPath.empty()) {
    return;
  }
  const std::wstring separator = Contains(r.gsAppPath, L"/") ? L"/" : L"\\";
  std::vector<Step> check;
  check.push_back(
      Step{ProgramClosed{JoinPath(r.gsAppPath, separator, e.gsExeName)}, NothingToTakeBack{}});
  InsertSteps(plan, 0, std::move(check));
}

bool ProgramClosedNow(Platform& p, const Plan& plan, const ProgramClosed& step, Outcome& outcome,
                      StepResult& result) {
  bool seenRunning = false;
  bool cannotTell = false;
  const auto runs = [&] {
    bool running = false;
    Attempt([&] { running = p.ProgramRuns(step.program); },
            [&](const RunError& e) {
              // As before this check: Windows Installer deals with the files in use.
              cannotTell = true;
              result.detail = L"whether it runs cannot be told: " +
                              DescribeError(e.description, e.number) + L"; the run goes on";
              return OnError::Stop;
            });
    seenRunning |= running;
    return running;
  };
  const std::wstring name = L"Vantora Contact Management";
  const std::wstring limit = WaitLimitText(plan.waitLimitMs);
  bool closed = true;
  if (plan.silent) {
    closed = WaitWhileBusy(p, plan.waitLimitMs, runs,
                           name + L" is running (" + step.program + L"). This run waits up to " +
                               limit + L" for it to be closed.");
  } else {
    closed = RetryWhileBusy(p, runs, L"Close " + name + L", then press Retry.");
  }
  if (cannotTell) {
    result.status = StepStatus::Skipped;
    p.WriteStandardError(L"VTR Setup: " + name + L" (" + step.program + L"): " + result.detail);
    return true;
  }
  if (closed) {
    result.detail = seenRunning ? L"it was closed" : L"it is not running";
    return true;
  }
  result.status = StepStatus::Failed;
  if (!plan.silent) {
    outcome.Meet(Result::Cancelled);
    result.detail = L"it is running, and the user chose Cancel";
    return false;  // the user needs no more telling
  }
  outcome.Meet(Result::ProductRunning);
  result.detail = L"it was still running after " + limit;
  p.MsgBox(name + L" was still running after " + limit + L":" + gsCR + step.program + gsCR +
               L"Nothing was changed. Run setup again once it has been closed.",
           MsgButtons::Ok, MsgIcon::Critical, std::nullopt);
  return false;
}

}  // namespace vtr
