// The form toolkit the wizard's handlers rely on, headless: controls addressed by name and
// index, their properties, drawing order, default and cancel buttons and focus, and the click
// notification that setting a value from code gives. Every change is mirrored to the view.
#pragma once

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/run_error.h"
#include "platform/window_view.h"

namespace vtr {

class FormModel {
 public:
  explicit FormModel(WindowView& view) : view_(view) {}
  FormModel(const FormModel&) = delete;
  FormModel& operator=(const FormModel&) = delete;

  // --- Building (the layout, before the view draws the form) ---
  void SetInitialWindow(WindowState window) { window_ = std::move(window); }
  // Adds a control above those added before it; its container must already exist.
  void Add(ControlState control);
  // The click handler of a control array (or of the one control of that name), kept with each
  // control it serves; it receives the index of the control clicked.
  void SetClickHandler(const std::wstring& name, const std::function<void(int)>& handler);
  // Hands the whole form to the view, which draws it; events receive the user's actions.
  void Draw(WizardEvents& events);

  // --- Reading ---
  const WindowState& Window() const { return window_; }
  // Every control with all its properties, containers before their contents.
  const std::vector<ControlState>& Controls() const { return controls_; }
  bool Exists(const ControlRef& ref) const;
  // Raises a RunError, as the toolkit does, for a control the form does not have.
  const ControlState& At(const ControlRef& ref) const;
  bool Ticked(const ControlRef& ref) const { return At(ref).value == 1; }
  bool Selected(const ControlRef& ref) const { return At(ref).value == 1; }
  std::optional<ControlRef> DefaultButton() const;
  std::optional<ControlRef> CancelButton() const;
  std::optional<ControlRef> Focus() const { return focus_; }
  bool Unloaded() const { return unloaded_; }
  // The control, its containers and the window are all visible.
  bool OnScreen(const ControlRef& ref) const;
  // On screen and enabled, with every container enabled: the user can reach it.
  bool Reachable(const ControlRef& ref) const;

  // Runs the control's click handler, as a user's click or a value set from code does; nothing
  // for a control without one.
  void RunClickHandler(const ControlRef& ref);

  // --- Changing (each mirrored to the view; nothing changes once the form is unloaded) ---
  void SetCaption(const ControlRef& ref, const std::wstring& caption);
  // A check box's new value runs its click handler when it differs from the old one.
  // For an option button, 1 selects it (see Select) and 0 clears it.
  void SetValue(const ControlRef& ref, int value);
  // Selects an option button, clears the others of its group in the same container, and runs
  // its click handler when it was not selected before.
  void Select(const ControlRef& ref);
  void SetEnabled(const ControlRef& ref, bool enabled);
  void SetVisible(const ControlRef& ref, bool visible);
  void MoveTo(const ControlRef& ref, int left, int top);
  void SetForeColour(const ControlRef& ref, const Colour& colour);
  void BringToFront(const ControlRef& ref);
  void SetDefaultButton(const ControlRef& ref);
  void SetCancelButton(const ControlRef& ref);
  // Raises RunError 5 when the focus cannot go there: window hidden, control disabled or
  // not on screen.
  void SetFocus(const ControlRef& ref);
  // Text the user typed: kept, not echoed to the view that reported it.
  void StoreUserText(const ControlRef& ref, const std::wstring& text);
  // Focus the user moved: kept, not echoed.
  void StoreUserFocus(const ControlRef& ref);

  void SetWindowTitle(const std::wstring& title);
  void SetWindowSize(int width, int height);
  void ShowWindow();
  void HideWindow();
  void UnloadWindow();

 private:
  ControlState& Find(const ControlRef& ref);
  // Focus cannot stay on a control that was disabled or hidden.
  void DropFocusIfUnreachable();
  std::optional<ControlRef> ButtonWith(bool ControlState::*flag) const;
  void MakeOnly(const ControlRef& ref, bool ControlState::*flag);

  WindowView& view_;
  WindowState window_;
  std::vector<ControlState> controls_;
  std::map<std::pair<std::wstring, int>, std::size_t> index_;
  std::vector<std::function<void(int)>> clickHandlers_;  // by position, as controls_
  std::optional<ControlRef> focus_;
  int topZ_ = 0;
  bool unloaded_ = false;
};

}  // namespace vtr
