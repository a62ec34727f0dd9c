// A program that only records that it ran: installed under the names of the programs the
// setup program starts by the shell (the updater service "wodUpdSv.exe", the ACE engine's
// installer) and planted as "msiexec.exe" / "regsvr32.exe" beside the setup program, where it
// must never be run.
#include <windows.h>

#include "call_log.h"

int wmain() {
  vtrstub::RecordThisProgram();
  return 0;
}
