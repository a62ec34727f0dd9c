// What a run of the install engine came to, and the process exit codes that deployment tools
// read (the codes Windows Installer itself uses).
#pragma once

#include <string>
#include <vector>

#include "detect/installed.h"

namespace vtr {

inline constexpr int kExitSuccess = 0;
inline constexpr int kExitCancelled = 1602;
inline constexpr int kExitInstallFailed = 1603;
// Windows Installer was busy with another installation, or another copy of setup ran, for
// longer than a run waits: nothing more was started.
inline constexpr int kExitInstallerBusy = 1618;
inline constexpr int kExitUsage = 1639;
// Windows Installer itself started a restart of the computer: nothing more was started.
inline constexpr int kExitRestartStarted = 1641;
inline constexpr int kExitRestartNeeded = 3010;

// What one step of the plan did.
enum class StepStatus { NotReached, Done, Failed, Skipped };

// "done", "failed", ... for the setup log.
std::wstring StatusWord(StepStatus status);

struct StepResult {
  StepStatus status = StepStatus::NotReached;
  std::wstring detail;  // the exit code, the answer given, what was left out and why
};

struct Outcome {
  bool failed = false;          // a failure was reported (only a developer's resume goes on)
  bool cancelled = false;       // cancelled at a debug prompt
  bool busy = false;            // another installation kept Windows Installer busy (also failed)
  bool restartNeeded = false;   // Windows Installer asked for a restart
  bool restartStarted = false;  // Windows Installer started a restart: nothing more started
  // The run stopped early and what it had done was taken back, in whole or (incomplete) not.
  bool takenBack = false;
  bool takeBackIncomplete = false;
  std::vector<StepResult> steps;  // one for each step of the plan
  // The products' states as the engine found them when the run began (the caller's where it
  // could not ask): what the wizard shows after the run.
  InstalledStates installed;
};

// The process exit code of a run of the install engine.
int ExitCodeFor(const Outcome& outcome);

// What an exit code means, in words (for the setup log).
std::wstring ExitCodeMeaning(int code);

}  // namespace vtr
