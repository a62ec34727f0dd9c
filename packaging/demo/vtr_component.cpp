// The demo's stand-in for the product's serial control ("mscomm32.ocx") and Outlook e-mail
// interface ("vtremail.dll"): a DLL with the registration entry points regsvr32 calls, which
// register nothing and succeed, as the real components do on a machine set up for the product.
#include <windows.h>

extern "C" __declspec(dllexport) HRESULT WINAPI DllRegisterServer() {
  return S_OK;
}

extern "C" __declspec(dllexport) HRESULT WINAPI DllUnregisterServer() {
  return S_OK;
}
