// Building the wizard on screen: its window with the button row, a child dialog for each frame
// when it first shows (from an in-memory template), the controls in it, and their tool tips.
#include "wizard/win32/wizard_view.h"

#include <commctrl.h>

#include <algorithm>

#include "platform/run_error.h"
#include "platform/win32/dialog_template.h"
#include "platform/win32/system_libraries.h"
#include "platform/win32/win32_strings.h"
#include "wizard/scoped_count.h"
#include "wizard/win32/control_ids.h"
#include "wizard/win32/window_metrics.h"

namespace vtr::win32 {
namespace {

// A fixed frame with a title bar, a close box and a minimise box: a wizard is not resized.
constexpr DWORD kWindowStyle =
    WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
constexpr DWORD kWindowExStyle = WS_EX_CONTROLPARENT;

// A frame's dialog: a page of the window's dialog, as a property sheet's pages are. Its size
// and place are set in pixels once it is made; the template only names what it is.
constexpr DWORD kFrameStyle = DS_CONTROL | WS_CHILD | WS_CLIPSIBLINGS;

HINSTANCE Instance() {
  return ::GetModuleHandleW(nullptr);
}

// Visual styles draw a group box's caption in the theme's colour, whatever the form says (the
// panels' captions are blue): the frames are drawn without them, all alike. A class list that
// names no class of the theme leaves the control without one, on Windows and under Wine.
void WithoutVisualStyles(HWND groupBox) {
  using SetWindowThemeFn = HRESULT(WINAPI*)(HWND, LPCWSTR, LPCWSTR);
  const auto setTheme =
      ProcAddress<SetWindowThemeFn>(::GetModuleHandleW(L"uxtheme.dll"), "SetWindowTheme");
  if (setTheme != nullptr) {
    setTheme(groupBox, L" ", L" ");
  }
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

void Win32WizardView::RegisterWizardClass() {
  HINSTANCE instance = Instance();
  WNDCLASSEXW wizard{};
  wizard.cbSize = sizeof(wizard);
  wizard.lpfnWndProc = &Win32WizardView::WizardProc;
  // A dialog of its own class: the dialog manager keeps its state in these bytes.
  wizard.cbWndExtra = DLGWINDOWEXTRA;
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
}

void Win32WizardView::CreateForm(const WindowState& window,
                                 const std::vector<ControlState>& controls, WizardEvents& events) {
  const ScopedCount applying(applying_);
  controls_ = controls;
  index_.clear();
  for (std::size_t i = 0; i < controls_.size(); ++i) {
    index_[{controls_[i].ref.name, controls_[i].ref.index}] = i;
  }
  windowState_ = window;
  LoadLibraries(LibrarySet::Window);
  if (!commonControls_) {
    commonControls_ = LoadCommonControls();
  }
  RegisterWizardClass();
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

  handles_.assign(controls_.size(), nullptr);
  groupBoxes_.assign(controls_.size(), nullptr);
  ids_.assign(controls_.size(), 0);
  int nextUnlisted = kFirstUnlistedId;
  for (std::size_t i = 0; i < controls_.size(); ++i) {
    ids_[i] = StableControlId(controls_[i].ref).value_or(nextUnlisted);
    if (ids_[i] == nextUnlisted) {
      ++nextUnlisted;
    }
  }
  // The button row now; each frame when it first shows, the rest once the window has been
  // painted.
  for (std::size_t i : StackOf(kWindow)) {
    if (!IsFrame(i)) {
      CreateControl(i);
    }
  }
  deferredWork_ = true;
  ApplyWindowSize();
  events_ = &events;
  if (window.visible) {
    ShowWindow();
  }
}

std::vector<std::size_t> Win32WizardView::StackOf(std::size_t container) const {
  std::vector<std::size_t> focusable;
  std::vector<std::size_t> others;
  for (std::size_t i = 0; i < controls_.size(); ++i) {
    if (ContainerOf(i) != container) {
      continue;
    }
    const ControlKind kind = controls_[i].kind;
    const bool takesFocus = kind == ControlKind::Button || kind == ControlKind::CheckBox ||
                            kind == ControlKind::OptionButton || kind == ControlKind::TextBox;
    (takesFocus ? focusable : others).push_back(i);
  }
  std::stable_sort(others.begin(), others.end(), [this](std::size_t a, std::size_t b) {
    return controls_[a].zOrder > controls_[b].zOrder;
  });
  focusable.insert(focusable.end(), others.begin(), others.end());
  return focusable;
}

void Win32WizardView::Restack(std::size_t i) {
  // Below the nearest one above it that already has its window; at the top when there is none.
  HWND above = HWND_TOP;
  for (std::size_t j : StackOf(ContainerOf(i))) {
    if (j == i) {
      break;
    }
    if (Handle(j) != nullptr) {
      above = Handle(j);
    }
  }
  ::SetWindowPos(Handle(i), above, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void Win32WizardView::CreateMissingFrames(bool shownOnly) {
  if (window_.get() == nullptr) {
    return;
  }
  for (std::size_t i : StackOf(kWindow)) {
    if (IsFrame(i) && Handle(i) == nullptr && (!shownOnly || controls_[i].visible)) {
      CreateFrame(i);
    }
  }
}

void Win32WizardView::DoDeferredWork() {
  const ScopedCount applying(applying_);
  deferredWork_ = false;
  LoadLibraries(LibrarySet::Shell);
  LoadLibraries(LibrarySet::Later);
  CreateMissingFrames(false);
}

void Win32WizardView::CreateFrame(std::size_t frame) {
  const ControlState& f = controls_[frame];
  const DialogTemplate page(kFrameStyle, {}, L"", 8, L"MS Shell Dlg");
  HWND made = ::CreateDialogIndirectParamW(Instance(), page.get(), ParentOf(frame),
                                           &Win32WizardView::FrameProc, 0);
  handles_[frame] = made;
  if (made == nullptr) {
    return;  // the form still works without it; the model keeps its state
  }
  ::SetWindowLongPtrW(made, GWLP_ID, ids_[frame]);
  if (!f.enabled) {
    ::EnableWindow(made, FALSE);
  }
  PlaceControls({frame});
  Restack(frame);
  // Its controls in the order Tab walks them (each new window goes below those made before),
  // then the frames in it, then the group box that draws its border and caption, below all.
  for (std::size_t i : StackOf(frame)) {
    if (IsFrame(i)) {
      CreateFrame(i);
    } else {
      CreateControl(i);
    }
  }
  if (f.border) {
    const PixelRect at = ControlRect(frame);
    HWND box = ::CreateWindowExW(0, L"BUTTON", f.caption.c_str(),
                                 WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | BS_GROUPBOX, 0, 0,
                                 at.width, at.height, made, nullptr, Instance(), nullptr);
    groupBoxes_[frame] = box;
    if (box != nullptr) {
      ::SendMessageW(box, WM_SETFONT, reinterpret_cast<WPARAM>(FontFor(frame)), FALSE);
      WithoutVisualStyles(box);
    }
  }
  if (f.visible) {
    ::ShowWindow(made, SW_SHOWNA);
  }
}

void Win32WizardView::CreateControl(std::size_t i) {
  const ControlState& c = controls_[i];
  const wchar_t* windowClass = L"BUTTON";
  DWORD style = WS_CHILD | WS_CLIPSIBLINGS;
  DWORD exStyle = 0;
  const DWORD wrap = c.height >= kTwoLinesTwips ? BS_MULTILINE : 0;
  // The dialog manager's arrow keys keep to a group: the option buttons of one array are one,
  // starting at the first of them and ending where they do.
  const std::vector<std::size_t> stack = StackOf(ContainerOf(i));
  const auto place = std::find(stack.begin(), stack.end(), i);
  const bool afterOption =
      place != stack.begin() && controls_[*(place - 1)].kind == ControlKind::OptionButton;
  const bool sameGroup = afterOption && c.kind == ControlKind::OptionButton &&
                         controls_[*(place - 1)].ref.name == c.ref.name;
  if (!sameGroup && (afterOption || c.kind == ControlKind::OptionButton)) {
    style |= WS_GROUP;
  }
  switch (c.kind) {
    case ControlKind::Frame:
      return;  // a dialog of its own
    case ControlKind::Button:
      style |= BS_PUSHBUTTON | BS_NOTIFY | WS_TABSTOP;
      break;
    case ControlKind::CheckBox:
      // Not an automatic box: the form decides the value and tells the view.
      style |= BS_3STATE | BS_NOTIFY | WS_TABSTOP | wrap;
      break;
    case ControlKind::OptionButton:
      // The selected member of the group is its Tab stop; Windows moves the stop with the check.
      style |= BS_RADIOBUTTON | BS_NOTIFY | (c.value == 1 ? WS_TABSTOP : 0) | wrap;
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
  if (c.visible) {
    style |= WS_VISIBLE;
  }
  if (!c.enabled) {
    style |= WS_DISABLED;
  }
  const PixelRect at = ControlRect(i);
  HWND control = ::CreateWindowExW(exStyle, windowClass, c.caption.c_str(), style, at.left, at.top,
                                   at.width, at.height, ParentOf(i),
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
  tool.hwnd = ParentOf(i);
  tool.uId = reinterpret_cast<UINT_PTR>(Handle(i));
  tool.lpszText = const_cast<wchar_t*>(controls_[i].toolTip.c_str());  // copied by the tool tip
  ::SendMessageW(toolTips_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

std::optional<std::size_t> Win32WizardView::Find(const ControlRef& control) const {
  if (window_.get() == nullptr) {
    return std::nullopt;
  }
  // Also a control whose window is not made yet: the view keeps its state for when it is.
  const auto found = index_.find({control.name, control.index});
  if (found == index_.end() || found->second >= handles_.size()) {
    return std::nullopt;
  }
  return found->second;
}

std::optional<std::size_t> Win32WizardView::FindWindow(HWND control) const {
  if (control == nullptr) {
    return std::nullopt;
  }
  for (const std::vector<HWND>* windows : {&handles_, &groupBoxes_}) {
    const auto found = std::find(windows->begin(), windows->end(), control);
    if (found != windows->end()) {
      return static_cast<std::size_t>(found - windows->begin());
    }
  }
  return std::nullopt;
}

std::size_t Win32WizardView::ContainerOf(std::size_t i) const {
  const ControlRef& container = controls_[i].container;
  if (container.name.empty()) {
    return kWindow;
  }
  const auto found = index_.find({container.name, container.index});
  return found == index_.end() ? kWindow : found->second;
}

HWND Win32WizardView::ParentOf(std::size_t i) const {
  const std::size_t container = ContainerOf(i);
  return container == kWindow ? window_.get() : Handle(container);
}

std::vector<std::size_t> Win32WizardView::WithContents(std::size_t i) const {
  std::vector<std::size_t> all{i};
  for (std::size_t k = 0; k < all.size(); ++k) {
    for (std::size_t j = 0; j < controls_.size(); ++j) {
      if (ContainerOf(j) == all[k]) {
        all.push_back(j);
      }
    }
  }
  return all;
}

}  // namespace vtr::win32
