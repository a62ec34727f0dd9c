// The scripted user at the wizard window: clicks, ticks, typing and keys by control ID, pictures
// of the window, and checks of the panel on show, one step after another.
//
// A step waits until the wizard stands still: its window is shown and enabled, no box of the
// program stands over it, it answers messages (it is not busy with a run), nothing has changed
// for a moment since the last step, and the step's own control is shown and enabled. Wine is
// slow, so every wait has the step timeout and ends with a sentence that says what was missing.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "options.h"

namespace vtrdrive {

// The full paths of the DLLs and the program a process has loaded, in the loader's order.
std::vector<std::wstring> ModulesOf(DWORD processId);

class StepRunner {
 public:
  StepRunner(std::vector<Step> steps, int stepTimeoutSeconds);

  bool Done() const { return next_ >= steps_.size(); }
  // Some step reports the program's DLLs.
  bool WantsModules() const;
  // Does the next step when the wizard of the process is ready for it, and reports it as a JSON
  // line. Returns what went wrong when the step cannot be done.
  std::optional<std::wstring> Poll(DWORD processId);
  // The steps that were never done, as written on the command line.
  std::vector<std::wstring> Unused() const;

 private:
  // Why the wizard is not ready for the step yet; empty when it is.
  std::wstring Blocker(const Step& step, HWND wizard, DWORD processId) const;
  std::optional<std::wstring> Execute(const Step& step, HWND wizard);

  std::vector<Step> steps_;
  size_t next_ = 0;
  ULONGLONG stepTimeoutMs_;
  ULONGLONG waitingSince_ = 0;  // when the next step began to wait; 0 before it did
  ULONGLONG readySince_ = 0;    // since when the wizard has been ready without a break
  ULONGLONG settleUntil_ = 0;   // the last step's effects are left this long to show
  // The last step's effect was complete when it returned, so the wizard, ready now, has not
  // moved since.
  bool lastStepDone_ = false;
};

}  // namespace vtrdrive
