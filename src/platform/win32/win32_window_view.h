// A view that puts the form on a real Windows screen, as the Windows layer needs it: the
// window to wait on and to own boxes, and the keyboard handling a dialog-like window does
// before messages are dispatched. The wizard's window implements it; the program's entry
// builds that window and hands it to the Windows layer.
#pragma once

#include <windows.h>

#include <exception>
#include <utility>
#include <vector>

#include "platform/win32/system_libraries.h"
#include "platform/win32/unique_resources.h"
#include "platform/window_view.h"

namespace vtr::win32 {

class Win32WindowView : public WindowView {
 public:
  // The view's window; null before the form is drawn and after it is unloaded.
  virtual HWND Window() const = 0;
  // The window that owns message boxes and pickers: the view's while it is on screen. While
  // it is hidden (a run is under way) a box stands on its own, with a taskbar button.
  virtual HWND DialogOwner() const = 0;
  // The view's keyboard, before a message of the loop is translated and dispatched. True
  // when the message was used.
  virtual bool PreTranslateMessage(MSG& message) = 0;

  // What the view put off so that its window shows sooner (the rest of the system DLLs, the
  // controls of the panels not on show), done by the event loop once the window has been
  // painted and before the user's first action reaches it.
  virtual bool HasDeferredWork() const = 0;
  virtual void DoDeferredWork() = 0;

  // Loads a set of system DLLs from the system folder the first time it is asked for, and
  // keeps it for the life of the view, which is the life of the program.
  void LoadLibraries(LibrarySet set) {
    const unsigned bit = 1u << static_cast<unsigned>(set);
    if ((loadedSets_ & bit) == 0) {
      loadedSets_ |= bit;
      LoadSystemLibraries(set, libraries_);
    }
  }

  // An error that a window procedure of the view kept (see KeepError), raised again once the
  // message has been dispatched, so that it reaches the run it belongs to.
  void RaiseKeptError() {
    if (kept_) {
      std::rethrow_exception(std::exchange(kept_, nullptr));
    }
  }

 protected:
  // An error must not unwind through Windows' own frames between DispatchMessage and a window
  // procedure: the i686 build unwinds by tables that Windows' DLLs do not have, and the program
  // would end through std::terminate. The procedure keeps it instead; the first one counts.
  void KeepError(std::exception_ptr error) {
    if (!kept_) {
      kept_ = std::move(error);
    }
  }

 private:
  std::exception_ptr kept_;
  std::vector<UniqueModule> libraries_;
  unsigned loadedSets_ = 0;
};

}  // namespace vtr::win32
