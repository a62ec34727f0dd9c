// Which of Windows' message-box icons a box shows.
#pragma once

#include <windows.h>

#include <string>

namespace vtrdrive {

// "critical", "question", "exclamation", "information", "none" when the box has no icon, or
// "unknown". Icon handles cannot be compared across processes, so this compares the pixels on
// screen with each system icon drawn on the same background; the box must be painted and on top.
std::wstring IdentifyIcon(HWND box);

}  // namespace vtrdrive
