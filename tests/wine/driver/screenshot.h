// A picture of the whole screen as the user sees it, saved as a bitmap file.
#pragma once

#include <string>

namespace vtrdrive {

// Saves the screen as a 24-bit .bmp file; false when the screen or the file cannot be used.
bool SaveScreenshot(const std::wstring& path);

}  // namespace vtrdrive
