// The setup program's wizard window as a user sees it from outside: which panel shows, which
// of the four buttons of the button row can be pressed, and any control by its ID, found among
// the window's child windows at any depth (the IDs are listed in docs/controls.md).
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "json_line.h"

namespace vtrdrive {

inline constexpr const wchar_t* kWizardClass = L"VantoraSetupWizard";
// The panels are the frames 2000 + panel number.
inline constexpr int kFirstPanelId = 2000;
inline constexpr int kPanelCount = 8;

// The wizard window of a process, shown or hidden; null when it has none.
HWND FindWizard(DWORD processId);

// A control of the wizard by its ID, under the window or under the frame (panel) that holds it;
// null when the wizard has none (yet).
HWND FindControl(HWND wizard, int id);

// The panels (numbers) that are visible; the wizard shows exactly one at a time.
std::vector<int> VisiblePanels(HWND wizard);

struct ControlInfo {
  bool exists = false;
  std::wstring className;
  std::wstring text;
  bool visible = false;
  bool enabled = false;
  std::optional<int> check;  // check boxes and option buttons: 0, 1 or 2 (greyed)
};
ControlInfo ReadControl(HWND wizard, int id);

// The wizard's state for a report: title, visible, enabled, the panel (or the panels, when not
// exactly one shows), the ID of the control with the focus and, for Cancel, Back, Next and
// Finish, whether each is shown and enabled.
JsonLine WizardState(HWND wizard);
// A control's state for a report: class, text, visible, enabled, and its check when it has one.
JsonLine ControlState(const ControlInfo& control);

}  // namespace vtrdrive
