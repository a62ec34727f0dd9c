// The window ID of every control of the wizard: a fixed base for each control name plus the
// control's index in its array. Test drivers and accessibility tools find a control by its ID
// under the window or the frame that holds it; docs/controls.md lists the whole table. Plain
// data, so it is checked natively as well as under Windows.
#pragma once

#include <array>
#include <optional>
#include <string_view>

#include "platform/window_view.h"

namespace vtr::win32 {

// The window class of the wizard's window, a dialog of its own class.
inline constexpr wchar_t kWizardClassName[] = L"VantoraSetupWizard";

// An array holds at most this many members, so the bases lie this far apart.
inline constexpr int kIdsPerName = 100;

struct ControlIdBase {
  std::wstring_view name;
  int base;
};

// Never change a base once shipped: drivers and scripts know the numbers. New names get new
// bases after the last one.
inline constexpr std::array<ControlIdBase, 25> kControlIdBases{{
    {L"frBanner", 1000},  {L"lbProductName", 1100}, {L"lbVersion", 1200}, {L"lbRev", 1300},
    {L"imgLogo", 1400},   {L"lbErr", 1500},         {L"lbWarning", 1600}, {L"frWSName", 1700},
    {L"lbMaker", 1800},   {L"lbSlogan", 1900},      {L"frWiz", 2000},     {L"cmdOpt", 2100},
    {L"lbOpt", 2200},     {L"optInstall", 2300},    {L"frConfig", 2400},  {L"ckOpt", 2500},
    {L"lbOL", 2600},      {L"lbProOnly", 2700},     {L"ckInstall", 2800}, {L"txPath", 2900},
    {L"cmdPath", 3000},   {L"cmdCancel", 3100},     {L"cmdBack", 3200},   {L"cmdNext", 3300},
    {L"cmdFinish", 3400},
}};

// Controls whose name is not in the table (none in today's form) are numbered from here in
// the order the form draws them; such numbers are not stable between versions.
inline constexpr int kFirstUnlistedId = 9000;

// The stable ID of a control: its name's base plus its index (a control outside an array
// counts as index 0). Nothing for a name without a base or an index outside 0 to 99.
inline std::optional<int> StableControlId(const ControlRef& control) {
  const int index = control.index < 0 ? 0 : control.index;
  if (index >= kIdsPerName) {
    return std::nullopt;
  }
  for (const ControlIdBase& entry : kControlIdBases) {
    if (entry.name == control.name) {
      return entry.base + index;
    }
  }
  return std::nullopt;
}

}  // namespace vtr::win32
