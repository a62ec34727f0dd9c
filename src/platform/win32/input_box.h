// The input box: a prompt, one line to type into, OK and Cancel. Windows has none of its own.
#pragma once

#include <windows.h>

#include <string>

namespace vtr::win32 {

// Control ids, fixed so that a test driver can find the prompt and type into the box.
inline constexpr int kInputBoxPromptId = 1000;
inline constexpr int kInputBoxEditId = 1001;

// Shows the box modally over owner (none: over the desktop, in the foreground). The prompt
// breaks lines at lone carriage returns; the box grows to fit it. Returns the text typed,
// or "" when the user cancels or the box cannot be shown.
std::wstring ShowInputBox(HWND owner, const std::wstring& prompt, const std::wstring& title,
                          const std::wstring& defaultText);

}  // namespace vtr::win32
