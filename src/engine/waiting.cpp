// Waiting while another copy of setup, another installation or the product's program runs.
#include "engine/waiting.h"

namespace vtr {

bool WaitWhileBusy(Platform& p, int32_t limitMs, const std::function<bool()>& busy,
                   const std::wstring& waitingLine) {
  if (!busy()) {
    return true;
  }
  p.WriteStandardError(L"VTR Setup: " + waitingLine);
  p.WriteLog(waitingLine);
  for (int32_t waited = 0; waited < limitMs;) {
    p.Pause(kBusyPollMs);
    waited += kBusyPollMs;
    if (!busy()) {
      p.WriteLog(L"the wait ended after " + std::to_wstring(waited / 1000) + L" seconds");
      return true;
    }
  }
  return false;
}

std::wstring WaitLimitText(int32_t limitMs) {
  const int32_t seconds = limitMs / 1000;
  if (seconds % 60 != 0) {
    return std::to_wstring(seconds) + (seconds == 1 ? L" second" : L" seconds");
  }
  const int32_t minutes = seconds / 60;
  return std::to_wstring(minutes) + (minutes == 1 ? L" minute" : L" minutes");
}

bool InstallerFree(Platform& p, bool silent, int32_t limitMs) {
  const auto busy = [&] { return p.NamedMutexExists(kInstallerBusyMutex); };
  if (silent) {
    return WaitWhileBusy(p, limitMs, busy,
                         L"another installation is in progress. This run waits up to " +
                             WaitLimitText(limitMs) + L" for it to finish.");
  }
  return RetryWhileBusy(p, busy,
                        L"Another installation is in progress. Wait until it has finished, then "
                        L"choose Retry.");
}

bool RetryWhileBusy(Platform& p, const std::function<bool()>& busy, const std::wstring& text) {
  while (busy()) {
    if (p.MsgBox(text, MsgButtons::RetryCancel, MsgIcon::Exclamation, std::nullopt) !=
        MsgAnswer::Retry) {
      return false;
    }
  }
  return true;
}

}  // namespace vtr
