// A view that puts the form on a real Windows screen, as the Windows layer needs it: the
// window to wait on and to own boxes, and the keyboard handling a dialog-like window does
// before messages are dispatched. The wizard's window implements it; the program's entry
// builds that window and hands it to the Windows layer.
#pragma once

#include <windows.h>

#include "platform/window_view.h"

namespace vtr::win32 {

class Win32WindowView : public WindowView {
 public:
  // The view's window; null before the form is drawn and after it is unloaded.
  virtual HWND Window() const = 0;
  // The window that owns message boxes and pickers: the view's while it is on screen. While
  // it is hidden (a run is under way) a box stands on its own, with a taskbar button.
  virtual HWND DialogOwner() const = 0;
  // The view's keyboard, before a message of the loop is translated and dispatched. True
  // when the message was used.
  virtual bool PreTranslateMessage(MSG& message) = 0;
};

}  // namespace vtr::win32
