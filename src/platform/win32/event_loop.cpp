// The wizard's window and the loop that delivers the user's actions to it.
#include "platform/win32/win32_platform.h"

namespace vtr::win32 {

WindowView& Win32Platform::WizardView() {
  return view_;
}

void Win32Platform::RunEventLoop(const std::function<bool()>& done) {
  MSG message{};
  // A form that never got a window has nothing to wait for: the loop would never end.
  while (!done() && view_.Window() != nullptr) {
    // Also what went wrong in a message sent to the window outside the loop (a box's own loop).
    view_.RaiseKeptError();
    const BOOL got = ::GetMessageW(&message, nullptr, 0, 0);
    if (got == 0 || got == -1) {
      break;  // asked to quit: the wizard then closes as by its close box
    }
    if (view_.PreTranslateMessage(message)) {
      continue;
    }
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
  }
  view_.RaiseKeptError();
}

}  // namespace vtr::win32
