#include "startup/exit_codes.h"

namespace vtr {

int ExitCodeFor(bool succeeded, const InstallReport& outcome) {
  if (outcome.cancelled) {
    return kExitCancelled;
  }
  if (!succeeded) {
    return kExitInstallFailed;
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
    default:
      return L"unknown";
  }
}

}  // namespace vtr
