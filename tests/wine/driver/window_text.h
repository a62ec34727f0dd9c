// Reading windows that belong to another process.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace vtrdrive {

// A window's text. GetWindowText does not ask controls of other processes for their text, so
// this sends WM_GETTEXT, which Windows carries across processes; "" when the window does not
// answer within a few seconds.
std::wstring WindowText(HWND window);
std::wstring ClassName(HWND window);
// The direct and indirect child windows, in Windows' enumeration order (creation order for a
// dialog).
std::vector<HWND> ChildWindows(HWND parent);
// The visible top-level windows of a process, on the given desktop or the driver's own.
std::vector<HWND> TopLevelWindowsOf(DWORD processId, HDESK desktop = nullptr);
// Replaces a control's text as typing would leave it.
bool SetWindowTextRemote(HWND window, const std::wstring& text);

}  // namespace vtrdrive
