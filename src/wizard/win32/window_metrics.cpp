// The screen the wizard's window is on: its DPI, the window frame there, the monitor's middle.
#include "wizard/win32/window_metrics.h"

#include "platform/win32/win32_strings.h"
#include "wizard/win32/gdi_objects.h"

namespace vtr::win32 {
namespace {

HMODULE User32() {
  return ::GetModuleHandleW(L"user32.dll");
}

}  // namespace

int ScreenDpi() {
  const ScreenDc screen;
  const int dpi = screen.get() != nullptr ? ::GetDeviceCaps(screen.get(), LOGPIXELSY) : 0;
  return dpi > 0 ? dpi : USER_DEFAULT_SCREEN_DPI;
}

int WindowDpi(HWND window) {
  // Looked up, not imported: the program still starts on Windows 7.
  using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
  const auto forWindow = ProcAddress<GetDpiForWindowFn>(User32(), "GetDpiForWindow");
  const UINT dpi = forWindow != nullptr && window != nullptr ? forWindow(window) : 0;
  return dpi > 0 ? static_cast<int>(dpi) : ScreenDpi();
}

SIZE FrameSize(HWND window, int dpi) {
  const DWORD style = static_cast<DWORD>(::GetWindowLongW(window, GWL_STYLE));
  const DWORD exStyle = static_cast<DWORD>(::GetWindowLongW(window, GWL_EXSTYLE));
  RECT rect{0, 0, 0, 0};
  using AdjustForDpiFn = BOOL(WINAPI*)(LPRECT, DWORD, BOOL, DWORD, UINT);
  const auto forDpi = ProcAddress<AdjustForDpiFn>(User32(), "AdjustWindowRectExForDpi");
  if (forDpi == nullptr || !forDpi(&rect, style, FALSE, exStyle, static_cast<UINT>(dpi))) {
    rect = RECT{0, 0, 0, 0};
    ::AdjustWindowRectEx(&rect, style, FALSE, exStyle);
  }
  return SIZE{rect.right - rect.left, rect.bottom - rect.top};
}

void CentreOnMonitor(HWND window) {
  RECT frame{};
  if (!::GetWindowRect(window, &frame)) {
    return;
  }
  MONITORINFO monitor{};
  monitor.cbSize = sizeof(monitor);
  if (!::GetMonitorInfoW(::MonitorFromWindow(window, MONITOR_DEFAULTTOPRIMARY), &monitor)) {
    return;
  }
  const RECT& work = monitor.rcWork;
  const int width = frame.right - frame.left;
  const int height = frame.bottom - frame.top;
  // Centred, but never with the title bar off the top or left of the working area.
  int left = work.left + (work.right - work.left - width) / 2;
  int top = work.top + (work.bottom - work.top - height) / 2;
  left = left < work.left ? work.left : left;
  top = top < work.top ? work.top : top;
  ::SetWindowPos(window, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace vtr::win32
