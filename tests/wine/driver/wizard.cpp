#include "wizard.h"

#include "window_text.h"

namespace vtrdrive {
namespace {

struct WizardSearch {
  DWORD processId;
  HWND found;
};

BOOL CALLBACK FindWizardWindow(HWND window, LPARAM search) {
  auto* s = reinterpret_cast<WizardSearch*>(search);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner == s->processId && ClassName(window) == kWizardClass) {
    s->found = window;
    return FALSE;
  }
  return TRUE;
}

struct ControlSearch {
  int id;
  HWND found;
};

BOOL CALLBACK FindControlWindow(HWND window, LPARAM search) {
  auto* s = reinterpret_cast<ControlSearch*>(search);
  if (GetDlgCtrlID(window) == s->id) {
    s->found = window;
    return FALSE;
  }
  return TRUE;
}

struct RowButton {
  const char* name;
  int id;
};
// The button row (IDs of docs/controls.md).
constexpr RowButton kRowButtons[] = {
    {"Cancel", 3100}, {"Back", 3200}, {"Next", 3300}, {"Finish", 3400}};

bool IsCheckable(HWND control) {
  if (ClassName(control) != L"Button") {
    return false;
  }
  const LONG type = GetWindowLongW(control, GWL_STYLE) & BS_TYPEMASK;
  return type == BS_CHECKBOX || type == BS_AUTOCHECKBOX || type == BS_3STATE ||
         type == BS_AUTO3STATE || type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON;
}

}  // namespace

HWND FindWizard(DWORD processId) {
  WizardSearch search{processId, nullptr};
  EnumWindows(FindWizardWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND FindControl(HWND wizard, int id) {
  if (HWND direct = GetDlgItem(wizard, id)) {
    return direct;
  }
  // EnumChildWindows walks the children of the children too: the controls of every frame.
  ControlSearch search{id, nullptr};
  EnumChildWindows(wizard, FindControlWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

std::vector<int> VisiblePanels(HWND wizard) {
  std::vector<int> panels;
  for (int panel = 0; panel < kPanelCount; ++panel) {
    HWND frame = FindControl(wizard, kFirstPanelId + panel);
    if (frame != nullptr && IsWindowVisible(frame)) {
      panels.push_back(panel);
    }
  }
  return panels;
}

ControlInfo ReadControl(HWND wizard, int id) {
  ControlInfo info;
  HWND control = FindControl(wizard, id);
  if (control == nullptr) {
    return info;
  }
  info.exists = true;
  info.className = ClassName(control);
  info.text = WindowText(control);
  info.visible = IsWindowVisible(control) != FALSE;
  info.enabled = IsWindowEnabled(control) != FALSE;
  if (IsCheckable(control)) {
    DWORD_PTR check = 0;
    if (SendMessageTimeoutW(control, BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, 5000, &check)) {
      info.check = static_cast<int>(check);
    }
  }
  return info;
}

JsonLine WizardState(HWND wizard) {
  JsonLine state;
  state.Add("title", WindowText(wizard))
      .Add("visible", IsWindowVisible(wizard) != FALSE)
      .Add("enabled", IsWindowEnabled(wizard) != FALSE);
  const std::vector<int> panels = VisiblePanels(wizard);
  if (panels.size() == 1) {
    state.Add("panel", static_cast<int64_t>(panels.front()));
  } else {
    state.Add("panels", std::vector<int64_t>(panels.begin(), panels.end()));
  }
  // The control with the keyboard focus, by its ID.
  GUITHREADINFO info{};
  info.cbSize = sizeof(info);
  if (GetGUIThreadInfo(GetWindowThreadProcessId(wizard, nullptr), &info) &&
      info.hwndFocus != nullptr && IsChild(wizard, info.hwndFocus)) {
    state.Add("focus", static_cast<int64_t>(GetDlgCtrlID(info.hwndFocus)));
  }
  JsonLine buttons;
  for (const RowButton& b : kRowButtons) {
    HWND button = FindControl(wizard, b.id);
    JsonLine one;
    one.Add("visible", button != nullptr && IsWindowVisible(button) != FALSE)
        .Add("enabled", button != nullptr && IsWindowEnabled(button) != FALSE);
    buttons.Add(b.name, one);
  }
  state.Add("buttons", buttons);
  return state;
}

JsonLine ControlState(const ControlInfo& control) {
  JsonLine state;
  state.Add("class", control.className)
      .Add("text", control.text)
      .Add("visible", control.visible)
      .Add("enabled", control.enabled);
  if (control.check) {
    state.Add("check", static_cast<int64_t>(*control.check));
  }
  return state;
}

}  // namespace vtrdrive
