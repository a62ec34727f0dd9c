#include "steps.h"

#include <tlhelp32.h>

#include "json_line.h"
#include "screenshot.h"
#include "window_text.h"
#include "wizard.h"

namespace vtrdrive {
namespace {

// How long the wizard must stay ready before a step acts: a window that has just been shown
// may still be placing its controls.
constexpr ULONGLONG kStableMs = 250;
// After a step, its effect (a panel that changes, a box that opens) is given this long to start.
constexpr ULONGLONG kSettleMs = 400;
constexpr UINT kAnswerMs = 2000;
// How long a check box may take to show the value a click gave it.
constexpr ULONGLONG kCheckWaitMs = 5000;
// How long a WM_CLOSE sent to the wizard may take to be handled.
constexpr UINT kEndTaskWaitMs = 10000;
// Long enough for Wine to paint the window before its picture is taken.
constexpr DWORD kPaintMs = 400;

bool IsBox(HWND window) {
  return ClassName(window) == L"#32770";
}

bool Responds(HWND window) {
  DWORD_PTR result = 0;
  return SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, kAnswerMs, &result) != 0;
}

int VirtualKey(const std::wstring& name) {
  if (name == L"Enter") {
    return VK_RETURN;
  }
  if (name == L"Escape") {
    return VK_ESCAPE;
  }
  return VK_TAB;
}

const wchar_t* StepName(StepKind kind) {
  switch (kind) {
    case StepKind::Click:
      return L"click";
    case StepKind::Check:
      return L"check";
    case StepKind::Type:
      return L"type";
    case StepKind::Key:
      return L"key";
    case StepKind::EndTask:
      return L"end-task";
    case StepKind::Screenshot:
      return L"screenshot";
    case StepKind::ExpectPanel:
      return L"expect-panel";
    case StepKind::Read:
      return L"read";
    case StepKind::Modules:
      return L"modules";
  }
  return L"";
}

// A click, a key or a close is handled by the program in its own time: its effects (a panel
// that changes, a box that opens, the program ending) follow after the step returns.
bool TakesEffectLater(StepKind kind) {
  return kind == StepKind::Click || kind == StepKind::Key || kind == StepKind::EndTask;
}

bool NeedsUsableControl(StepKind kind) {
  return kind == StepKind::Click || kind == StepKind::Check || kind == StepKind::Type;
}

std::wstring PanelsText(const std::vector<int>& panels) {
  if (panels.empty()) {
    return L"no panel";
  }
  std::wstring text = panels.size() == 1 ? L"panel " : L"panels ";
  for (size_t i = 0; i < panels.size(); ++i) {
    text += (i == 0 ? L"" : L", ") + std::to_wstring(panels[i]);
  }
  return text;
}

// Clicks a control as the mouse would. The click is posted, as a real one is, not sent: the
// program handles it in its own time, and the next step waits until the wizard stands still.
void Click(HWND wizard, HWND control) {
  SetForegroundWindow(wizard);
  PostMessageW(control, BM_CLICK, 0, 0);
}

void PressKey(HWND wizard, int key) {
  // The key goes where the user's would: to the focused control of the wizard.
  HWND target = wizard;
  GUITHREADINFO info{};
  info.cbSize = sizeof(info);
  if (GetGUIThreadInfo(GetWindowThreadProcessId(wizard, nullptr), &info) &&
      info.hwndFocus != nullptr && IsChild(wizard, info.hwndFocus)) {
    target = info.hwndFocus;
  }
  SetForegroundWindow(wizard);
  const LPARAM scan = static_cast<LPARAM>(MapVirtualKeyW(static_cast<UINT>(key), 0)) << 16;
  PostMessageW(target, WM_KEYDOWN, static_cast<WPARAM>(key), scan | 1);
  PostMessageW(target, WM_KEYUP, static_cast<WPARAM>(key),
               static_cast<LPARAM>(scan | 1 | (LPARAM{3} << 30)));
}

}  // namespace

std::vector<std::wstring> ModulesOf(DWORD processId) {
  std::vector<std::wstring> paths;
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE | TH32CS_SNAPMODULE32, processId);
  if (snapshot == INVALID_HANDLE_VALUE) {
    return paths;
  }
  MODULEENTRY32W entry{};
  entry.dwSize = sizeof(entry);
  for (BOOL more = Module32FirstW(snapshot, &entry); more; more = Module32NextW(snapshot, &entry)) {
    paths.emplace_back(entry.szExePath);
  }
  CloseHandle(snapshot);
  return paths;
}

bool StepRunner::WantsModules() const {
  for (const Step& step : steps_) {
    if (step.kind == StepKind::Modules) {
      return true;
    }
  }
  return false;
}

StepRunner::StepRunner(std::vector<Step> steps, int stepTimeoutSeconds)
    : steps_(std::move(steps)), stepTimeoutMs_(static_cast<ULONGLONG>(stepTimeoutSeconds) * 1000) {}

std::vector<std::wstring> StepRunner::Unused() const {
  std::vector<std::wstring> unused;
  for (size_t i = next_; i < steps_.size(); ++i) {
    unused.push_back(DescribeStep(steps_[i]));
  }
  return unused;
}

std::wstring StepRunner::Blocker(const Step& step, HWND wizard, DWORD processId) const {
  if (wizard == nullptr) {
    return L"the program has no wizard window (class " + std::wstring(kWizardClass) + L")";
  }
  for (HWND window : TopLevelWindowsOf(processId)) {
    if (window != wizard && IsBox(window)) {
      return L"the box \"" + WindowText(window) + L"\" stands over the wizard";
    }
  }
  if (!IsWindowVisible(wizard)) {
    return L"the wizard is hidden";
  }
  if (!IsWindowEnabled(wizard)) {
    return L"the wizard is disabled";
  }
  if (!Responds(wizard)) {
    return L"the wizard does not answer (it is busy)";
  }
  if (NeedsUsableControl(step.kind)) {
    const ControlInfo control = ReadControl(wizard, step.id);
    if (!control.exists) {
      return L"the wizard has no control with ID " + std::to_wstring(step.id);
    }
    const std::wstring name = L"the control " + std::to_wstring(step.id) + L" (\"" + control.text +
                              L"\", " + control.className + L")";
    if (!control.visible) {
      return name + L" is hidden (the wizard shows " + PanelsText(VisiblePanels(wizard)) + L")";
    }
    if (!control.enabled) {
      return name + L" is disabled";
    }
  }
  if (step.kind == StepKind::ExpectPanel) {
    const std::vector<int> panels = VisiblePanels(wizard);
    if (panels != std::vector<int>{step.id}) {
      return L"the wizard shows " + PanelsText(panels);
    }
  }
  return {};
}

std::optional<std::wstring> StepRunner::Poll(DWORD processId) {
  if (Done()) {
    return std::nullopt;
  }
  const Step& step = steps_[next_];
  const ULONGLONG now = GetTickCount64();
  if (waitingSince_ == 0) {
    waitingSince_ = now;
  }
  HWND wizard = FindWizard(processId);
  const std::wstring blocker = Blocker(step, wizard, processId);
  if (!blocker.empty() || now < settleUntil_) {
    readySince_ = 0;
    lastStepDone_ = false;
    if (now - waitingSince_ > stepTimeoutMs_) {
      return DescribeStep(step) + L" could not be done within " +
             std::to_wstring(stepTimeoutMs_ / 1000) + L" seconds: " +
             (blocker.empty() ? std::wstring(L"the wizard did not settle") : blocker);
    }
    return std::nullopt;
  }
  if (readySince_ == 0) {
    readySince_ = now;
  }
  if (!lastStepDone_ && now - readySince_ < kStableMs) {
    return std::nullopt;
  }
  ++next_;
  waitingSince_ = 0;
  readySince_ = 0;
  std::optional<std::wstring> problem = Execute(step, wizard);
  // Typing, ticking, reading and pictures are done when the driver has seen their effect.
  lastStepDone_ = !TakesEffectLater(step.kind);
  settleUntil_ = lastStepDone_ ? 0 : GetTickCount64() + kSettleMs;
  return problem;
}

std::optional<std::wstring> StepRunner::Execute(const Step& step, HWND wizard) {
  JsonLine line;
  line.Add("step", std::wstring(StepName(step.kind)));
  line.Add("wizard", WizardState(wizard));
  HWND control = FindControl(wizard, step.id);
  switch (step.kind) {
    case StepKind::Click:
      line.Add("id", static_cast<int64_t>(step.id)).Add("text", WindowText(control));
      line.Write();
      Click(wizard, control);
      return std::nullopt;

    case StepKind::Check: {
      const ControlInfo before = ReadControl(wizard, step.id);
      line.Add("id", static_cast<int64_t>(step.id))
          .Add("text", before.text)
          .Add("value", static_cast<int64_t>(step.value));
      if (!before.check) {
        line.Write();
        return L"the control " + std::to_wstring(step.id) + L" (" + before.className +
               L") is no check box";
      }
      line.Add("was", static_cast<int64_t>(*before.check));
      line.Write();
      if (*before.check == step.value) {
        return std::nullopt;
      }
      Click(wizard, control);
      // The form sets the check itself once it has taken the click.
      const ULONGLONG deadline = GetTickCount64() + kCheckWaitMs;
      ControlInfo after = ReadControl(wizard, step.id);
      while (after.check && *after.check != step.value && GetTickCount64() < deadline) {
        Sleep(50);
        after = ReadControl(wizard, step.id);
      }
      if (after.check && *after.check != step.value) {
        return L"the check box " + std::to_wstring(step.id) + L" (\"" + after.text + L"\") shows " +
               std::to_wstring(*after.check) + L" after a click, not " +
               std::to_wstring(step.value);
      }
      return std::nullopt;
    }

    case StepKind::Type: {
      line.Add("id", static_cast<int64_t>(step.id)).Add("text", step.text);
      line.Write();
      if (!SetWindowTextRemote(control, step.text)) {
        return L"could not type into the control " + std::to_wstring(step.id);
      }
      const std::wstring shown = WindowText(control);
      if (shown != step.text) {
        return L"the control " + std::to_wstring(step.id) + L" shows \"" + shown +
               L"\" after typing \"" + step.text + L"\"";
      }
      return std::nullopt;
    }

    case StepKind::Key:
      line.Add("key", step.text);
      line.Write();
      PressKey(wizard, VirtualKey(step.text));
      return std::nullopt;

    case StepKind::EndTask: {
      line.Write();
      // Sent, not posted: the wizard handles it inside its message wait, as it does when
      // another program closes it, and must still notice afterwards that it is done.
      DWORD_PTR result = 0;
      if (SendMessageTimeoutW(wizard, WM_CLOSE, 0, 0, SMTO_ABORTIFHUNG, kEndTaskWaitMs, &result) ==
          0) {
        return L"the wizard did not take WM_CLOSE within " +
               std::to_wstring(kEndTaskWaitMs / 1000) + L" seconds";
      }
      return std::nullopt;
    }

    case StepKind::Screenshot: {
      Sleep(kPaintMs);
      const bool saved = SaveWindowScreenshot(step.text, wizard);
      line.Add("file", step.text);
      if (!saved) {
        line.Add("screenshot_error", L"could not save " + step.text);
      }
      line.Write();
      if (!saved) {
        return L"could not save a picture of the wizard as " + step.text;
      }
      return std::nullopt;
    }

    case StepKind::Modules: {
      DWORD processId = 0;
      GetWindowThreadProcessId(wizard, &processId);
      line.Add("modules", ModulesOf(processId));
      line.Write();
      return std::nullopt;
    }

    case StepKind::ExpectPanel:
      line.Add("panel", static_cast<int64_t>(step.id));
      line.Write();
      return std::nullopt;

    case StepKind::Read: {
      const ControlInfo info = ReadControl(wizard, step.id);
      line.Add("id", static_cast<int64_t>(step.id));
      if (!info.exists) {
        line.Write();
        return L"the wizard has no control with ID " + std::to_wstring(step.id);
      }
      line.Add("control", ControlState(info));
      line.Write();
      return std::nullopt;
    }
  }
  return std::nullopt;
}

}  // namespace vtrdrive
