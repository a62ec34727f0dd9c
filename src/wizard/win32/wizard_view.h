// The wizard on a real Windows screen: one window with a Win32 control for every control of
// the form model. The view draws what the model tells it, and reports clicks, typing, focus
// moves, the keys Enter and Escape and the close box back to it; it decides nothing itself.
// Every control is a direct child of the window (GetDlgItem finds it by the ID of
// control_ids.h); a frame's contents move, hide and stack with the frame.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "platform/win32/win32_window_view.h"
#include "wizard/win32/form_tree.h"
#include "wizard/win32/gdi_objects.h"
#include "wizard/win32/pixels.h"

namespace vtr::win32 {

class Win32WizardView final : public Win32WindowView {
 public:
  Win32WizardView() = default;
  Win32WizardView(const Win32WizardView&) = delete;
  Win32WizardView& operator=(const Win32WizardView&) = delete;
  ~Win32WizardView() override;

  // --- Win32WindowView ---
  HWND Window() const override { return window_.get(); }
  HWND DialogOwner() const override;
  // Tab and the arrow keys move the focus, Enter presses the focused push button or else the
  // default one, Escape Cancel, and access keys reach their controls.
  bool PreTranslateMessage(MSG& message) override;
  // The window shows with the controls on show; the others (the panels still to come, about
  // two thirds of all) are made once it has been painted, or when they first show.
  bool HasDeferredWork() const override { return window_.get() != nullptr && deferredWork_; }
  void DoDeferredWork() override;

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

  // The window procedures of the wizard's classes; they find the view through the window.
  static LRESULT CALLBACK WizardProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK FrameProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

 private:
  // While the view applies a change of the model, the notifications Windows sends back about
  // it (a text set, a focus moved) are the view's own echo and are not reported.
  class Applying {
   public:
    explicit Applying(int& depth) : depth_(++depth) {}
    ~Applying() { --depth_; }
    Applying(const Applying&) = delete;
    Applying& operator=(const Applying&) = delete;

   private:
    int& depth_;
  };

  // Check boxes, option buttons and labels at least this high (two lines of 8-point text)
  // wrap a long caption; lower ones keep it on one line, where wrapping would hide both.
  static constexpr int kTwoLinesTwips = 400;
  // The check of a check box or option button for the form's value (0, 1, 2 greyed).
  static UINT CheckState(int value);

  // --- Building (view_create.cpp) ---
  void RegisterClasses();
  void CreateControl(std::size_t i);
  // Makes the window of every control that has none yet (or of those on show only), each at
  // its place in the stack, so that controls made later stack as if made with the others.
  void CreateMissingControls(bool shownOnly);
  // While the window is on screen, every control on show has its window.
  void CreateShownControls();
  void AddToolTip(std::size_t i);
  std::optional<std::size_t> Find(const ControlRef& control) const;
  std::optional<std::size_t> FindWindow(HWND control) const;
  HWND Handle(std::size_t i) const { return handles_[i]; }

  // --- Mirroring (wizard_view.cpp) ---
  // Where a control goes in the window, from the tree, at the window's DPI (its font is made
  // when first asked for).
  PixelRect ControlRect(std::size_t i);
  // The font a control is drawn in: the form's size, smaller for a one-line label whose frame
  // has no room for its text in that size.
  HFONT FontFor(std::size_t i);
  // Sets size and place of the controls given.
  void PlaceControls(const std::vector<std::size_t>& which);
  void ShowControls(const std::vector<std::size_t>& which);
  void EnableControls(const std::vector<std::size_t>& which);
  void StackControls(const std::vector<std::size_t>& bottomToTop);
  void ApplyFonts();
  void ApplyWindowSize(std::optional<RECT> suggested = std::nullopt);
  // A control and everything it holds.
  std::vector<std::size_t> WithContents(std::size_t i) const;
  // The focused push button looks like the default one, as in any dialog; elsewhere the
  // form's default button does.
  void UpdateDefaultLook();

  // --- Messages (wizard_window.cpp) ---
  LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
  void OnCommand(WORD id, WORD code, HWND control);
  LRESULT OnControlColour(HDC dc, HWND control, UINT message, WPARAM wParam, LPARAM lParam);
  void OnActivate(bool active);
  void OnDpiChanged(int dpi, const RECT& suggested);
  void DrawPicture(const DRAWITEMSTRUCT& item);
  void PaintFrame(HWND frame);
  // The colours a control is drawn in: the form's, or in a high-contrast scheme the user's.
  Colour ForeOf(const ControlState& c) const;
  Colour BackOf(const ControlState& c) const;
  // The user's action, reported unless it is the echo of the view's own change.
  bool Reporting() const { return events_ != nullptr && applying_ == 0; }

  // --- Keyboard (keyboard.cpp) ---
  std::optional<std::size_t> FocusedControl() const;
  bool InTextBox() const;
  void MoveFocusTo(std::size_t i);
  // The access key of a control: it presses the control, or with several controls sharing
  // it, moves the focus to the next of them. False when no control has the key.
  bool PressAccessKey(wchar_t key);

  // Loaded when the window is first built, and kept while it may exist: a silent run never
  // needs them.
  UniqueModule commonControls_;
  UniqueWindow window_;
  HWND toolTips_ = nullptr;  // owned by the window, which destroys it
  WizardEvents* events_ = nullptr;
  FormTree tree_;
  std::vector<HWND> handles_;
  std::vector<int> ids_;
  WindowState windowState_;
  int dpi_ = USER_DEFAULT_SCREEN_DPI;
  FontSet fonts_;
  BrushSet brushes_;
  UniqueGdiObject logo_;
  SIZE logoSize_{};
  HWND savedFocus_ = nullptr;
  bool highContrast_ = false;
  bool placed_ = false;        // the window has been centred once
  bool deferring_ = false;     // some controls may still have no window
  bool deferredWork_ = false;  // DoDeferredWork has not been done for this window
  int applying_ = 0;
};

}  // namespace vtr::win32
