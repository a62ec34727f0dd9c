// What the wizard's window needs to know about the screen it is on: its DPI, the thickness of
// its frame there, and where the middle of its monitor is.
#pragma once

#include <windows.h>

namespace vtr::win32 {

// The DPI of the screen as a whole (the system DPI).
int ScreenDpi();
// The DPI of the monitor a window is on, where Windows tells it (Windows 10 and later), else
// the system DPI.
int WindowDpi(HWND window);
// How much wider and higher the window is than its client area, at a DPI.
SIZE FrameSize(HWND window, int dpi);
// Centres the window on the working area of its monitor (the primary one when it is on none).
void CentreOnMonitor(HWND window);

}  // namespace vtr::win32
