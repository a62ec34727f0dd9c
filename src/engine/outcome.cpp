// The one reading of child programs' exit codes, and the one table that ranks results.
#include "engine/outcome.h"

namespace vtr {
namespace {

// Ranked from least to most serious: a run's exit code is that of the most serious result it
// met (a cancel outranks the failure it causes; a failure outranks a restart asked for).
struct Ranked {
  Result result;
  int exitCode;
};
constexpr Ranked kRanking[] = {
    {Result::Success, kExitSuccess},
    {Result::SuccessRestartNeeded, kExitRestartNeeded},
    {Result::RestartStarted, kExitRestartStarted},
    {Result::Failure, kExitInstallFailed},
    {Result::Busy, kExitInstallerBusy},
    {Result::ProductRunning, kExitProductRunning},
    {Result::Cancelled, kExitCancelled},
};

std::size_t Rank(Result result) {
  for (std::size_t i = 0; i < std::size(kRanking); ++i) {
    if (kRanking[i].result == result) {
      return i;
    }
  }
  return std::size(kRanking);
}

}  // namespace

Result ClassifyExitCode(ChildProgram program, uint32_t code) {
  if (code == 0) {
    return Result::Success;
  }
  switch (program) {
    case ChildProgram::Regsvr32:
    case ChildProgram::Updater:
      return Result::Failure;
    case ChildProgram::EngineInstaller:
      // Its own codes mean nothing to this run: only a restart asked for is a success.
      return code == kExitRestartNeeded ? Result::SuccessRestartNeeded : Result::Failure;
    case ChildProgram::Msiexec:
      break;
  }
  switch (code) {
    case 3010:
      return Result::SuccessRestartNeeded;
    case 1641:
      return Result::RestartStarted;
    case 1602:
      return Result::Cancelled;
    case 1618:
      return Result::Busy;
    default:
      return Result::Failure;
  }
}

bool GoesOn(Result result) {
  return result == Result::Success || result == Result::SuccessRestartNeeded;
}

Result Worse(Result a, Result b) {
  return Rank(b) > Rank(a) ? b : a;
}

int ExitCodeFor(Result result) {
  const std::size_t rank = Rank(result);
  return rank < std::size(kRanking) ? kRanking[rank].exitCode : kExitInstallFailed;
}

std::wstring StatusWord(StepStatus status) {
  switch (status) {
    case StepStatus::Done:
      return L"done";
    case StepStatus::Failed:
      return L"failed";
    case StepStatus::Skipped:
      return L"skipped";
    case StepStatus::NotReached:
      break;
  }
  return L"not reached";
}

std::wstring ExitCodeMeaning(int code) {
  switch (code) {
    case kExitSuccess:
      return L"success";
    case kExitRestartNeeded:
      return L"success; restart the computer to complete it";
    case kExitCancelled:
      return L"cancelled";
    case kExitInstallFailed:
      return L"the run failed";
    case kExitUsage:
      return L"a word on the command line is not a keyword";
    case kExitInstallerBusy:
      return L"another installation was in progress; try again later";
    case kExitRestartStarted:
      return L"success; Windows Installer is restarting the computer";
    case kExitProductRunning:
      return L"the product's program was still running; nothing was changed; try again later";
    default:
      return L"unknown";
  }
}

}  // namespace vtr
