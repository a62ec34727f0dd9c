// Pictures of the screen as the user sees it, saved as bitmap files.
#pragma once

#include <windows.h>

#include <string>

namespace vtrdrive {

// Saves the screen as a 24-bit .bmp file; false when the screen or the file cannot be used.
bool SaveScreenshot(const std::wstring& path);
// Saves the part of the screen a window covers, frame and title bar included (what stands over
// it shows too, as on the screen).
bool SaveWindowScreenshot(const std::wstring& path, HWND window);

}  // namespace vtrdrive
