// Drawing the form and mirroring each change of the model onto the window's controls.
#include "wizard/win32/wizard_view.h"

#include <commctrl.h>

#include <algorithm>

#include "platform/run_error.h"
#include "platform/win32/win32_strings.h"
#include "wizard/win32/control_ids.h"
#include "wizard/win32/pixels.h"
#include "wizard/win32/window_metrics.h"

namespace vtr::win32 {
namespace {

// A fixed frame with a title bar, a close box and a minimise box: a wizard is not resized.
constexpr DWORD kWindowStyle =
    WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
constexpr DWORD kWindowExStyle = WS_EX_CONTROLPARENT;

// Check boxes, option buttons and labels at least this high (two lines of 8-point text)
// wrap a long caption; lower ones keep it on one line, where wrapping would hide both lines.
constexpr int kTwoLinesTwips = 400;

// The width of a frame's etched line, in pixels at 96 DPI.
constexpr int kFrameBorder = 2;

UINT CheckState(int value) {
  switch (value) {
    case 1:
      return BST_CHECKED;
    case 2:
      return BST_INDETERMINATE;
    default:
      return BST_UNCHECKED;
  }
}

HINSTANCE Instance() {
  return ::GetModuleHandleW(nullptr);
}

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

Win32WizardView::~Win32WizardView() {
  events_ = nullptr;
}

HWND Win32WizardView::DialogOwner() const {
  HWND window = window_.get();
  return window != nullptr && ::IsWindowVisible(window) ? window : nullptr;
}

void Win32WizardView::RegisterClasses() {
  HINSTANCE instance = Instance();
  WNDCLASSEXW wizard{};
  wizard.cbSize = sizeof(wizard);
  wizard.lpfnWndProc = &Win32WizardView::WizardProc;
  wizard.hInstance = instance;
  // The program's own icon (resource 1); shared icons are never destroyed by hand.
  wizard.hIcon = static_cast<HICON>(
      ::LoadImageW(instance, MAKEINTRESOURCEW(1), IMAGE_ICON, 0, 0, LR_DEFAULTSIZE | LR_SHARED));
  wizard.hIconSm = static_cast<HICON>(::LoadImageW(instance, MAKEINTRESOURCEW(1), IMAGE_ICON,
                                                   ::GetSystemMetrics(SM_CXSMICON),
                                                   ::GetSystemMetrics(SM_CYSMICON), LR_SHARED));
  wizard.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
  wizard.hbrBackground = ::GetSysColorBrush(COLOR_BTNFACE);
  wizard.lpszClassName = kWizardClassName;
  ::RegisterClassExW(&wizard);  // already registered by an earlier form: fine

  WNDCLASSEXW frame{};
  frame.cbSize = sizeof(frame);
  frame.style = CS_HREDRAW | CS_VREDRAW;
  frame.lpfnWndProc = &Win32WizardView::FrameProc;
  frame.hInstance = instance;
  frame.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
  frame.lpszClassName = kFrameClassName;
  ::RegisterClassExW(&frame);
}

void Win32WizardView::CreateForm(const WindowState& window,
                                 const std::vector<ControlState>& controls, WizardEvents& events) {
  const Applying applying(applying_);
  tree_ = FormTree(controls);
  windowState_ = window;
  RegisterClasses();
  dpi_ = ScreenDpi();
  highContrast_ = HighContrastOn();
  HWND created =
      ::CreateWindowExW(kWindowExStyle, kWizardClassName, window.title.c_str(), kWindowStyle,
                        CW_USEDEFAULT, CW_USEDEFAULT, 0, 0, nullptr, nullptr, Instance(), this);
  if (created == nullptr) {
    const DWORD error = ::GetLastError();
    throw RunError{static_cast<int32_t>(error),
                   L"The setup window could not be created. " + SystemMessage(error)};
  }
  dpi_ = WindowDpi(created);
  fonts_.Reset(dpi_);

  handles_.assign(tree_.Size(), nullptr);
  ids_.assign(tree_.Size(), 0);
  int nextUnlisted = kFirstUnlistedId;
  for (std::size_t i = 0; i < tree_.Size(); ++i) {
    ids_[i] = StableControlId(tree_[i].ref).value_or(nextUnlisted);
    if (ids_[i] == nextUnlisted) {
      ++nextUnlisted;
    }
    CreateControl(i);
  }
  std::vector<std::size_t> all(tree_.Size());
  for (std::size_t i = 0; i < all.size(); ++i) {
    all[i] = i;
  }
  StackControls(tree_.StackingOrder());
  PlaceControls(all);
  ApplyWindowSize();
  events_ = &events;
  if (window.visible) {
    ShowWindow();
  }
}

void Win32WizardView::CreateControl(std::size_t i) {
  const ControlState& c = tree_[i];
  const wchar_t* windowClass = L"BUTTON";
  DWORD style = WS_CHILD | WS_CLIPSIBLINGS;
  DWORD exStyle = 0;
  const DWORD wrap = c.height >= kTwoLinesTwips ? BS_MULTILINE : 0;
  switch (c.kind) {
    case ControlKind::Frame:
      windowClass = kFrameClassName;
      break;
    case ControlKind::Button:
      style |= (c.isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON) | BS_NOTIFY | WS_TABSTOP;
      break;
    case ControlKind::CheckBox:
      // Not an automatic box: the form decides the value and tells the view.
      style |= BS_3STATE | BS_NOTIFY | WS_TABSTOP | wrap;
      break;
    case ControlKind::OptionButton:
      style |= BS_RADIOBUTTON | BS_NOTIFY | WS_TABSTOP | wrap;
      break;
    case ControlKind::Label:
      windowClass = L"STATIC";
      style |= c.align == TextAlign::Centre ? SS_CENTER : SS_LEFT;
      break;
    case ControlKind::TextBox:
      windowClass = L"EDIT";
      style |= ES_LEFT | ES_AUTOHSCROLL | WS_TABSTOP;
      exStyle |= WS_EX_CLIENTEDGE;
      break;
    case ControlKind::Image:
      windowClass = L"STATIC";
      style |= SS_OWNERDRAW;
      break;
  }
  if (tree_.Shown(i)) {
    style |= WS_VISIBLE;
  }
  if (!tree_.Enabled(i)) {
    style |= WS_DISABLED;
  }
  HWND control =
      ::CreateWindowExW(exStyle, windowClass, c.caption.c_str(), style, 0, 0, 0, 0, window_.get(),
                        reinterpret_cast<HMENU>(INT_PTR{ids_[i]}), Instance(), nullptr);
  handles_[i] = control;
  if (control == nullptr) {
    return;  // the form still works without it; the model keeps its state
  }
  ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(fonts_.Get(c.fontPoints, c.bold)),
                 FALSE);
  if (c.kind == ControlKind::CheckBox || c.kind == ControlKind::OptionButton) {
    ::SendMessageW(control, BM_SETCHECK, CheckState(c.value), 0);
  }
  if (!c.toolTip.empty()) {
    AddToolTip(i);
  }
}

void Win32WizardView::AddToolTip(std::size_t i) {
  if (toolTips_ == nullptr) {
    // Owned by the wizard's window, so it goes with it.
    toolTips_ = ::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                                  WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT,
                                  CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, window_.get(),
                                  nullptr, Instance(), nullptr);
    if (toolTips_ == nullptr) {
      return;
    }
  }
  TOOLINFOW tool{};
  tool.cbSize = sizeof(tool);
  tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  tool.hwnd = window_.get();
  tool.uId = reinterpret_cast<UINT_PTR>(Handle(i));
  tool.lpszText = const_cast<wchar_t*>(tree_[i].toolTip.c_str());  // copied by the tool tip
  ::SendMessageW(toolTips_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

std::optional<std::size_t> Win32WizardView::Find(const ControlRef& control) const {
  if (window_.get() == nullptr) {
    return std::nullopt;
  }
  const auto i = tree_.IndexOf(control);
  return i && *i < handles_.size() && handles_[*i] != nullptr ? i : std::nullopt;
}

std::optional<std::size_t> Win32WizardView::FindWindow(HWND control) const {
  if (control == nullptr) {
    return std::nullopt;
  }
  const auto found = std::find(handles_.begin(), handles_.end(), control);
  if (found == handles_.end()) {
    return std::nullopt;
  }
  return static_cast<std::size_t>(found - handles_.begin());
}

std::vector<std::size_t> Win32WizardView::WithContents(std::size_t i) const {
  std::vector<std::size_t> all{i};
  const std::vector<std::size_t> inside = tree_.Contents(i);
  all.insert(all.end(), inside.begin(), inside.end());
  return all;
}

void Win32WizardView::PlaceControls(const std::vector<std::size_t>& which) {
  // One batch, so a panel and its controls arrive together.
  HDWP batch = ::BeginDeferWindowPos(static_cast<int>(which.size()));
  for (std::size_t i : which) {
    if (Handle(i) == nullptr) {
      continue;
    }
    const ControlState& c = tree_[i];
    const TwipPoint at = tree_.FormPosition(i);
    PixelRect r = TwipsToPixels(at.left, at.top, c.width, c.height, dpi_);
    if (c.kind == ControlKind::Label && c.height < kTwoLinesTwips) {
      r = WidenForOneLine(r, TextWidth(fonts_.Get(c.fontPoints, c.bold), c.caption),
                          c.align == TextAlign::Centre);
    }
    if (const auto container = tree_.ContainerOf(i); container && tree_[*container].border) {
      const ControlState& frame = tree_[*container];
      const TwipPoint frameAt = tree_.FormPosition(*container);
      r = KeepInsideBorder(
          r, TwipsToPixels(frameAt.left, frameAt.top, frame.width, frame.height, dpi_),
          ::MulDiv(kFrameBorder, dpi_, USER_DEFAULT_SCREEN_DPI));
    }
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
      ::SendMessageW(Handle(i), WM_SETFONT,
                     reinterpret_cast<WPARAM>(fonts_.Get(tree_[i].fontPoints, tree_[i].bold)),
                     TRUE);
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
}

void Win32WizardView::SetCaption(const ControlRef& control, const std::wstring& caption) {
  const Applying applying(applying_);
  const auto i = Find(control);
  if (!i) {
    return;
  }
  tree_[*i].caption = caption;
  ::SetWindowTextW(Handle(*i), caption.c_str());
  if (tree_[*i].kind == ControlKind::Frame) {
    ::InvalidateRect(Handle(*i), nullptr, FALSE);
  } else if (tree_[*i].kind == ControlKind::Label) {
    PlaceControls({*i});  // a one-line label may need more room for its new text
  }
}

void Win32WizardView::SetValue(const ControlRef& control, int value) {
  const Applying applying(applying_);
  const auto i = Find(control);
  if (!i) {
    return;
  }
  tree_[*i].value = value;
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
  ::SetFocus(Handle(*i));
  UpdateDefaultLook();
}

}  // namespace vtr::win32
