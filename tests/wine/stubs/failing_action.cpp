// The custom action of the failing test package: it records that Windows Installer ran it
// and then fails, so the package's installation fails and is rolled back, as a real package
// does when one of its actions goes wrong.
#include <windows.h>

#include "call_log.h"

int wmain() {
  vtrstub::RecordThisProgram();
  return 1;
}
