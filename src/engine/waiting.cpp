// Waiting, in a silent run, while another copy of setup or another installation runs.
#include "engine/waiting.h"

namespace vtr {

bool WaitWhileBusy(Platform& p, const std::function<bool()>& busy,
                   const std::wstring& waitingLine) {
  if (!busy()) {
    return true;
  }
  p.WriteStandardError(L"VTR Setup: " + waitingLine);
  p.WriteLog(waitingLine);
  for (int32_t waited = 0; waited < kBusyWaitLimitMs;) {
    p.Pause(kBusyPollMs);
    waited += kBusyPollMs;
    if (!busy()) {
      p.WriteLog(L"the wait ended after " + std::to_wstring(waited / 1000) + L" seconds");
      return true;
    }
  }
  return false;
}

}  // namespace vtr
