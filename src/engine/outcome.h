// What a run of the install engine came to: one result, ranked into the process exit code that
// deployment tools read (the codes Windows Installer itself uses), and each step's own result.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "detect/installed.h"
#include "engine/steps.h"

namespace vtr {

inline constexpr int kExitSuccess = 0;
inline constexpr int kExitCancelled = 1602;
inline constexpr int kExitInstallFailed = 1603;
// Windows Installer was busy with another installation, or another copy of setup ran, for
// longer than a run waits: nothing more was started.
inline constexpr int kExitInstallerBusy = 1618;
inline constexpr int kExitUsage = 1639;
// The product's program ran from its program folder for longer than a silent run waits, so
// nothing was changed: Windows' ERROR_SHARING_VIOLATION, a code deployment tools are told to
// retry.
inline constexpr int kExitProductRunning = 32;
// Windows Installer itself started a restart of the computer: nothing more was started.
inline constexpr int kExitRestartStarted = 1641;
inline constexpr int kExitRestartNeeded = 3010;

// What a child program's run, or the whole run, came to. A run's result is the highest ranked
// of what it met (see ExitCodeFor).
enum class Result {
  Success,
  SuccessRestartNeeded,  // done; a restart of the computer completes it
  RestartStarted,        // done, and Windows Installer is restarting the computer
  Failure,
  Busy,            // another installation kept Windows Installer busy
  ProductRunning,  // the product's program ran on for longer than the run waits
  Cancelled,       // cancelled by the user
};

// The programs whose exit codes a run reads: each is started as a child process and waited for.
// The updater service program (-u, -i) and regsvr32 succeed with 0 only; the database engine's
// installer with 0, or 3010 when a restart completes it.
enum class ChildProgram { Msiexec, Regsvr32, Updater, EngineInstaller };

// What the child's exit code means for the run.
Result ClassifyExitCode(ChildProgram program, uint32_t code);

// True for a result after which the run goes on with its next step.
bool GoesOn(Result result);

// The more serious of two results: the one ExitCodeFor ranks higher.
Result Worse(Result a, Result b);

// What one step of the plan did.
enum class StepStatus { NotReached, Done, Failed, Skipped };

// "done", "failed", ... for the setup log.
std::wstring StatusWord(StepStatus status);

struct StepResult {
  StepStatus status = StepStatus::NotReached;
  std::wstring detail;  // the exit code, the answer given, what was left out and why
};

// A rollback step the run carried out, and how it ended.
struct RolledBack {
  Undo step;
  StepResult result;
};

struct Outcome {
  Result result = Result::Success;
  std::vector<StepResult> steps;  // one for each step of the plan
  // What taking the run back did, in the order it was done (newest step first).
  std::vector<RolledBack> rollback;
  // The products' states as the engine found them when the run began (the caller's where it
  // could not ask): what the wizard shows after the run.
  InstalledStates installed;

  // Notes what the run met; the more serious result stays.
  void Meet(Result met) { result = Worse(result, met); }
  bool Failed() const { return !GoesOn(result) && result != Result::RestartStarted; }
};

// The process exit code of a result.
int ExitCodeFor(Result result);
inline int ExitCodeFor(const Outcome& outcome) {
  return ExitCodeFor(outcome.result);
}

// What an exit code means, in words (for the setup log).
std::wstring ExitCodeMeaning(int code);

// Every exit code a run can end with, in the order the administrator's guide lists them.
inline constexpr int kExitCodes[] = {kExitSuccess,       kExitRestartNeeded,  kExitRestartStarted,
                                     kExitInstallerBusy, kExitProductRunning, kExitCancelled,
                                     kExitInstallFailed, kExitUsage};

}  // namespace vtr
