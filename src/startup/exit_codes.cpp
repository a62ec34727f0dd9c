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

}  // namespace vtr
