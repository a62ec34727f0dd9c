// A program that only records that it ran: installed under the names of the programs the
// setup program starts by the shell (the updater service "wodUpdSv.exe", the ACE engine's
// installer) and planted as "msiexec.exe" / "regsvr32.exe" beside the setup program, where it
// must never be run.
#include <windows.h>

#include "call_log.h"

int wmain() {
  const std::wstring self = vtrstub::ModulePath(nullptr);
  vtrdrive::JsonLine line;
  line.Add("program", vtrstub::FileName(self))
      .Add("path", self)
      .Add("command_line", std::wstring(GetCommandLineW()))
      .Add("folder", vtrstub::CurrentFolder())
      .Add("created", vtrstub::ProcessCreated());
  vtrstub::AppendCall(line);
  return 0;
}
