// The input box's dialog: built in memory, sized to its prompt, and its dialog procedure.
#include "platform/win32/input_box.h"

#include <algorithm>

#include "platform/win32/dialog_template.h"
#include "platform/win32/text_rules.h"

namespace vtr::win32 {
namespace {

// Layout in dialog units: the prompt on the left, OK and Cancel to its right, the entry line
// across the bottom. The prompt starts with room for ten lines; the box then fits it.
constexpr short kMargin = 7;
constexpr short kPromptWidth = 196;
constexpr short kPromptHeight = 80;
constexpr short kButtonWidth = 53;
constexpr short kButtonHeight = 14;
constexpr short kButtonGap = 4;
constexpr short kEditHeight = 13;
constexpr short kGap = 6;
constexpr short kDialogWidth = kMargin + kPromptWidth + kMargin + kButtonWidth + kMargin;
constexpr short kEditTop = kMargin + kPromptHeight + kGap;
constexpr short kDialogHeight = kEditTop + kEditHeight + kMargin;
// The prompt never gets less room than the two buttons beside it take.
constexpr short kMinPromptHeight = 2 * kButtonHeight + kButtonGap;

struct InputBoxState {
  const std::wstring& prompt;
  const std::wstring& defaultText;
  std::wstring answer;
};

// The font message boxes use, so the input box looks like the boxes around it.
struct DialogFont {
  std::wstring face = L"MS Shell Dlg";
  WORD points = 8;
};

DialogFont MessageFont() {
  DialogFont font;
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof(metrics);
  if (!::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, metrics.cbSize, &metrics, 0)) {
    return font;
  }
  HDC screen = ::GetDC(nullptr);
  const int dpi = screen != nullptr ? ::GetDeviceCaps(screen, LOGPIXELSY) : 0;
  if (screen != nullptr) {
    ::ReleaseDC(nullptr, screen);
  }
  const LONG height = metrics.lfMessageFont.lfHeight;
  if (dpi <= 0 || height == 0 || metrics.lfMessageFont.lfFaceName[0] == L'\0') {
    return font;
  }
  font.face = metrics.lfMessageFont.lfFaceName;
  font.points = static_cast<WORD>(std::max(1, ::MulDiv(height < 0 ? -height : height, 72, dpi)));
  return font;
}

std::wstring WindowText(HWND window) {
  const int length = ::GetWindowTextLengthW(window);
  if (length <= 0) {
    return {};
  }
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  const int copied = ::GetWindowTextW(window, text.data(), length + 1);
  text.resize(static_cast<size_t>(std::max(copied, 0)));
  return text;
}

RECT ClientRectOf(HWND control, HWND dialog) {
  RECT rect{};
  ::GetWindowRect(control, &rect);
  ::MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

// Gives the prompt the height its text needs, moves the entry line below it, resizes the box
// to match (within the screen) and centres it on its monitor.
void FitToPrompt(HWND dialog) {
  HWND prompt = ::GetDlgItem(dialog, kInputBoxPromptId);
  HWND edit = ::GetDlgItem(dialog, kInputBoxEditId);
  const RECT promptRect = ClientRectOf(prompt, dialog);
  const RECT editRect = ClientRectOf(edit, dialog);
  const int promptWidth = static_cast<int>(promptRect.right - promptRect.left);

  std::wstring text = WindowText(prompt);
  RECT needed{0, 0, promptWidth, 0};
  HDC dc = ::GetDC(prompt);
  if (dc == nullptr) {
    return;
  }
  HGDIOBJ oldFont =
      ::SelectObject(dc, reinterpret_cast<HGDIOBJ>(::SendMessageW(prompt, WM_GETFONT, 0, 0)));
  ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &needed,
              DT_CALCRECT | DT_WORDBREAK | DT_EDITCONTROL | DT_NOPREFIX | DT_EXPANDTABS);
  ::SelectObject(dc, oldFont);
  ::ReleaseDC(prompt, dc);

  RECT minimum{0, 0, 0, kMinPromptHeight};
  ::MapDialogRect(dialog, &minimum);
  RECT window{};
  ::GetWindowRect(dialog, &window);
  MONITORINFO monitor{};
  monitor.cbSize = sizeof(monitor);
  ::GetMonitorInfoW(::MonitorFromWindow(dialog, MONITOR_DEFAULTTOPRIMARY), &monitor);
  const int workLeft = monitor.rcWork.left;
  const int workTop = monitor.rcWork.top;
  const int workWidth = monitor.rcWork.right - monitor.rcWork.left;
  const int workHeight = monitor.rcWork.bottom - monitor.rcWork.top;

  const int minPromptHeight = minimum.bottom;
  const int oldPromptHeight = promptRect.bottom - promptRect.top;
  const int windowWidth = window.right - window.left;
  const int windowHeight = window.bottom - window.top;
  const int chrome = windowHeight - oldPromptHeight;
  const int maxPromptHeight = std::max(minPromptHeight, workHeight - chrome);
  const int neededHeight = needed.bottom - needed.top;
  const int promptHeight = std::clamp(neededHeight, minPromptHeight, maxPromptHeight);
  const int delta = promptHeight - oldPromptHeight;

  ::SetWindowPos(prompt, nullptr, 0, 0, promptWidth, promptHeight,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  ::SetWindowPos(edit, nullptr, editRect.left, editRect.top + delta, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  const int height = windowHeight + delta;
  const int left = workLeft + (workWidth - windowWidth) / 2;
  const int top = workTop + std::max(0, (workHeight - height) / 2);
  ::SetWindowPos(dialog, nullptr, left, top, windowWidth, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

INT_PTR CALLBACK InputBoxProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    ::SetWindowLongPtrW(dialog, DWLP_USER, lParam);
    const auto* state = reinterpret_cast<const InputBoxState*>(lParam);
    // The static control only breaks lines at CR LF.
    ::SetDlgItemTextW(dialog, kInputBoxPromptId, LoneCrToCrLf(state->prompt).c_str());
    ::SetDlgItemTextW(dialog, kInputBoxEditId, state->defaultText.c_str());
    FitToPrompt(dialog);
    HWND edit = ::GetDlgItem(dialog, kInputBoxEditId);
    // The default text is selected, so typing replaces it.
    ::SendMessageW(edit, EM_SETSEL, 0, -1);
    ::SetFocus(edit);
    ::SetForegroundWindow(dialog);
    return FALSE;  // focus is set
  }
  if (message == WM_COMMAND) {
    auto* state = reinterpret_cast<InputBoxState*>(::GetWindowLongPtrW(dialog, DWLP_USER));
    if (state == nullptr) {
      return FALSE;  // a control's notice while the box is still being built
    }
    switch (LOWORD(wParam)) {
      case IDOK:
        state->answer = WindowText(::GetDlgItem(dialog, kInputBoxEditId));
        ::EndDialog(dialog, IDOK);
        return TRUE;
      case IDCANCEL:
        ::EndDialog(dialog, IDCANCEL);
        return TRUE;
      default:
        break;
    }
  }
  return FALSE;
}

}  // namespace

std::wstring ShowInputBox(HWND owner, const std::wstring& prompt, const std::wstring& title,
                          const std::wstring& defaultText) {
  const DialogFont font = MessageFont();
  DialogTemplate dialog(
      WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_CENTER | DS_SETFOREGROUND,
      {0, 0, kDialogWidth, kDialogHeight}, title, font.points, font.face.c_str());
  dialog.AddControl(kInputBoxPromptId, DialogControlClass::Static,
                    WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX | SS_EDITCONTROL,
                    {kMargin, kMargin, kPromptWidth, kPromptHeight}, L"");
  dialog.AddControl(kInputBoxEditId, DialogControlClass::Edit,
                    WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL,
                    {kMargin, kEditTop, kDialogWidth - 2 * kMargin, kEditHeight}, L"");
  constexpr short kButtonLeft = kDialogWidth - kMargin - kButtonWidth;
  dialog.AddControl(IDOK, DialogControlClass::Button,
                    WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_GROUP | BS_DEFPUSHBUTTON,
                    {kButtonLeft, kMargin, kButtonWidth, kButtonHeight}, L"OK");
  dialog.AddControl(
      IDCANCEL, DialogControlClass::Button, WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON,
      {kButtonLeft, kMargin + kButtonHeight + kButtonGap, kButtonWidth, kButtonHeight}, L"Cancel");

  InputBoxState state{prompt, defaultText, {}};
  const INT_PTR result = ::DialogBoxIndirectParamW(::GetModuleHandleW(nullptr), dialog.get(), owner,
                                                   InputBoxProc, reinterpret_cast<LPARAM>(&state));
  return result == IDOK ? state.answer : std::wstring();
}

}  // namespace vtr::win32
