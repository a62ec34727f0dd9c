// The design of fmMain laid out: the window, the banner, the eight panels and the button row.
#include "wizard/layout.h"

#include "wizard/controls.h"

namespace vtr {
namespace {

ControlState Make(const ControlRef& ref, ControlKind kind, const ControlRef& container,
                  const std::wstring& caption, int left, int top, int width, int height) {
  ControlState c;
  c.ref = ref;
  c.kind = kind;
  c.container = container;
  c.caption = caption;
  c.left = left;
  c.top = top;
  c.width = width;
  c.height = height;
  if (kind == ControlKind::TextBox) {
    c.foreColour = kWindowText;
    c.backColour = Colour::System(SystemColour::Window);
  }
  return c;
}

ControlState Bold(ControlState c) {
  c.bold = true;
  return c;
}

ControlState Centred(ControlState c) {
  c.align = TextAlign::Centre;
  return c;
}

ControlState Hidden(ControlState c) {
  c.visible = false;
  return c;
}

ControlState Disabled(ControlState c) {
  c.enabled = false;
  return c;
}

ControlState WithValue(ControlState c, int value) {
  c.value = value;
  return c;
}

// The descriptions beside the big choice buttons, and the completion text.
ControlState OptionLabel(ControlState c) {
  c.backColour = kLightBlue;
  return Bold(Centred(std::move(c)));
}

void LayOutBanner(FormModel& form) {
  using namespace ctl;
  const ControlRef banner = frBanner();
  ControlState frame = Make(banner, ControlKind::Frame, {}, L"", 60, 60, 7200, 5265);
  form.Add(frame);

  ControlState name = Make(lbProductName(), ControlKind::Label, banner,
                           L"Vantora Contact Management", 60, 180, 5205, 1515);
  name.fontPoints = 24;
  form.Add(Bold(Centred(name)));
  ControlState version =
      Make(lbVersion(), ControlKind::Label, banner, L"Professional 3.2", 60, 1620, 5205, 510);
  version.fontPoints = 14;
  form.Add(Bold(Centred(version)));
  form.Add(Centred(Make(lbRev(), ControlKind::Label, banner, L"Rev 3.2.4", 2310, 2100, 705, 210)));

  ControlState logo = Make(imgLogo(), ControlKind::Image, banner, L"", 4980, 240, 1815, 2205);
  logo.picture = L"logo";
  form.Add(logo);

  ControlState err = Make(lbErr(), ControlKind::Label, banner,
                          L"Path entered is invalid, please correct", 240, 4920, 6615, 195);
  err.foreColour = kRed;
  form.Add(Hidden(Bold(err)));
  form.Add(Hidden(Make(lbWarning(), ControlKind::Label, banner,
                       L"Warning: This program is protected by copyright law and international "
                       L"treaties.",
                       120, 4980, 6615, 195)));

  ControlState maker = Make(frWSName(), ControlKind::Frame, banner, L"", 3540, 4500, 3375, 675);
  maker.border = false;
  form.Add(Hidden(maker));
  form.Add(
      Bold(Centred(Make(lbMaker(), ControlKind::Label, frWSName(), L"Vantora", 0, 60, 3375, 315))));
  form.Add(Centred(Make(lbSlogan(), ControlKind::Label, frWSName(),
                        L"Keeping you in touch with your contacts", 0, 390, 3375, 255)));
}

void LayOutPanels(FormModel& form) {
  using namespace ctl;
  struct PanelDesign {
    const wchar_t* caption;
    int width, height;
  };
  static const PanelDesign kPanels[kPanelCount] = {
      {L" Installation Options ", 6375, 2355},  {L" Installation Options ", 4875, 1875},
      {L" Configuration Options ", 4875, 1875}, {L" Uninstall Options ", 4875, 1875},
      {L" Repair Options ", 4875, 1875},        {L" Installation Completed ", 4875, 1875},
      {L" Installation Options ", 6375, 2295},  {L" Installation Options ", 6315, 2355},
  };
  // Panels start hidden and parked out of sight; showing one moves it into place.
  for (int i = 0; i < kPanelCount; ++i) {
    ControlState panel = Make(frWiz(i), ControlKind::Frame, {}, kPanels[i].caption, kPanelParked,
                              kPanelTop, kPanels[i].width, kPanels[i].height);
    panel.foreColour = kBlue;
    form.Add(Hidden(Bold(panel)));
  }

  // Panel 0: the three kinds of installation.
  const ControlRef p0 = frWiz(0);
  form.Add(
      Bold(Make(cmdOpt(0), ControlKind::Button, p0, L"&Single User Install", 240, 540, 2715, 495)));
  form.Add(
      Bold(Make(cmdOpt(1), ControlKind::Button, p0, L"&Network Install", 240, 1080, 2715, 495)));
  form.Add(
      Bold(Make(cmdOpt(2), ControlKind::Button, p0, L"&Custom Install", 240, 1740, 2715, 435)));
  form.Add(
      OptionLabel(Make(lbOpt(0), ControlKind::Label, p0,
                       L"Install program and database for Single User", 3060, 540, 3075, 495)));
  form.Add(OptionLabel(Make(lbOpt(1), ControlKind::Label, p0,
                            L"Installation option for Multi-user network environment", 3060, 1080,
                            3075, 495)));
  form.Add(
      OptionLabel(Make(lbOpt(2), ControlKind::Label, p0,
                       L"Allows selection of directories for Single User or Network installation",
                       3060, 1740, 3075, 435)));

  // Panel 6: what to do with an installed product.
  const ControlRef p6 = frWiz(6);
  form.Add(Bold(Make(cmdOpt(3), ControlKind::Button, p6, L"&Repair", 240, 540, 2715, 495)));
  form.Add(Bold(Make(cmdOpt(4), ControlKind::Button, p6, L"&Configure", 240, 1140, 2715, 435)));
  form.Add(Bold(Make(cmdOpt(5), ControlKind::Button, p6, L"Remo&ve", 240, 1680, 2715, 435)));
  form.Add(OptionLabel(Make(lbOpt(3), ControlKind::Label, p6,
                            L" Reinstall or Repair Vantora Contact Managment Program ", 3060, 540,
                            3075, 495)));
  form.Add(OptionLabel(Make(lbOpt(4), ControlKind::Label, p6,
                            L"Install Microsoft Office Outlook Interface", 3060, 1140, 3075, 435)));
  form.Add(OptionLabel(Make(lbOpt(5), ControlKind::Label, p6,
                            L"Remove Vantora Contact Management from this computer", 3060, 1680,
                            3075, 435)));

  // Panel 1: what to install.
  const ControlRef p1 = frWiz(1);
  form.Add(WithValue(Make(optInstall(0), ControlKind::OptionButton, p1,
                          L"&Install Program and Database", 540, 600, 4275, 315),
                     1));
  form.Add(Make(optInstall(1), ControlKind::OptionButton, p1,
                L"&Workstation Install (Program Only)", 540, 1020, 4275, 315));
  form.Add(Make(optInstall(2), ControlKind::OptionButton, p1, L"&Database Install (Database Only)",
                540, 1440, 4275, 315));

  // Panel 2: program configuration.
  const ControlRef p2 = frWiz(2);
  form.Add(
      Make(frConfig(0), ControlKind::Frame, p2, L"Program Configuration ", 360, 600, 4095, 975));
  form.Add(WithValue(Make(ckOpt(0), ControlKind::CheckBox, frConfig(0),
                          L"&Install Microsoft Office Outlook Interface", 240, 360, 3195, 255),
                     1));
  form.Add(
      Centred(Make(lbOL(), ControlKind::Label, frConfig(0),
                   L"(Enables sending Email with Microsoft Office Outlook)", 0, 660, 4035, 315)));
  ControlState proOnly = Make(lbProOnly(), ControlKind::Label, p2, L"Professional Version Feature",
                              60, 1560, 4755, 255);
  proOnly.foreColour = kBlue;
  form.Add(Hidden(Bold(Centred(proOnly))));

  // Panel 3: what to remove.
  const ControlRef p3 = frWiz(3);
  form.Add(WithValue(Make(ckOpt(2), ControlKind::CheckBox, p3,
                          L"Remove Vantora Contact Management &Program files", 420, 660, 3255, 435),
                     1));
  form.Add(Make(ckOpt(3), ControlKind::CheckBox, p3, L"Remove &Database ", 420, 1200, 3255, 255));

  // Panel 4: what to re-install.
  const ControlRef p4 = frWiz(4);
  form.Add(WithValue(
      Make(ckOpt(4), ControlKind::CheckBox, p4,
           L"Re-install &Program Files for Vantora Contact Management", 420, 660, 4395, 435),
      1));
  form.Add(Make(ckOpt(5), ControlKind::CheckBox, p4,
                L"Re-install &Database  (WARNING: This will overwrite all of your existing "
                L"Contact Records)",
                420, 1140, 4095, 435));

  // Panel 5: the result of the run.
  const ControlRef p5 = frWiz(5);
  form.Add(OptionLabel(Make(lbOpt(10), ControlKind::Label, p5,
                            L"Vantora Contact Managment installation has completed.", 240, 600,
                            4455, 795)));
  form.Add(WithValue(Make(ckOpt(1), ControlKind::CheckBox, p5,
                          L"&Launch Vantora Contact Management", 240, 1500, 3255, 255),
                     1));

  // Panel 7: the program and database folders.
  const ControlRef p7 = frWiz(7);
  form.Add(Bold(Make(ckInstall(1), ControlKind::CheckBox, p7, L"Install &Program Files:", 240, 540,
                     4395, 255)));
  form.Add(Disabled(Make(txPath(1), ControlKind::TextBox, p7, L"txPath", 240, 840, 4815, 315)));
  ControlState browse1 =
      Make(cmdPath(1), ControlKind::Button, p7, L"Browse...", 5160, 840, 975, 315);
  browse1.toolTip = L"Look for folder to install program";
  form.Add(Disabled(browse1));
  form.Add(Bold(
      Make(ckInstall(2), ControlKind::CheckBox, p7, L"Install Database:", 240, 1440, 5895, 255)));
  form.Add(Disabled(Make(txPath(2), ControlKind::TextBox, p7, L"txPath", 240, 1740, 4815, 315)));
  ControlState browse2 =
      Make(cmdPath(2), ControlKind::Button, p7, L"Browse...", 5160, 1740, 975, 315);
  browse2.toolTip = L"Look for folder to install database";
  form.Add(Disabled(browse2));
}

void LayOutButtons(FormModel& form) {
  using namespace ctl;
  ControlState cancel =
      Make(cmdCancel(), ControlKind::Button, {}, L"&Cancel", 3840, 5460, 1035, 315);
  cancel.isCancel = true;
  form.Add(cancel);
  form.Add(Make(cmdBack(), ControlKind::Button, {}, L"&Back", 5160, 5460, 975, 315));
  form.Add(Make(cmdNext(), ControlKind::Button, {}, L"&Next", 6180, 5460, 1035, 315));
  form.Add(Make(cmdFinish(), ControlKind::Button, {}, L"&Finish", 6180, 5460, 1035, 315));
}

}  // namespace

void LayOutForm(FormModel& form) {
  WindowState window;
  window.title = L"Vantora Setup";
  window.width = 7425;
  window.height = 6345;
  form.SetInitialWindow(window);
  LayOutBanner(form);
  LayOutPanels(form);
  LayOutButtons(form);
}

}  // namespace vtr
