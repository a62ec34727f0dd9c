// The wizard on a real Windows screen, as a dialog of Windows' own dialog manager: the window
// holds the button row, and every frame of the form (the banner, each panel, the frames in
// them) is a child dialog made from an in-memory template when it first shows, holding its
// controls and, for a frame with a border, Windows' own group box. The view maps each control
// of the form to its window, mirrors every change of the model and reports the user's clicks,
// typing, focus moves, Enter, Escape and the close box; Tab, the arrow keys, Enter, Escape and
// access keys are the dialog manager's. The IDs are those of control_ids.h. The button row is
// the window's own, not a frame's: the dialog manager's default button (DM_SETDEFID, Enter,
// its look) is always one of the dialog's own children.
#pragma once

#include <windows.h>

#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/win32/win32_window_view.h"
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
  // The dialog manager's keyboard: IsDialogMessage, before anything else sees the message.
  bool PreTranslateMessage(MSG& message) override;
  // The window shows with the frames on show; the others (the panels still to come) are made
  // once it has been painted, or when they first show.
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

  // The window procedure of the wizard's window, which is where everything the controls of
  // every frame report arrives; it finds the view through the window.
  static LRESULT CALLBACK WizardProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  // The dialog procedure of the frames: what their controls report goes on to the window.
  static INT_PTR CALLBACK FrameProc(HWND frame, UINT message, WPARAM wParam, LPARAM lParam);

 private:
  // No control: the window itself, as a container.
  static constexpr std::size_t kWindow = static_cast<std::size_t>(-1);
  // Check boxes, option buttons and labels at least this high (two lines of 8-point text)
  // wrap a long caption; lower ones keep it on one line, where wrapping would hide both.
  static constexpr int kTwoLinesTwips = 400;
  // The check of a check box or option button for the form's value (0, 1, 2 greyed).
  static UINT CheckState(int value);

  // --- Building (view_create.cpp) ---
  void RegisterWizardClass();
  // The frame's dialog with everything it holds (frames in it that show, too).
  void CreateFrame(std::size_t frame);
  void CreateControl(std::size_t i);
  // Makes the frames on the window that have no dialog yet (or those on show only).
  void CreateMissingFrames(bool shownOnly);
  void AddToolTip(std::size_t i);
  // What a container holds directly, in the order the window stacks it from the top: the
  // controls that take the focus in the form's order (the order Tab walks them), then labels,
  // pictures and frames as the form draws them, the one it draws last on top (the panels over
  // the banner, the logo over the product's name).
  std::vector<std::size_t> StackOf(std::size_t container) const;
  // Puts a window made later at its place in its container's stack.
  void Restack(std::size_t i);
  std::optional<std::size_t> Find(const ControlRef& control) const;
  std::optional<std::size_t> FindWindow(HWND control) const;
  HWND Handle(std::size_t i) const { return handles_[i]; }
  HWND ParentOf(std::size_t i) const;
  std::size_t ContainerOf(std::size_t i) const;
  bool IsFrame(std::size_t i) const { return controls_[i].kind == ControlKind::Frame; }

  // --- Mirroring (wizard_view.cpp) ---
  // Where the control stands on the form, in twips: its own place plus its frames'.
  POINT FormPosition(std::size_t i) const;
  // Where a control goes on the window, in pixels at the window's DPI (its font is made when
  // first asked for), and where that is in its container.
  PixelRect WindowRect(std::size_t i);
  PixelRect ControlRect(std::size_t i);
  // The font a control is drawn in: the form's size, smaller for a one-line label whose frame
  // has no room for its text in that size.
  HFONT FontFor(std::size_t i);
  // Sets size and place of the controls given (and of a frame's group box).
  void PlaceControls(const std::vector<std::size_t>& which);
  void ApplyFonts();
  void ApplyWindowSize(std::optional<RECT> suggested = std::nullopt);
  // A control and everything it holds, at any depth.
  std::vector<std::size_t> WithContents(std::size_t i) const;

  // --- Messages (wizard_window.cpp) ---
  LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
  void OnCommand(WORD id, WORD code, HWND control);
  LRESULT OnControlColour(HDC dc, HWND control, UINT message, WPARAM wParam, LPARAM lParam);
  void OnDpiChanged(int dpi, const RECT& suggested);
  void DrawPicture(const DRAWITEMSTRUCT& item);
  // The colours a control is drawn in: the form's, or in a high-contrast scheme the user's.
  Colour ForeOf(const ControlState& c) const;
  Colour BackOf(const ControlState& c) const;
  // The user's action, reported unless it is the echo of the view's own change.
  bool Reporting() const { return events_ != nullptr && applying_ == 0; }

  // Loaded when the window is first built, and kept while it may exist: a silent run never
  // needs them.
  UniqueModule commonControls_;
  UniqueWindow window_;
  HWND toolTips_ = nullptr;  // owned by the window, which destroys it
  WizardEvents* events_ = nullptr;
  // The form's controls as the model last described them, each with its window (a frame's is
  // its dialog, and its group box beside), its ID and what it holds.
  std::vector<ControlState> controls_;
  std::map<std::pair<std::wstring, int>, std::size_t> index_;
  std::vector<HWND> handles_;
  std::vector<HWND> groupBoxes_;
  std::vector<int> ids_;
  WindowState windowState_;
  int dpi_ = USER_DEFAULT_SCREEN_DPI;
  FontSet fonts_;
  BrushSet brushes_;
  UniqueGdiObject logo_;
  SIZE logoSize_{};
  bool highContrast_ = false;
  bool placed_ = false;        // the window has been centred once
  bool deferredWork_ = false;  // DoDeferredWork has not been done for this window
  int applying_ = 0;           // a change of the model is being applied: its echo is not reported
};

}  // namespace vtr::win32
