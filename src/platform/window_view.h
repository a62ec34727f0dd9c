// The wizard window's operations as the form model uses them. The form model (wizard/) keeps
// every value; a view mirrors each change on screen and reports the user's clicks and typing
// back to the model's handlers. The Win32 view draws real controls; the simulation records.
#pragma once

#include <string>

namespace vtr {

// A control of the form: its name and, for a member of a control array, its index (-1: none).
struct ControlRef {
  std::wstring name;
  int index = -1;
};

class WindowView {
 public:
  virtual ~WindowView() = default;
  // The window: size in twips, title, shown without blocking, unloaded, on screen or not.
  virtual void SetWindowSize(int widthTwips, int heightTwips) = 0;
  virtual void SetWindowTitle(const std::wstring& title) = 0;
  virtual void ShowWindow() = 0;
  virtual void UnloadWindow() = 0;
  virtual bool IsWindowVisible() = 0;
  // Control properties; each change shows at once.
  virtual void SetCaption(const ControlRef& control, const std::wstring& caption) = 0;
  virtual void SetValue(const ControlRef& control, int value) = 0;
  virtual void SetEnabled(const ControlRef& control, bool enabled) = 0;
  virtual void SetVisible(const ControlRef& control, bool visible) = 0;
  virtual void MoveTo(const ControlRef& control, int leftTwips, int topTwips) = 0;
  virtual void SetTextColour(const ControlRef& control, unsigned rgb) = 0;
  virtual void BringToFront(const ControlRef& control) = 0;
  // Enter presses the default button; Escape presses the cancel button.
  virtual void SetDefaultButton(const ControlRef& control) = 0;
  virtual void SetCancelButton(const ControlRef& control) = 0;
  // Moves keyboard focus; raises a RunError when it cannot (window hidden, control disabled).
  virtual void SetFocus(const ControlRef& control) = 0;
};

}  // namespace vtr
