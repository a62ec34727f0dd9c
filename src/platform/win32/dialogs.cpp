// Message box, input box and mouse pointer.
#include "platform/win32/input_box.h"
#include "platform/win32/win32_platform.h"

namespace vtr::win32 {
namespace {

UINT ButtonStyle(MsgButtons buttons) {
  switch (buttons) {
    case MsgButtons::Ok:
      return MB_OK;
    case MsgButtons::OkCancel:
      return MB_OKCANCEL;
    case MsgButtons::YesNo:
      return MB_YESNO;
    case MsgButtons::YesNoCancel:
      return MB_YESNOCANCEL;
    case MsgButtons::RetryCancel:
      return MB_RETRYCANCEL;
  }
  return MB_OK;
}

UINT IconStyle(MsgIcon icon) {
  switch (icon) {
    case MsgIcon::None:
      return 0;
    case MsgIcon::Critical:
      return MB_ICONHAND;
    case MsgIcon::Question:
      return MB_ICONQUESTION;
    case MsgIcon::Exclamation:
      return MB_ICONEXCLAMATION;
    case MsgIcon::Information:
      return MB_ICONASTERISK;
  }
  return 0;
}

}  // namespace

MsgAnswer Win32Platform::MsgBox(const std::wstring& text, MsgButtons buttons, MsgIcon icon,
                                const std::optional<std::wstring>& title) {
  // Before the wizard exists, and while it is hidden for a run, there is no window to sit on:
  // the box then takes the foreground itself, so it is not hidden behind the browser the
  // program was started from.
  view_.LoadLibraries(LibrarySet::Window);
  HWND owner = DialogOwner();
  const UINT modality = owner != nullptr ? MB_APPLMODAL : MB_TASKMODAL;
  const UINT style = ButtonStyle(buttons) | IconStyle(icon) | modality | MB_SETFOREGROUND;
  // Message boxes break lines at a lone carriage return themselves.
  const wchar_t* caption = title ? title->c_str() : kApplicationTitle;
  switch (::MessageBoxW(owner, text.c_str(), caption, style)) {
    case IDOK:
      return MsgAnswer::Ok;
    case IDCANCEL:
      return MsgAnswer::Cancel;
    case IDYES:
      return MsgAnswer::Yes;
    case IDNO:
      return MsgAnswer::No;
    case IDRETRY:
      return MsgAnswer::Retry;
    default:
      // A box that could not be shown at all counts as the most cautious answer it offered.
      return CautiousAnswer(buttons);
  }
}

std::wstring Win32Platform::InputBox(const std::wstring& prompt, const std::wstring& title,
                                     const std::wstring& defaultText) {
  view_.LoadLibraries(LibrarySet::Window);
  return ShowInputBox(DialogOwner(), prompt, title, defaultText);
}

void Win32Platform::SetMousePointer(MousePointer pointer) {
  pointer_ = pointer;
  const wchar_t* shape = pointer == MousePointer::Busy ? IDC_WAIT : IDC_ARROW;
  ::SetCursor(::LoadCursorW(nullptr, shape));
}

}  // namespace vtr::win32
