// The boundary between the wizard's form model and whatever puts it on screen. The form model
// (wizard/) keeps every value and runs every handler. A view draws the form once from the
// model's full description, mirrors each later change, and reports the user's clicks, typing
// and the close box back through WizardEvents. The view holds no wizard logic: the Win32 view
// draws real controls, the simulation and the tests record.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vtr {

// A control of the form: its name and, for a member of a control array, its index (-1: none).
struct ControlRef {
  std::wstring name;
  int index = -1;

  friend bool operator==(const ControlRef&, const ControlRef&) = default;
};

// How a control is written in messages and transcripts: "cmdOpt(3)", "cmdNext".
std::wstring ControlName(const ControlRef& ref);

enum class ControlKind { Frame, Button, CheckBox, OptionButton, Label, TextBox, Image };

// A colour: red, green and blue, or one of the user's system colours.
enum class SystemColour { None, WindowText, ButtonText, ButtonFace, Window };
struct Colour {
  uint8_t red = 0;
  uint8_t green = 0;
  uint8_t blue = 0;
  SystemColour system = SystemColour::None;

  static constexpr Colour Rgb(uint8_t r, uint8_t g, uint8_t b) { return {r, g, b}; }
  static constexpr Colour System(SystemColour c) { return {0, 0, 0, c}; }
  friend bool operator==(const Colour&, const Colour&) = default;
};

enum class TextAlign { Left, Centre };

// Everything a view needs to draw one control. Positions and sizes are in twips (1440 to the
// inch), relative to the container; a container's own position moves everything in it.
struct ControlState {
  ControlRef ref;
  ControlKind kind = ControlKind::Label;
  ControlRef container;  // empty name: the form itself
  std::wstring caption;  // caption, or the text of a text box
  int value = 0;         // check box: 0 unchecked, 1 checked, 2 greyed; option button: 1 selected
  bool enabled = true;
  bool visible = true;
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  Colour foreColour = Colour::System(SystemColour::ButtonText);
  Colour backColour = Colour::System(SystemColour::ButtonFace);
  bool bold = false;
  int fontPoints = 8;
  TextAlign align = TextAlign::Left;
  bool border = true;      // frames and text boxes
  std::wstring toolTip;    // empty: none
  std::wstring picture;    // images: the name of the picture resource ("logo")
  int zOrder = 0;          // higher is drawn above lower among controls of one container
  bool isDefault = false;  // buttons: Enter presses it (one at most)
  bool isCancel = false;   // buttons: Escape presses it (one at most)
};

// The window itself.
struct WindowState {
  std::wstring title;
  int width = 0;  // twips, outer size
  int height = 0;
  bool visible = false;
};

// The user's actions, as a view reports them to the form model. Each returns false when the
// form could not take the action now (no such control, the control disabled or not on screen,
// the window hidden or unloaded, or a handler still running); nothing happened then.
class WizardEvents {
 public:
  virtual ~WizardEvents() = default;
  // A click on a control; a check box toggles, an option button is selected.
  virtual bool Click(const ControlRef& control) = 0;
  // The user changed the text of a text box; the model stores it and does not echo it back.
  virtual bool TextChanged(const ControlRef& control, const std::wstring& text) = 0;
  // Enter presses the default button, Escape the cancel button.
  virtual bool PressDefault() = 0;
  virtual bool PressCancel() = 0;
  // The user (tab key, mouse) moved the keyboard focus.
  virtual bool FocusChanged(const ControlRef& control) = 0;
  // The close box, or the end of the Windows session: the form unloads; never refused.
  virtual void CloseRequested() = 0;
};

class WindowView {
 public:
  virtual ~WindowView() = default;
  // Called once, before anything else: create the (still hidden) window and every control,
  // in this order (containers come before what they hold), and keep events for the user's
  // actions until UnloadWindow.
  virtual void CreateForm(const WindowState& window, const std::vector<ControlState>& controls,
                          WizardEvents& events) = 0;
  // The window: size in twips, title, shown without blocking, hidden, unloaded (the last
  // call a view receives).
  virtual void SetWindowSize(int widthTwips, int heightTwips) = 0;
  virtual void SetWindowTitle(const std::wstring& title) = 0;
  virtual void ShowWindow() = 0;
  virtual void HideWindow() = 0;
  virtual void UnloadWindow() = 0;
  // Control properties; each change shows at once.
  virtual void SetCaption(const ControlRef& control, const std::wstring& caption) = 0;
  virtual void SetValue(const ControlRef& control, int value) = 0;
  virtual void SetEnabled(const ControlRef& control, bool enabled) = 0;
  virtual void SetVisible(const ControlRef& control, bool visible) = 0;
  virtual void MoveTo(const ControlRef& control, int leftTwips, int topTwips) = 0;
  virtual void SetForeColour(const ControlRef& control, const Colour& colour) = 0;
  // Draws the control above every control of its container that overlaps it.
  virtual void BringToFront(const ControlRef& control) = 0;
  // Enter presses the default button; Escape presses the cancel button.
  virtual void SetDefaultButton(const ControlRef& control) = 0;
  virtual void SetCancelButton(const ControlRef& control) = 0;
  // Moves keyboard focus. The model only asks when it can be met (window shown, control
  // enabled and on screen); it raises the failure into its own handlers itself.
  virtual void SetFocus(const ControlRef& control) = 0;
};

}  // namespace vtr
