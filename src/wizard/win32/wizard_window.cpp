// The messages of the wizard's window, where everything the controls of its frames report
// arrives: clicks, typing and focus, the dialog manager's Enter and Escape, the controls'
// colours, the logo, the close box and the end of the session, and the DPI.
#include <algorithm>

#include "wizard/scoped_count.h"
#include "wizard/win32/logo.h"
#include "wizard/win32/window_metrics.h"
#include "wizard/win32/wizard_view.h"

namespace vtr::win32 {
namespace {

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
    return ::DefDlgProcW(window, message, wParam, lParam);
  }
  if (message == WM_NCDESTROY) {
    // However the window went, the view no longer has it.
    view->window_.release();
    view->handles_.assign(view->handles_.size(), nullptr);
    view->groupBoxes_.assign(view->groupBoxes_.size(), nullptr);
    view->toolTips_ = nullptr;
    ::SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    return ::DefDlgProcW(window, message, wParam, lParam);
  }
  // The form's handlers, and a whole run of the install engine after Finish, run from here.
  try {
    return view->OnMessage(message, wParam, lParam);
  } catch (...) {
    view->KeepError(std::current_exception());
    return 0;
  }
}

INT_PTR CALLBACK Win32WizardView::FrameProc(HWND frame, UINT message, WPARAM wParam,
                                            LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
    case WM_DRAWITEM:
      ::SendMessageW(::GetAncestor(frame, GA_ROOT), message, wParam, lParam);
      return TRUE;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORBTN:
      // A dialog procedure answers these with the brush itself.
      return static_cast<INT_PTR>(
          ::SendMessageW(::GetAncestor(frame, GA_ROOT), message, wParam, lParam));
    default:
      return FALSE;  // the dialog manager's own handling (WM_INITDIALOG: no focus of its own)
  }
}

bool Win32WizardView::PreTranslateMessage(MSG& message) {
  // Tab, the arrow keys, Enter, Escape and access keys, for the window and every frame in it.
  HWND window = window_.get();
  return window != nullptr && ::IsDialogMessageW(window, &message) != FALSE;
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
  return ::DefDlgProcW(window, message, wParam, lParam);
}

void Win32WizardView::OnCommand(WORD /*id*/, WORD code, HWND control) {
  const auto i = FindWindow(control);
  if (!i) {
    return;
  }
  const ControlRef ref = controls_[*i].ref;
  if (controls_[*i].kind == ControlKind::TextBox) {
    if (code == EN_SETFOCUS) {
      if (Reporting()) {
        events_->FocusChanged(ref);
      }
    } else if (code == EN_CHANGE && Reporting()) {
      const std::wstring text = TextOf(control);
      if (events_->TextChanged(ref, text)) {
        controls_[*i].caption = text;
      } else {
        // The form could not take the text now: the box shows what the form holds.
        const ScopedCount applying(applying_);
        ::SetWindowTextW(control, controls_[*i].caption.c_str());
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
      if (Reporting()) {
        events_->FocusChanged(ref);
      }
      break;
    default:
      break;
  }
}

LRESULT Win32WizardView::OnControlColour(HDC dc, HWND control, UINT message, WPARAM wParam,
                                         LPARAM lParam) {
  const auto i = FindWindow(control);
  // A disabled text box asks as a label does; it keeps the system's greyed look.
  if (!i || (controls_[*i].kind == ControlKind::TextBox && message == WM_CTLCOLORSTATIC)) {
    return ::DefWindowProcW(window_.get(), message, wParam, lParam);
  }
  const ControlState& c = controls_[*i];
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

void Win32WizardView::OnDpiChanged(int dpi, const RECT& suggested) {
  const ScopedCount applying(applying_);
  dpi_ = dpi > 0 ? dpi : WindowDpi(window_.get());
  fonts_.Reset(dpi_);
  logo_.reset();
  ApplyFonts();
  std::vector<std::size_t> all(controls_.size());
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
  const Colour back = i ? BackOf(controls_[*i]) : Colour::System(SystemColour::ButtonFace);
  if (i && controls_[*i].picture == L"logo" &&
      (!logo_ || logoSize_.cx != width || logoSize_.cy != height)) {
    logo_ = MakeLogo(width, height, ScreenColour(back));
    logoSize_ = SIZE{width, height};
  }
  if (!i || controls_[*i].picture != L"logo" || !logo_) {
    ::FillRect(item.hDC, &area, brushes_.Get(back));
    return;
  }
  const MemoryDc memory(item.hDC);
  const Selected picture(memory.get(), logo_.get());
  if (picture.ok()) {
    ::BitBlt(item.hDC, area.left, area.top, width, height, memory.get(), 0, 0, SRCCOPY);
  }
}

}  // namespace vtr::win32
