// The wizard's keyboard, as in any dialog: Tab walks the controls of the panel on show and the
// button row, the arrow keys move through a group of option buttons (selecting as they go),
// Enter presses the focused push button or else the default one, Escape presses Cancel, and
// Alt with an underlined letter reaches that control. The view walks its own copy of the form
// rather than the window's stacking order, which follows the form's drawing order instead.
#include <algorithm>

#include "wizard/win32/wizard_view.h"

namespace vtr::win32 {
namespace {

bool KeyDown(int key) {
  return ::GetKeyState(key) < 0;
}

}  // namespace

std::optional<std::size_t> Win32WizardView::FocusedControl() const {
  return FindWindow(::GetFocus());
}

void Win32WizardView::MoveFocusTo(std::size_t i) {
  if (Handle(i) != nullptr) {
    ::SetFocus(Handle(i));  // the control's focus notification tells the form
  }
}

bool Win32WizardView::PressAccessKey(wchar_t key) {
  const std::vector<std::size_t> matches = tree_.AccessKeyMatches(key);
  if (matches.empty()) {
    return false;
  }
  // A label or frame hands its key on to the control after it.
  const auto focusFor = [this](std::size_t i) {
    const auto target =
        tree_.TakesFocus(i) ? std::optional<std::size_t>(i) : tree_.NextTabStop(i, true);
    if (target) {
      MoveFocusTo(*target);
    }
    return target;
  };
  if (matches.size() > 1) {
    // Several controls share the key ("&Custom Install" and "&Cancel"): it only moves the
    // focus from one to the next, so one key press never cancels what the user meant to start.
    const auto focused = FocusedControl();
    auto next =
        focused ? std::upper_bound(matches.begin(), matches.end(), *focused) : matches.begin();
    focusFor(next == matches.end() ? matches.front() : *next);
    return true;
  }
  const auto target = focusFor(matches.front());
  if (target && *target == matches.front() && events_ != nullptr) {
    events_->Click(tree_[*target].ref);
  }
  return true;
}

bool Win32WizardView::InTextBox() const {
  const auto focused = FocusedControl();
  return focused && tree_[*focused].kind == ControlKind::TextBox;
}

bool Win32WizardView::PreTranslateMessage(MSG& message) {
  HWND window = window_.get();
  if (window == nullptr || (message.hwnd != window && !::IsChild(window, message.hwnd))) {
    return false;
  }
  if (message.message == WM_KEYDOWN && events_ != nullptr && !KeyDown(VK_MENU)) {
    const auto focused = FocusedControl();
    const bool control = KeyDown(VK_CONTROL);
    const bool shift = KeyDown(VK_SHIFT);
    switch (message.wParam) {
      case VK_TAB:
        if (control) {
          break;
        }
        if (const auto next = tree_.NextTabStop(focused, !shift)) {
          MoveFocusTo(*next);
        }
        return true;
      case VK_RETURN:
        if (focused && tree_[*focused].kind == ControlKind::Button) {
          events_->Click(tree_[*focused].ref);
        } else {
          events_->PressDefault();
        }
        return true;
      case VK_ESCAPE:
        events_->PressCancel();
        return true;
      case VK_LEFT:
      case VK_UP:
      case VK_RIGHT:
      case VK_DOWN: {
        // A text box keeps its arrows for the caret.
        if (control || InTextBox()) {
          break;
        }
        const bool forward = message.wParam == VK_RIGHT || message.wParam == VK_DOWN;
        if (focused && tree_[*focused].kind == ControlKind::OptionButton) {
          if (const auto next = tree_.NextInGroup(*focused, forward)) {
            MoveFocusTo(*next);
            // Windows may already have reported the selection as the focus arrived.
            if (events_ != nullptr && tree_[*next].value != 1) {
              events_->Click(tree_[*next].ref);
            }
          }
          return true;
        }
        if (const auto next = tree_.NextTabStop(focused, forward)) {
          MoveFocusTo(*next);
        }
        return true;
      }
      default:
        break;
    }
  }
  // Access keys: with Alt anywhere, and alone where typing means nothing else.
  if (events_ != nullptr &&
      (message.message == WM_SYSCHAR ||
       (message.message == WM_CHAR && message.wParam > L' ' && !InTextBox()))) {
    if (PressAccessKey(static_cast<wchar_t>(message.wParam))) {
      return true;
    }
  }
  return ::IsDialogMessageW(window, &message) != FALSE;
}

}  // namespace vtr::win32
