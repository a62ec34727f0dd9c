// Drawing the form: the window, one control per control of the form, and their tool tips.
#include "wizard/win32/wizard_view.h"

#include <commctrl.h>

#include <algorithm>

#include "platform/run_error.h"
#include "platform/win32/system_libraries.h"
#include "platform/win32/win32_strings.h"
#include "wizard/win32/control_ids.h"
#include "wizard/win32/window_metrics.h"

namespace vtr::win32 {
namespace {

// A fixed frame with a title bar, a close box and a minimise box: a wizard is not resized.
constexpr DWORD kWindowStyle =
    WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
constexpr DWORD kWindowExStyle = WS_EX_CONTROLPARENT;

HINSTANCE Instance() {
  return ::GetModuleHandleW(nullptr);
}

}  // namespace

UINT Win32WizardView::CheckState(int value) {
  switch (value) {
    case 1:
      return BST_CHECKED;
    case 2:
      return BST_INDETERMINATE;
    default:
      return BST_UNCHECKED;
  }
}

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
  LoadLibraries(LibrarySet::Window);
  if (!commonControls_) {
    commonControls_ = LoadCommonControls();
  }
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
  }
  // The controls are made as they first show (the first of them when the window does), and
  // the rest once the window has been painted.
  deferring_ = true;
  deferredWork_ = true;
  ApplyWindowSize();
  events_ = &events;
  if (window.visible) {
    ShowWindow();
  }
}

void Win32WizardView::CreateMissingControls(bool shownOnly) {
  // Windows puts each new child window below its siblings, so creating the controls from the
  // top of the stack down leaves them stacked as the form has them, and each is made at its
  // place: nothing needs moving or restacking. Only a control made below one that already
  // has its window is put back in its place in the stack.
  const std::vector<std::size_t> bottomToTop = tree_.StackingOrder();
  std::vector<bool> madeBelow(bottomToTop.size(), false);  // before this call
  for (std::size_t k = 1; k < bottomToTop.size(); ++k) {
    madeBelow[k] = madeBelow[k - 1] || Handle(bottomToTop[k - 1]) != nullptr;
  }
  HWND above = nullptr;  // the nearest control above with a window
  bool all = true;
  for (std::size_t k = bottomToTop.size(); k-- > 0;) {
    const std::size_t i = bottomToTop[k];
    if (Handle(i) == nullptr && (!shownOnly || tree_.Shown(i))) {
      CreateControl(i);
      if (Handle(i) != nullptr && madeBelow[k]) {
        ::SetWindowPos(Handle(i), above != nullptr ? above : HWND_TOP, 0, 0, 0, 0,
                       SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
      }
    }
    if (Handle(i) != nullptr) {
      above = Handle(i);
    } else {
      all = false;
    }
  }
  if (all) {
    deferring_ = false;
  }
  UpdateDefaultLook();
}

void Win32WizardView::CreateShownControls() {
  if (deferring_ && window_.get() != nullptr && ::IsWindowVisible(window_.get())) {
    CreateMissingControls(true);
  }
}

void Win32WizardView::DoDeferredWork() {
  const Applying applying(applying_);
  deferredWork_ = false;
  LoadLibraries(LibrarySet::Shell);
  LoadLibraries(LibrarySet::Later);
  if (deferring_ && window_.get() != nullptr) {
    CreateMissingControls(false);
  }
  deferring_ = false;  // a control Windows would not make stays without a window, as before
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
  const PixelRect at = ControlRect(i);
  HWND control = ::CreateWindowExW(exStyle, windowClass, c.caption.c_str(), style, at.left, at.top,
                                   at.width, at.height, window_.get(),
                                   reinterpret_cast<HMENU>(INT_PTR{ids_[i]}), Instance(), nullptr);
  handles_[i] = control;
  if (control == nullptr) {
    return;  // the form still works without it; the model keeps its state
  }
  ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(FontFor(i)), FALSE);
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
  // Also a control whose window is not made yet: the view keeps its state for when it is.
  const auto i = tree_.IndexOf(control);
  return i && *i < handles_.size() ? i : std::nullopt;
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

}  // namespace vtr::win32
