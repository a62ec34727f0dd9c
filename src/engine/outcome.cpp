#include "engine/outcome.h"

namespace vtr {

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

int ExitCodeFor(const Outcome& outcome) {
  if (outcome.cancelled) {
    return kExitCancelled;
  }
  if (outcome.busy) {
    return kExitInstallerBusy;
  }
  if (outcome.failed) {
    return kExitInstallFailed;
  }
  if (outcome.restartStarted) {
    return kExitRestartStarted;
  }
  return outcome.restartNeeded ? kExitRestartNeeded : kExitSuccess;
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
    default:
      return L"unknown";
  }
}

}  // namespace vtr
