// A DLL planted beside the setup program under the name of a system DLL, as anyone may leave
// one in a download folder. Being loaded at all is the fault, so it records the process that
// loaded it the moment it is attached, before anything could ask it for a function.
#include <windows.h>

#include "call_log.h"

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID /*reserved*/) {
  if (reason == DLL_PROCESS_ATTACH) {
    const std::wstring path = vtrstub::ModulePath(self);
    vtrdrive::JsonLine line;
    line.Add("planted", vtrstub::FileName(path))
        .Add("path", path)
        .Add("host", vtrstub::FileName(vtrstub::ModulePath(nullptr)));
    vtrstub::AppendCall(line);
  }
  return TRUE;
}
