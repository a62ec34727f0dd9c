// Texts that Windows hands out in caller-sized buffers, read with a buffer that grows until the
// whole text fits, and the system's own wording of an error code.
#pragma once

#include <windows.h>

#include <string>

namespace vtr::win32 {

// The full path of a loaded module (null: the running executable); "" on failure.
std::wstring ModulePath(HMODULE module);

// The system folder (GetSystemDirectory); "" on failure.
std::wstring SystemDirectory();

// A folder Windows wrote into a buffer (length characters of it), without its closing separators
// (a drive's root keeps its own); "" when the call failed (0) or the buffer was too small.
std::wstring WrittenFolder(std::wstring buffer, DWORD length);

// The system's message for an error code or HRESULT, without the trailing line break;
// "" when the system has none.
std::wstring SystemMessage(DWORD code);

// A function from a loaded DLL as a typed pointer; null when the DLL lacks it.
template <typename Function>
Function ProcAddress(HMODULE module, const char* name) {
  FARPROC proc = module ? ::GetProcAddress(module, name) : nullptr;
  // Through a plain function pointer type, which converts to any other without a warning.
  return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(proc));
}

}  // namespace vtr::win32
