// Mirroring each change of the form onto the window and its controls.
#include <algorithm>

#include "wizard/scoped_count.h"
#include "wizard/win32/pixels.h"
#include "wizard/win32/window_metrics.h"
#include "wizard/win32/wizard_view.h"

namespace vtr::win32 {
namespace {

// The width of a frame's etched line, in pixels at 96 DPI.
constexpr int kFrameBorder = 2;

// What a label drawing one line needs beyond its text's measured width, in pixels at 96 DPI:
// a label exactly as wide as its text cuts off the last character under Wine ("Rev: 3.3.(").
constexpr int kLabelSlack = 4;

// The smallest size a one-line label steps down to when its frame has no room for its text.
constexpr int kSmallestPoints = 6;

// The width of a text on one line in a font, with "&" taken as a mnemonic as labels take it.
int TextWidth(HFONT font, const std::wstring& text) {
  const ScreenDc screen;
  const Selected selected(screen.get(), font);
  if (!selected.ok()) {
    return 0;
  }
  RECT measured{0, 0, 0, 0};
  ::DrawTextW(screen.get(), text.c_str(), static_cast<int>(text.size()), &measured,
              DT_SINGLELINE | DT_CALCRECT);
  return measured.right - measured.left;
}

}  // namespace

POINT Win32WizardView::FormPosition(std::size_t i) const {
  POINT at{controls_[i].left, controls_[i].top};
  for (std::size_t c = ContainerOf(i); c != kWindow; c = ContainerOf(c)) {
    at.x += controls_[c].left;
    at.y += controls_[c].top;
  }
  return at;
}

PixelRect Win32WizardView::WindowRect(std::size_t i) {
  const ControlState& c = controls_[i];
  const POINT at = FormPosition(i);
  PixelRect r = TwipsToPixels(at.x, at.y, c.width, c.height, dpi_);
  if (c.kind == ControlKind::Label && c.height < kTwoLinesTwips) {
    const int slack = ::MulDiv(kLabelSlack, dpi_, USER_DEFAULT_SCREEN_DPI);
    r = WidenForOneLine(r, slack + TextWidth(fonts_.Get(c.fontPoints, c.bold), c.caption),
                        c.align == TextAlign::Centre);
  }
  if (const std::size_t container = ContainerOf(i);
      container != kWindow && controls_[container].border) {
    const ControlState& frame = controls_[container];
    const POINT frameAt = FormPosition(container);
    r = KeepInsideBorder(r, TwipsToPixels(frameAt.x, frameAt.y, frame.width, frame.height, dpi_),
                         ::MulDiv(kFrameBorder, dpi_, USER_DEFAULT_SCREEN_DPI));
  }
  return r;
}

PixelRect Win32WizardView::ControlRect(std::size_t i) {
  PixelRect r = WindowRect(i);
  if (const std::size_t container = ContainerOf(i); container != kWindow) {
    const PixelRect frame = WindowRect(container);
    r.left -= frame.left;
    r.top -= frame.top;
  }
  return r;
}

HFONT Win32WizardView::FontFor(std::size_t i) {
  const ControlState& c = controls_[i];
  HFONT font = fonts_.Get(c.fontPoints, c.bold);
  if (c.kind != ControlKind::Label || c.height >= kTwoLinesTwips) {
    return font;
  }
  // A one-line label whose frame has no room for its text would wrap and lose the second
  // line: a point or two smaller keeps it whole.
  const int room = ControlRect(i).width - ::MulDiv(kLabelSlack, dpi_, USER_DEFAULT_SCREEN_DPI);
  for (int points = c.fontPoints - 1;
       points >= kSmallestPoints && TextWidth(font, c.caption) > room; --points) {
    font = fonts_.Get(points, c.bold);
  }
  return font;
}

void Win32WizardView::PlaceControls(const std::vector<std::size_t>& which) {
  for (std::size_t i : which) {
    if (Handle(i) == nullptr) {
      continue;
    }
    const PixelRect r = ControlRect(i);
    const UINT flags = SWP_NOZORDER | SWP_NOACTIVATE;
    ::SetWindowPos(Handle(i), nullptr, r.left, r.top, r.width, r.height, flags);
    if (groupBoxes_[i] != nullptr) {
      ::SetWindowPos(groupBoxes_[i], nullptr, 0, 0, r.width, r.height, flags);
    }
  }
}

void Win32WizardView::ApplyFonts() {
  for (std::size_t i = 0; i < controls_.size(); ++i) {
    HWND shown = IsFrame(i) ? groupBoxes_[i] : Handle(i);
    if (shown != nullptr) {
      ::SendMessageW(shown, WM_SETFONT, reinterpret_cast<WPARAM>(FontFor(i)), TRUE);
    }
  }
}

void Win32WizardView::ApplyWindowSize(std::optional<RECT> suggested) {
  HWND window = window_.get();
  if (window == nullptr) {
    return;
  }
  // The top-left margin of the form (the smallest place of a control on the window itself)
  // and the right and bottom edges its controls reach; panels parked out of sight and
  // controls without a size do not count.
  bool any = false;
  int lowLeft = 0;
  int lowTop = 0;
  int right = 0;
  int bottom = 0;
  for (const ControlState& c : controls_) {
    if (!c.container.name.empty() || c.left < 0 || c.top < 0 || c.width <= 0 || c.height <= 0) {
      continue;
    }
    lowLeft = any ? std::min(lowLeft, c.left) : c.left;
    lowTop = any ? std::min(lowTop, c.top) : c.top;
    any = true;
    right = std::max(right, c.left + c.width);
    bottom = std::max(bottom, c.top + c.height);
  }
  const SIZE frame = FrameSize(window, dpi_);
  const int clientWidth = ClientSide(TwipsToPixels(windowState_.width, dpi_), frame.cx,
                                     TwipsToPixels(right, dpi_), TwipsToPixels(lowLeft, dpi_));
  const int clientHeight = ClientSide(TwipsToPixels(windowState_.height, dpi_), frame.cy,
                                      TwipsToPixels(bottom, dpi_), TwipsToPixels(lowTop, dpi_));
  const int width = clientWidth + frame.cx;
  const int height = clientHeight + frame.cy;
  if (suggested) {
    ::SetWindowPos(window, nullptr, suggested->left, suggested->top, width, height,
                   SWP_NOZORDER | SWP_NOACTIVATE);
  } else {
    ::SetWindowPos(window, nullptr, 0, 0, width, height,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

// --- WindowView ---

void Win32WizardView::SetWindowSize(int widthTwips, int heightTwips) {
  const ScopedCount applying(applying_);
  windowState_.width = widthTwips;
  windowState_.height = heightTwips;
  ApplyWindowSize();
}

void Win32WizardView::SetWindowTitle(const std::wstring& title) {
  windowState_.title = title;
  if (window_.get() != nullptr) {
    ::SetWindowTextW(window_.get(), title.c_str());
  }
}

void Win32WizardView::ShowWindow() {
  const ScopedCount applying(applying_);
  HWND window = window_.get();
  windowState_.visible = true;
  if (window == nullptr) {
    return;
  }
  if (!placed_) {
    CentreOnMonitor(window);
    placed_ = true;
  }
  CreateMissingFrames(true);
  ::ShowWindow(window, SW_SHOW);
  ::SetForegroundWindow(window);
  ::UpdateWindow(window);
}

void Win32WizardView::HideWindow() {
  const ScopedCount applying(applying_);
  windowState_.visible = false;
  if (window_.get() != nullptr) {
    ::ShowWindow(window_.get(), SW_HIDE);
  }
}

void Win32WizardView::UnloadWindow() {
  const ScopedCount applying(applying_);
  windowState_.visible = false;
  events_ = nullptr;
  window_.reset();  // its frames, controls and tool tips go with it
  handles_.assign(handles_.size(), nullptr);
  groupBoxes_.assign(groupBoxes_.size(), nullptr);
  toolTips_ = nullptr;
  logo_.reset();
  // The unload may come from a message sent to the window (another program closing
  // it), which GetMessageW handles without returning: wake the event loop so that it
  // sees the form is gone instead of waiting for a message that never comes.
  ::PostThreadMessageW(::GetCurrentThreadId(), WM_NULL, 0, 0);
}

void Win32WizardView::SetCaption(const ControlRef& control, const std::wstring& caption) {
  const ScopedCount applying(applying_);
  const auto i = Find(control);
  if (!i) {
    return;
  }
  controls_[*i].caption = caption;
  HWND shown = IsFrame(*i) ? groupBoxes_[*i] : Handle(*i);
  if (controls_[*i].kind == ControlKind::Label) {
    // A one-line label may need more room for its new text. Placed before the text is set,
    // so the text is drawn once in the new place: a label resized after it had drawn its new
    // text keeps that drawing, cut off at its old edge.
    PlaceControls({*i});
    if (shown != nullptr) {
      ::SendMessageW(shown, WM_SETFONT, reinterpret_cast<WPARAM>(FontFor(*i)), FALSE);
    }
  }
  if (shown != nullptr) {
    ::SetWindowTextW(shown, caption.c_str());  // else made with its caption when it first shows
  }
}

void Win32WizardView::SetValue(const ControlRef& control, int value) {
  const ScopedCount applying(applying_);
  const auto i = Find(control);
  if (!i) {
    return;
  }
  controls_[*i].value = value;
  if (Handle(*i) != nullptr) {
    ::SendMessageW(Handle(*i), BM_SETCHECK, CheckState(value), 0);
  }
}

void Win32WizardView::SetEnabled(const ControlRef& control, bool enabled) {
  const ScopedCount applying(applying_);
  const auto i = Find(control);
  if (!i) {
    return;
  }
  controls_[*i].enabled = enabled;
  if (Handle(*i) != nullptr) {
    ::EnableWindow(Handle(*i), enabled ? TRUE : FALSE);
  }
}

void Win32WizardView::SetVisible(const ControlRef& control, bool visible) {
  const ScopedCount applying(applying_);
  const auto i = Find(control);
  if (!i) {
    return;
  }
  controls_[*i].visible = visible;
  if (Handle(*i) != nullptr) {
    ::ShowWindow(Handle(*i), visible ? SW_SHOWNA : SW_HIDE);
  } else if (visible && window_.get() != nullptr && ::IsWindowVisible(window_.get())) {
    CreateMissingFrames(true);  // a frame made as it first shows
  }
}

void Win32WizardView::MoveTo(const ControlRef& control, int leftTwips, int topTwips) {
  const ScopedCount applying(applying_);
  const auto i = Find(control);
  if (!i) {
    return;
  }
  controls_[*i].left = leftTwips;
  controls_[*i].top = topTwips;
  // What a frame holds moves with it; placed again, each keeps its pixel on the form.
  PlaceControls(WithContents(*i));
}

void Win32WizardView::SetForeColour(const ControlRef& control, const Colour& colour) {
  const ScopedCount applying(applying_);
  const auto i = Find(control);
  if (!i) {
    return;
  }
  controls_[*i].foreColour = colour;
  if (Handle(*i) != nullptr) {
    ::InvalidateRect(Handle(*i), nullptr, TRUE);
  }
}

void Win32WizardView::BringToFront(const ControlRef& control) {
  const ScopedCount applying(applying_);
  const auto i = Find(control);
  if (!i || Handle(*i) == nullptr) {
    return;
  }
  // Above every window beside it that it overlaps (Next and Finish share their place); the
  // others keep their order, which is the order Tab walks them.
  HWND moved = Handle(*i);
  RECT area{};
  ::GetWindowRect(moved, &area);
  for (HWND other = ::GetWindow(::GetParent(moved), GW_CHILD); other != nullptr && other != moved;
       other = ::GetWindow(other, GW_HWNDNEXT)) {
    RECT otherArea{};
    RECT common{};
    ::GetWindowRect(other, &otherArea);
    if (::IntersectRect(&common, &area, &otherArea)) {
      HWND above = ::GetWindow(other, GW_HWNDPREV);
      ::SetWindowPos(moved, above != nullptr ? above : HWND_TOP, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
      return;
    }
  }
}

void Win32WizardView::SetDefaultButton(const ControlRef& control) {
  const ScopedCount applying(applying_);
  const auto i = Find(control);
  if (i && Handle(*i) != nullptr) {
    // The dialog manager draws it as the default button and presses it on Enter.
    ::SendMessageW(window_.get(), DM_SETDEFID, static_cast<WPARAM>(ids_[*i]), 0);
  }
}

void Win32WizardView::SetCancelButton(const ControlRef& /*control*/) {
  // Escape reaches the form as the dialog manager's IDCANCEL; the form presses its own cancel
  // button.
}

void Win32WizardView::SetFocus(const ControlRef& control) {
  const ScopedCount applying(applying_);
  const auto i = Find(control);
  if (!i) {
    return;
  }
  if (Handle(*i) == nullptr) {
    CreateMissingFrames(false);  // the focus may go to a control not on show yet
  }
  if (Handle(*i) != nullptr) {
    // As the dialog manager moves it, so a push button that takes it looks like the default.
    ::SendMessageW(window_.get(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Handle(*i)), TRUE);
  }
}

}  // namespace vtr::win32
