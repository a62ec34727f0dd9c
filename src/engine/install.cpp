// SYS_Install: detect what the run needs, plan it once, then show the plan or apply it.
#include "engine/install.h"

#include "detect/detected.h"
#include "detect/run_facts.h"
#include "engine/apply.h"
#include "engine/plan.h"
#include "util/text.h"

namespace vtr {
namespace {

// PLAN of a run whose detection stopped on an error.
void ShowStopped(Platform& p, const RunError& error) {
  p.WriteStandardOutput(L"VTR Setup plan: the run would stop before its first step: " +
                        DescribeError(error.description, error.number));
  p.WriteStandardOutput(L"exit code: " + std::to_wstring(kExitInstallFailed));
}

}  // namespace

Outcome SYS_Install(Platform& p, const Edition& e, const RunOptions& o,
                    const std::wstring& systemDir, const Request& r, const KnownStates& known) {
  Outcome outcome;
  // The package files stay held (in the detection's result) until every Windows Installer run
  // has ended, so none can be changed between its check and its use.
  DetectedRun detected = DetectRun(
      p, e, o, r, systemDir, known.states, known.askAgain,
      [&](const RunError& error) { return ReportEngineError(p, o.gbDebug, outcome, error); });
  const EngineFacts& facts = detected.facts;
  outcome.installed = facts.installed;
  if (detected.stopped) {
    if (o.gbPlan) {
      ShowStopped(p, *detected.stopped);
    }
    return outcome;
  }
  Plan plan = MakePlan(e, o, r, facts);
  if (o.gbPlan) {
    for (const std::wstring& line : DescribePlan(plan, r, facts)) {
      p.WriteStandardOutput(line);
    }
    if (plan.Refused()) {
      outcome.Meet(Result::Failure);
    }
    return outcome;
  }
  for (const std::wstring* note : {&plan.everyUserNote, &plan.engineNote}) {
    if (!note->empty()) {
      p.WriteLog(*note);
    }
  }
  if (plan.refusal) {
    p.WriteLog(L"plan step 1: " + DescribeRefusal(plan, *plan.refusal));
  }
  for (std::size_t i = 0; i < plan.steps.size(); ++i) {
    p.WriteLog(L"plan step " + std::to_wstring(i + 1) + L": " + DescribeStep(plan, plan.steps[i]));
  }
  ApplyPlan(p, plan, outcome, detected.held);
  // The log's block ends with what Windows Installer now reports, after any taking back.
  if (!o.gsLogFolder.empty()) {
    InstalledStates after;
    SYS_IsInstalled(p, e, false, after);
    p.WriteLog(L"installed after the run: program " + StateWord(after.program) + L", database " +
               StateWord(after.database));
  }
  return outcome;
}

}  // namespace vtr
