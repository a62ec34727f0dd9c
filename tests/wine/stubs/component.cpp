// A COM-style component that records which registration entry point regsvr32 called. It is
// installed as the product's Outlook e-mail interface ("vtremail.dll") and serial control
// ("mscomm32.ocx") in the system folder, so the tests see what a real machine would register.
#include <windows.h>

#include "call_log.h"

namespace {

// This DLL's own module, found from the address of its own code.
HMODULE Self() {
  HMODULE self = nullptr;
  GetModuleHandleExW(
      GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
      reinterpret_cast<LPCWSTR>(&Self), &self);
  return self;
}

HRESULT Record(const wchar_t* entry) {
  const std::wstring component = vtrstub::ModulePath(Self());
  vtrdrive::JsonLine line;
  line.Add("component", vtrstub::FileName(component))
      .Add("path", component)
      .Add("entry", std::wstring(entry))
      .Add("host", vtrstub::FileName(vtrstub::ModulePath(nullptr)))
      .Add("command_line", std::wstring(GetCommandLineW()))
      .Add("folder", vtrstub::CurrentFolder())
      .Add("created", vtrstub::ProcessCreated());
  vtrstub::AppendCall(line);
  return S_OK;
}

}  // namespace

extern "C" __declspec(dllexport) HRESULT WINAPI DllRegisterServer() {
  return Record(L"DllRegisterServer");
}

extern "C" __declspec(dllexport) HRESULT WINAPI DllUnregisterServer() {
  return Record(L"DllUnregisterServer");
}
