// Mirroring each change of the form onto the window and its controls.
#include "wizard/win32/wizard_view.h"

#include <algorithm>

#include "wizard/win32/pixels.h"
#include "wizard/win32/window_metrics.h"

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

PixelRect Win32WizardView::ControlRect(std::size_t i) {
  const ControlState& c = tree_[i];
  const TwipPoint at = tree_.FormPosition(i);
  PixelRect r = TwipsToPixels(at.left, at.top, c.width, c.height, dpi_);
  if (c.kind == ControlKind::Label && c.height < kTwoLinesTwips) {
    const int slack = ::MulDiv(kLabelSlack, dpi_, USER_DEFAULT_SCREEN_DPI);
    r = WidenForOneLine(r, slack + TextWidth(fonts_.Get(c.fontPoints, c.bold), c.caption),
                        c.align == TextAlign::Centre);
  }
  if (const auto container = tree_.ContainerOf(i); container && tree_[*container].border) {
    const ControlState& frame = tree_[*container];
    const TwipPoint frameAt = tree_.FormPosition(*container);
    r = KeepInsideBorder(r,
                         TwipsToPixels(frameAt.left, frameAt.top, frame.width, frame.height, dpi_),
                         ::MulDiv(kFrameBorder, dpi_, USER_DEFAULT_SCREEN_DPI));
  }
  return r;
}

HFONT Win32WizardView::FontFor(std::size_t i) {
  const ControlState& c = tree_[i];
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
  // One batch, so a panel and its controls arrive together.
  HDWP batch = ::BeginDeferWindowPos(static_cast<int>(which.size()));
  for (std::size_t i : which) {
    if (Handle(i) == nullptr) {
      continue;
    }
    const PixelRect r = ControlRect(i);
    const UINT flags = SWP_NOZORDER | SWP_NOACTIVATE;
    if (batch != nullptr) {
      batch = ::DeferWindowPos(batch, Handle(i), nullptr, r.left, r.top, r.width, r.height, flags);
    } else {
      ::SetWindowPos(Handle(i), nullptr, r.left, r.top, r.width, r.height, flags);
    }
  }
  if (batch != nullptr) {
    ::EndDeferWindowPos(batch);
  }
}

void Win32WizardView::ShowControls(const std::vector<std::size_t>& which) {
  for (std::size_t i : which) {
    if (Handle(i) != nullptr) {
      ::ShowWindow(Handle(i), tree_.Shown(i) ? SW_SHOWNA : SW_HIDE);
    }
  }
}

void Win32WizardView::EnableControls(const std::vector<std::size_t>& which) {
  for (std::size_t i : which) {
    if (Handle(i) != nullptr) {
      ::EnableWindow(Handle(i), tree_.Enabled(i) ? TRUE : FALSE);
    }
  }
}

void Win32WizardView::StackControls(const std::vector<std::size_t>& bottomToTop) {
  for (std::size_t i : bottomToTop) {
    if (Handle(i) != nullptr) {
      ::SetWindowPos(Handle(i), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
  }
}

void Win32WizardView::ApplyFonts() {
  for (std::size_t i = 0; i < tree_.Size(); ++i) {
    if (Handle(i) != nullptr) {
      ::SendMessageW(Handle(i), WM_SETFONT, reinterpret_cast<WPARAM>(FontFor(i)), TRUE);
    }
  }
}

void Win32WizardView::ApplyWindowSize(std::optional<RECT> suggested) {
  HWND window = window_.get();
  if (window == nullptr) {
    return;
  }
  const SIZE frame = FrameSize(window, dpi_);
  const TwipPoint extent = tree_.Extent();
  const TwipPoint margin = tree_.Margin();
  const int clientWidth =
      ClientSide(TwipsToPixels(windowState_.width, dpi_), frame.cx,
                 TwipsToPixels(extent.left, dpi_), TwipsToPixels(margin.left, dpi_));
  const int clientHeight =
      ClientSide(TwipsToPixels(windowState_.height, dpi_), frame.cy,
                 TwipsToPixels(extent.top, dpi_), TwipsToPixels(margin.top, dpi_));
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

void Win32WizardView::UpdateDefaultLook() {
  std::optional<std::size_t> look;
  const auto focused = FocusedControl();
  if (focused && tree_[*focused].kind == ControlKind::Button) {
    look = focused;
  } else {
    for (std::size_t i = 0; i < tree_.Size(); ++i) {
      if (tree_[i].isDefault) {
        look = i;
      }
    }
  }
  for (std::size_t i = 0; i < tree_.Size(); ++i) {
    if (tree_[i].kind != ControlKind::Button || Handle(i) == nullptr) {
      continue;
    }
    const DWORD style = static_cast<DWORD>(::GetWindowLongW(Handle(i), GWL_STYLE));
    const DWORD type = look == i ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
    if ((style & BS_TYPEMASK) != type) {
      ::SendMessageW(Handle(i), BM_SETSTYLE, (style & 0xFFFFu & ~DWORD{BS_TYPEMASK}) | type, TRUE);
    }
  }
}

// --- WindowView ---

void Win32WizardView::SetWindowSize(int widthTwips, int heightTwips) {
  const Applying applying(applying_);
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
  const Applying applying(applying_);
  HWND window = window_.get();
  windowState_.visible = true;
  if (window == nullptr) {
    return;
  }
  if (!placed_) {
    CentreOnMonitor(window);
    placed_ = true;
  }
  if (deferring_) {
    CreateMissingControls(true);
  }
  ::ShowWindow(window, SW_SHOW);
  ::SetForegroundWindow(window);
  ::UpdateWindow(window);
}

void Win32WizardView::HideWindow() {
  const Applying applying(applying_);
  windowState_.visible = false;
  if (window_.get() != nullptr) {
    ::ShowWindow(window_.get(), SW_HIDE);
  }
}

void Win32WizardView::UnloadWindow() {
  const Applying applying(applying_);
  windowState_.visible = false;
  events_ = nullptr;
  window_.reset();  // its controls and tool tips go with it
  handles_.assign(handles_.size(), nullptr);
  toolTips_ = nullptr;
  savedFocus_ = nullptr;
  logo_.reset();
  // The unload may come from a message sent to the window (another program closing
  // it), which GetMessageW handles without returning: wake the event loop so that it
  // sees the form is gone instead of waiting for a message that never comes.
  ::PostThreadMessageW(::GetCurrentThreadId(), WM_NULL, 0, 0);
}

void Win32WizardView::SetCaption(const ControlRef& control, const std::wstring& caption) {
  const Applying applying(applying_);
  const auto i = Find(control);
  if (!i) {
    return;
  }
  tree_[*i].caption = caption;
  if (tree_[*i].kind == ControlKind::Label) {
    // A one-line label may need more room for its new text. Placed before the text is set,
    // so the text is drawn once in the new place: a label resized after it had drawn its new
    // text keeps that drawing, cut off at its old edge.
    PlaceControls({*i});
    if (Handle(*i) != nullptr) {
      ::SendMessageW(Handle(*i), WM_SETFONT, reinterpret_cast<WPARAM>(FontFor(*i)), FALSE);
    }
  }
  if (Handle(*i) == nullptr) {
    return;  // made with its caption when it first shows
  }
  ::SetWindowTextW(Handle(*i), caption.c_str());
  if (tree_[*i].kind == ControlKind::Frame) {
    ::InvalidateRect(Handle(*i), nullptr, FALSE);
  }
}

void Win32WizardView::SetValue(const ControlRef& control, int value) {
  const Applying applying(applying_);
  const auto i = Find(control);
  if (!i) {
    return;
  }
  tree_[*i].value = value;
  if (Handle(*i) == nullptr) {
    return;
  }
  ::SendMessageW(Handle(*i), BM_SETCHECK, CheckState(value), 0);
}

void Win32WizardView::SetEnabled(const ControlRef& control, bool enabled) {
  const Applying applying(applying_);
  const auto i = Find(control);
  if (!i) {
    return;
  }
  tree_[*i].enabled = enabled;
  EnableControls(WithContents(*i));
}

void Win32WizardView::SetVisible(const ControlRef& control, bool visible) {
  const Applying applying(applying_);
  const auto i = Find(control);
  if (!i) {
    return;
  }
  tree_[*i].visible = visible;
  ShowControls(WithContents(*i));
  CreateShownControls();
}

void Win32WizardView::MoveTo(const ControlRef& control, int leftTwips, int topTwips) {
  const Applying applying(applying_);
  const auto i = Find(control);
  if (!i) {
    return;
  }
  tree_[*i].left = leftTwips;
  tree_[*i].top = topTwips;
  PlaceControls(WithContents(*i));
}

void Win32WizardView::SetForeColour(const ControlRef& control, const Colour& colour) {
  const Applying applying(applying_);
  const auto i = Find(control);
  if (!i) {
    return;
  }
  tree_[*i].foreColour = colour;
  if (Handle(*i) == nullptr) {
    return;
  }
  ::InvalidateRect(Handle(*i), nullptr, TRUE);
}

void Win32WizardView::BringToFront(const ControlRef& control) {
  const Applying applying(applying_);
  const auto i = Find(control);
  if (!i) {
    return;
  }
  tree_.BringToFront(*i);
  // The control and what it holds, in their own stacking order, on top of everything else.
  const std::vector<std::size_t> moved = WithContents(*i);
  std::vector<std::size_t> order;
  for (std::size_t j : tree_.StackingOrder()) {
    if (std::find(moved.begin(), moved.end(), j) != moved.end()) {
      order.push_back(j);
    }
  }
  StackControls(order);
}

void Win32WizardView::SetDefaultButton(const ControlRef& control) {
  const Applying applying(applying_);
  const auto i = Find(control);
  if (!i) {
    return;
  }
  for (std::size_t j = 0; j < tree_.Size(); ++j) {
    tree_[j].isDefault = j == *i;
  }
  UpdateDefaultLook();
}

void Win32WizardView::SetCancelButton(const ControlRef& control) {
  const auto i = Find(control);
  if (!i) {
    return;
  }
  for (std::size_t j = 0; j < tree_.Size(); ++j) {
    tree_[j].isCancel = j == *i;
  }
}

void Win32WizardView::SetFocus(const ControlRef& control) {
  const Applying applying(applying_);
  const auto i = Find(control);
  if (!i) {
    return;
  }
  if (Handle(*i) == nullptr) {
    CreateMissingControls(false);  // the focus may go to a control not on show yet
  }
  ::SetFocus(Handle(*i));
  UpdateDefaultLook();
}

}  // namespace vtr::win32
