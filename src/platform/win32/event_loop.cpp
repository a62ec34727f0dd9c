// The wizard's window and the loop that delivers the user's actions to it.
#include "platform/win32/win32_platform.h"

namespace vtr::win32 {
namespace {

// Messages that paint the window or only keep time: the view's deferred work may wait until
// they are handled. Anything else may be the user's action, which must find it done.
bool PaintsOrTicks(UINT message) {
  return message == WM_PAINT || message == WM_NCPAINT || message == WM_ERASEBKGND ||
         message == WM_TIMER || message == WM_NULL;
}

}  // namespace

WindowView& Win32Platform::WizardView() {
  return view_;
}

void Win32Platform::RunEventLoop(const std::function<bool()>& done) {
  MSG message{};
  // A form that never got a window has nothing to wait for: the loop would never end.
  while (!done() && view_.Window() != nullptr) {
    // Also what went wrong in a message sent to the window outside the loop (a box's own loop).
    view_.RaiseKeptError();
    if (view_.HasDeferredWork()) {
      // Once the queue holds nothing but painting: the window is on screen, and the user has
      // not yet been able to act on it.
      MSG next{};
      if (::PeekMessageW(&next, nullptr, 0, 0, PM_NOREMOVE) == FALSE ||
          !PaintsOrTicks(next.message)) {
        view_.DoDeferredWork();
        continue;
      }
    }
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
