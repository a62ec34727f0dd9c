// The messages of the wizard's window and of its frames: what the controls report, their
// colours, the logo, the close box and the end of the session, activation and the DPI.
#include <algorithm>

#include "wizard/win32/logo.h"
#include "wizard/win32/window_metrics.h"
#include "wizard/win32/wizard_view.h"

namespace vtr::win32 {
namespace {

// Where a frame's caption starts, in pixels at 96 DPI, from the frame's left edge.
constexpr int kCaptionIndent = 6;

Win32WizardView* ViewOf(HWND window) {
  return reinterpret_cast<Win32WizardView*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
}

std::wstring TextOf(HWND control) {
  const int length = ::GetWindowTextLengthW(control);
  if (length <= 0) {
    return {};
  }
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  const int copied = ::GetWindowTextW(control, text.data(), length + 1);
  text.resize(static_cast<std::size_t>(std::max(copied, 0)));
  return text;
}

}  // namespace

LRESULT CALLBACK Win32WizardView::WizardProc(HWND window, UINT message, WPARAM wParam,
                                             LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* view =
        static_cast<Win32WizardView*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(view));
    view->window_.reset(window);
  }
  Win32WizardView* view = ViewOf(window);
  if (view == nullptr || view->window_.get() != window) {
    return ::DefWindowProcW(window, message, wParam, lParam);
  }
  if (message == WM_NCDESTROY) {
    // However the window went, the view no longer has it.
    view->window_.release();
    view->handles_.assign(view->handles_.size(), nullptr);
    view->toolTips_ = nullptr;
    ::SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    return ::DefWindowProcW(window, message, wParam, lParam);
  }
  // The form's handlers, and a whole run of the install engine after Finish, run from here.
  try {
    return view->OnMessage(message, wParam, lParam);
  } catch (...) {
    view->KeepError(std::current_exception());
    return 0;
  }
}

LRESULT CALLBACK Win32WizardView::FrameProc(HWND window, UINT message, WPARAM wParam,
                                            LPARAM lParam) {
  switch (message) {
    case WM_PAINT: {
      Win32WizardView* view = ViewOf(::GetParent(window));
      if (view != nullptr) {
        try {
          view->PaintFrame(window);
        } catch (...) {
          view->KeepError(std::current_exception());
        }
        return 0;
      }
      break;
    }
    case WM_ERASEBKGND:
      return 1;  // painted with the frame
    case WM_NCHITTEST:
      return HTTRANSPARENT;  // clicks on a frame belong to the window, as on a group box
    case WM_ENABLE:
      ::InvalidateRect(window, nullptr, FALSE);  // the caption greys out
      return 0;
    default:
      break;
  }
  return ::DefWindowProcW(window, message, wParam, lParam);
}

LRESULT Win32WizardView::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  HWND window = window_.get();
  switch (message) {
    case WM_COMMAND: {
      const WORD id = LOWORD(wParam);
      HWND control = reinterpret_cast<HWND>(lParam);
      if (FindWindow(control)) {
        OnCommand(id, HIWORD(wParam), control);
      } else if (id == IDCANCEL && Reporting()) {
        events_->PressCancel();  // Escape, as the dialog manager reports it
      } else if (id == IDOK && Reporting()) {
        events_->PressDefault();
      }
      return 0;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORBTN:
      return OnControlColour(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam), message,
                             wParam, lParam);
    case WM_DRAWITEM: {
      const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
      if (item != nullptr && item->CtlType == ODT_STATIC) {
        DrawPicture(*item);
        return TRUE;
      }
      break;
    }
    case DM_GETDEFID:
      // The dialog manager asks which button Enter presses.
      for (std::size_t i = 0; i < tree_.Size(); ++i) {
        if (tree_[i].isDefault && Handle(i) != nullptr) {
          return MAKELRESULT(ids_[i], DC_HASDEFID);
        }
      }
      return 0;
    case WM_CLOSE:
      // The close box (or Alt+F4): the form decides; it always closes, and unloading
      // destroys the window.
      if (events_ != nullptr) {
        events_->CloseRequested();
      } else {
        ::DestroyWindow(window);
      }
      return 0;
    case WM_QUERYENDSESSION:
      return TRUE;  // a setup program waiting for the user never holds up a log-off
    case WM_ENDSESSION:
      if (wParam != FALSE && events_ != nullptr) {
        events_->CloseRequested();
      }
      return 0;
    case WM_ACTIVATE:
      OnActivate(LOWORD(wParam) != WA_INACTIVE && HIWORD(wParam) == 0);
      return 0;
    case WM_SETFOCUS:
      OnActivate(true);
      return 0;
    case WM_DPICHANGED:
      OnDpiChanged(LOWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
      return 0;
    case WM_SETTINGCHANGE:
      if (wParam == SPI_SETHIGHCONTRAST) {
        highContrast_ = HighContrastOn();
        logo_.reset();
        ::RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
      }
      if (wParam == SPI_SETNONCLIENTMETRICS) {
        // The user chose another typeface for messages: the form follows.
        fonts_.Reset(dpi_);
        ApplyFonts();
        ApplyWindowSize();
        ::RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
      }
      break;
    case WM_SYSCOLORCHANGE:
      highContrast_ = HighContrastOn();
      logo_.reset();  // drawn on the old background
      ::RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
      break;
    default:
      break;
  }
  return ::DefWindowProcW(window, message, wParam, lParam);
}

void Win32WizardView::OnCommand(WORD /*id*/, WORD code, HWND control) {
  const auto i = FindWindow(control);
  if (!i) {
    return;
  }
  const ControlRef ref = tree_[*i].ref;
  if (tree_[*i].kind == ControlKind::TextBox) {
    if (code == EN_SETFOCUS) {
      UpdateDefaultLook();
      if (Reporting()) {
        events_->FocusChanged(ref);
      }
    } else if (code == EN_CHANGE && Reporting()) {
      const std::wstring text = TextOf(control);
      if (events_->TextChanged(ref, text)) {
        tree_[*i].caption = text;
      } else {
        // The form could not take the text now: the box shows what the form holds.
        const Applying applying(applying_);
        ::SetWindowTextW(control, tree_[*i].caption.c_str());
      }
    }
    return;
  }
  switch (code) {
    case BN_CLICKED:
    case BN_DOUBLECLICKED:  // the second click of a double click
      if (Reporting()) {
        events_->Click(ref);
      }
      break;
    case BN_SETFOCUS:
      UpdateDefaultLook();
      if (Reporting()) {
        events_->FocusChanged(ref);
      }
      break;
    case BN_KILLFOCUS:
      UpdateDefaultLook();
      break;
    default:
      break;
  }
}

LRESULT Win32WizardView::OnControlColour(HDC dc, HWND control, UINT message, WPARAM wParam,
                                         LPARAM lParam) {
  const auto i = FindWindow(control);
  // A disabled text box asks as a label does; it keeps the system's greyed look.
  if (!i || (tree_[*i].kind == ControlKind::TextBox && message == WM_CTLCOLORSTATIC)) {
    return ::DefWindowProcW(window_.get(), message, wParam, lParam);
  }
  const ControlState& c = tree_[*i];
  ::SetTextColor(dc, ScreenColour(ForeOf(c)));
  ::SetBkColor(dc, ScreenColour(BackOf(c)));
  return reinterpret_cast<LRESULT>(brushes_.Get(BackOf(c)));
}

Colour Win32WizardView::ForeOf(const ControlState& c) const {
  if (!highContrast_ || c.foreColour.system != SystemColour::None) {
    return c.foreColour;
  }
  return Colour::System(c.kind == ControlKind::TextBox ? SystemColour::WindowText
                                                       : SystemColour::ButtonText);
}

Colour Win32WizardView::BackOf(const ControlState& c) const {
  if (!highContrast_ || c.backColour.system != SystemColour::None) {
    return c.backColour;
  }
  return Colour::System(c.kind == ControlKind::TextBox ? SystemColour::Window
                                                       : SystemColour::ButtonFace);
}

void Win32WizardView::OnActivate(bool active) {
  HWND window = window_.get();
  if (!active) {
    HWND focus = ::GetFocus();
    if (focus != nullptr && ::IsChild(window, focus)) {
      savedFocus_ = focus;  // given back when the window is active again, as a dialog does
    }
    return;
  }
  if (savedFocus_ != nullptr && ::IsChild(window, savedFocus_) && ::IsWindowVisible(savedFocus_) &&
      ::IsWindowEnabled(savedFocus_)) {
    ::SetFocus(savedFocus_);
    return;
  }
  HWND focus = ::GetFocus();
  if (focus != nullptr && ::IsChild(window, focus)) {
    return;
  }
  if (const auto first = tree_.NextTabStop(std::nullopt, true)) {
    MoveFocusTo(*first);
  } else {
    ::SetFocus(window);
  }
}

void Win32WizardView::OnDpiChanged(int dpi, const RECT& suggested) {
  const Applying applying(applying_);
  dpi_ = dpi > 0 ? dpi : WindowDpi(window_.get());
  fonts_.Reset(dpi_);
  logo_.reset();
  ApplyFonts();
  std::vector<std::size_t> all(tree_.Size());
  for (std::size_t i = 0; i < all.size(); ++i) {
    all[i] = i;
  }
  PlaceControls(all);
  ApplyWindowSize(suggested);
  ::RedrawWindow(window_.get(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void Win32WizardView::DrawPicture(const DRAWITEMSTRUCT& item) {
  const auto i = FindWindow(item.hwndItem);
  const RECT& area = item.rcItem;
  const int width = area.right - area.left;
  const int height = area.bottom - area.top;
  const Colour back = i ? BackOf(tree_[*i]) : Colour::System(SystemColour::ButtonFace);
  if (i && tree_[*i].picture == L"logo" &&
      (!logo_ || logoSize_.cx != width || logoSize_.cy != height)) {
    logo_ = MakeLogo(width, height, ScreenColour(back));
    logoSize_ = SIZE{width, height};
  }
  if (!i || tree_[*i].picture != L"logo" || !logo_) {
    ::FillRect(item.hDC, &area, brushes_.Get(back));
    return;
  }
  const MemoryDc memory(item.hDC);
  const Selected picture(memory.get(), logo_.get());
  if (picture.ok()) {
    ::BitBlt(item.hDC, area.left, area.top, width, height, memory.get(), 0, 0, SRCCOPY);
  }
}

void Win32WizardView::PaintFrame(HWND frame) {
  const PaintScope paint(frame);
  HDC dc = paint.get();
  if (dc == nullptr) {
    return;
  }
  RECT area{};
  ::GetClientRect(frame, &area);
  const auto i = FindWindow(frame);
  if (!i) {
    ::FillRect(dc, &area, ::GetSysColorBrush(COLOR_BTNFACE));
    return;
  }
  const ControlState& c = tree_[*i];
  HBRUSH back = brushes_.Get(BackOf(c));
  ::FillRect(dc, &area, back);
  const Selected font(dc, fonts_.Get(c.fontPoints, c.bold));
  TEXTMETRICW metrics{};
  ::GetTextMetricsW(dc, &metrics);
  if (c.border) {
    // The etched line of a group box, through the middle of the caption.
    RECT box = area;
    box.top += metrics.tmHeight / 2;
    ::DrawEdge(dc, &box, EDGE_ETCHED, BF_RECT);
  }
  if (!c.caption.empty()) {
    const int indent = ::MulDiv(kCaptionIndent, dpi_, USER_DEFAULT_SCREEN_DPI);
    RECT text{area.left + indent, area.top, area.right - indent, area.top + metrics.tmHeight};
    RECT measured = text;
    ::DrawTextW(dc, c.caption.c_str(), -1, &measured, DT_SINGLELINE | DT_CALCRECT);
    text.right = std::min(text.right, measured.right);
    ::FillRect(dc, &text, back);
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(
        dc, ::IsWindowEnabled(frame) ? ScreenColour(ForeOf(c)) : ::GetSysColor(COLOR_GRAYTEXT));
    ::DrawTextW(dc, c.caption.c_str(), -1, &text, DT_SINGLELINE | DT_END_ELLIPSIS);
  }
}

}  // namespace vtr::win32
