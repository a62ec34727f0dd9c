// A view without a screen: it keeps its own copy of the form, drawn from the model's
// description and changed only by the calls it receives, and a line for every call. Tests
// and the simulation drive the wizard through it as a user would, and can check that the
// copy matches the model, which is what a real view would show.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/window_view.h"

namespace vtr {

class RecordingView : public WindowView {
 public:
  // --- What the view shows ---
  const WindowState& Window() const { return window_; }
  const std::vector<ControlState>& Controls() const { return controls_; }
  const ControlState& Control(const ControlRef& ref) const;
  std::optional<ControlRef> Focus() const { return focus_; }
  bool Unloaded() const { return unloaded_; }
  // One line per call since the form was drawn ("SetCaption lbVersion: Professional 3.3").
  const std::vector<std::wstring>& Calls() const { return calls_; }
  void ClearCalls() { calls_.clear(); }
  // Where the user's actions go; null before the form is drawn and after it is unloaded.
  WizardEvents* Events() const { return unloaded_ ? nullptr : events_; }
  // The user types into a text box: the box shows the text and the model is told. False when
  // the model refused it (the box then shows the model's text again).
  bool Type(const ControlRef& control, const std::wstring& text);

  // --- WindowView ---
  void CreateForm(const WindowState& window, const std::vector<ControlState>& controls,
                  WizardEvents& events) override;
  void SetWindowSize(int widthTwips, int heightTwips) override;
  void SetWindowTitle(const std::wstring& title) override;
  void ShowWindow() override;
  void HideWindow() override;
  void UnloadWindow() override;
  void SetCaption(const ControlRef& control, const std::wstring& caption) override;
  void SetValue(const ControlRef& control, int value) override;
  void SetEnabled(const ControlRef& control, bool enabled) override;
  void SetVisible(const ControlRef& control, bool visible) override;
  void MoveTo(const ControlRef& control, int leftTwips, int topTwips) override;
  void SetForeColour(const ControlRef& control, const Colour& colour) override;
  void BringToFront(const ControlRef& control) override;
  void SetDefaultButton(const ControlRef& control) override;
  void SetCancelButton(const ControlRef& control) override;
  void SetFocus(const ControlRef& control) override;

 private:
  ControlState& Find(const ControlRef& ref);
  void Record(const std::wstring& what, const ControlRef& ref, const std::wstring& value);

  WindowState window_;
  std::vector<ControlState> controls_;
  std::optional<ControlRef> focus_;
  std::vector<std::wstring> calls_;
  WizardEvents* events_ = nullptr;
  int topZ_ = 0;
  bool unloaded_ = false;
};

// "255,0,0" or the name of a system colour, as transcripts write a colour.
std::wstring ColourText(const Colour& colour);

}  // namespace vtr
