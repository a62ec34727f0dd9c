// The controls of fmMain by name, so that handlers read as the form does: ctl::cmdOpt(3),
// ctl::cmdNext. Index meanings: cmdOpt 0 Single User, 1 Network, 2 Custom, 3 Repair,
// 4 Configure, 5 Remove; lbOpt 0..5 beside the cmdOpt of that index, 10 the completion text;
// ckOpt 0 Outlook interface, 1 launch at the end, 2 remove program, 3 remove database,
// 4 re-install program, 5 re-install database; optInstall 0 both, 1 program only, 2 database
// only; ckInstall, txPath, cmdPath 1 program folder, 2 database folder.
#pragma once

#include "platform/window_view.h"

namespace vtr::ctl {

// The panels: the frWiz index is the panel number used throughout the wizard.
inline ControlRef frWiz(int panel) {
  return {L"frWiz", panel};
}
inline ControlRef cmdOpt(int i) {
  return {L"cmdOpt", i};
}
inline ControlRef lbOpt(int i) {
  return {L"lbOpt", i};
}
inline ControlRef optInstall(int i) {
  return {L"optInstall", i};
}
inline ControlRef frConfig(int i) {
  return {L"frConfig", i};
}
inline ControlRef ckOpt(int i) {
  return {L"ckOpt", i};
}
inline ControlRef ckInstall(int i) {
  return {L"ckInstall", i};
}
inline ControlRef txPath(int i) {
  return {L"txPath", i};
}
inline ControlRef cmdPath(int i) {
  return {L"cmdPath", i};
}
inline ControlRef lbOL() {
  return {L"lbOL"};
}
inline ControlRef lbProOnly() {
  return {L"lbProOnly"};
}

// The banner behind the panels.
inline ControlRef frBanner() {
  return {L"frBanner"};
}
inline ControlRef lbProductName() {
  return {L"lbProductName"};
}
inline ControlRef lbVersion() {
  return {L"lbVersion"};
}
inline ControlRef lbRev() {
  return {L"lbRev"};
}
inline ControlRef imgLogo() {
  return {L"imgLogo"};
}
inline ControlRef lbErr() {
  return {L"lbErr"};
}
inline ControlRef lbWarning() {
  return {L"lbWarning"};
}
inline ControlRef frWSName() {
  return {L"frWSName"};
}
inline ControlRef lbMaker() {
  return {L"lbMaker"};
}
inline ControlRef lbSlogan() {
  return {L"lbSlogan"};
}

// The button row.
inline ControlRef cmdCancel() {
  return {L"cmdCancel"};
}
inline ControlRef cmdBack() {
  return {L"cmdBack"};
}
inline ControlRef cmdNext() {
  return {L"cmdNext"};
}
inline ControlRef cmdFinish() {
  return {L"cmdFinish"};
}

}  // namespace vtr::ctl

namespace vtr {

// Where panels stand: a shown panel at (480, 2580) of the window, a hidden one parked far
// to the left.
inline constexpr int kPanelLeft = 480;
inline constexpr int kPanelTop = 2580;
inline constexpr int kPanelParked = -10000;
inline constexpr int kPanelCount = 8;
inline constexpr int kCompletionPanel = 5;

inline constexpr Colour kBlue = Colour::Rgb(0, 0, 255);
inline constexpr Colour kRed = Colour::Rgb(255, 0, 0);
inline constexpr Colour kLightBlue = Colour::Rgb(163, 169, 252);
inline constexpr Colour kWindowText = Colour::System(SystemColour::WindowText);

}  // namespace vtr
