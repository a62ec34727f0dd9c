// The choice buttons, which decide the whole road through the wizard, and the handlers that
// keep Next and Finish in step with what the user has ticked.
#include "util/text.h"
#include "wizard/controls.h"
#include "wizard/fm_main.h"

namespace vtr {

void fmMain::cmdOpt_Click(int index) {
  using namespace ctl;
  state_.iPanelPos = 0;
  std::wstring completion = gsCR + (e_.gbUpdate ? L"Update to " : L"") +
                            L"Vantora Contact Management " +
                            (e_.gbPro ? L"Professional " : L"Lite ") + e_.gsVersion;
  const wchar_t* const kInstalled = L" has been successfully installed.";
  const wchar_t* const kCompleted = L" has been successfully completed.";

  // Each choice lays down its panels and presets the boxes; the presets run the boxes' click
  // handlers, which enable the folder boxes and keep the option buttons in step.
  switch (index) {
    case 0:  // Single User: program and database into the default folders
      // Folders typed on an abandoned Custom road must not reach Windows Installer unchecked.
      RestoreStartUpFolders();
      state_.bInstall = true;
      state_.iPanelSeq = {0, 2};
      completion += e_.gbUpdate ? kCompleted : kInstalled;
      form_.Select(optInstall(0));
      form_.SetValue(ckInstall(1), 1);
      form_.SetValue(ckInstall(2), 1);
      break;
    case 1:  // Network: the program on this computer, the database shared elsewhere
    case 2:  // Custom: both, into folders the user chooses
      if (index == 1) {
        RestoreStartUpFolders();
      }
      state_.bInstall = true;
      state_.iPanelSeq = {0, 7, 2};
      completion += e_.gbUpdate ? kCompleted : kInstalled;
      if (e_.gbUpdate) {
        form_.Select(optInstall(1));
      }
      form_.SetValue(ckInstall(1), 1);
      form_.SetValue(ckInstall(2), index == 2 ? 1 : 0);
      break;
    case 3:
      state_.bRepair = true;
      state_.iPanelSeq = {6, 4, 2};
      completion += L" has been repaired.";
      break;
    case 4:
      state_.bConfigure = true;
      state_.iPanelSeq = {6, 2};
      completion += e_.gbUpdate ? kCompleted : L" has been successfully updated.";
      break;
    case 5:
      state_.bRemove = true;
      state_.iPanelSeq = {6, 3};
      completion += L" has been removed from your computer.";
      break;
    default:
      // The form has no other choice button; nothing is laid down for one.
      p_.MsgBox(L"Option not defined", MsgButtons::Ok, MsgIcon::None, std::nullopt);
      return;
  }

  // Configure ends on its configuration panel: it has no completion panel.
  if (!state_.bConfigure) {
    state_.iPanelSeq.push_back(kCompletionPanel);
    form_.SetCaption(lbOpt(10), completion);
  }
  Panel_Next(false, false);
}

void fmMain::optInstall_Click(int /*index*/) {
  // Only panel 1 shows the option buttons; elsewhere they just record what Finish installs.
  if (!state_.bLoaded || PanelOnShow() != 1 || !state_.bInstall) {
    return;
  }
  const GoOnButtons buttons = ButtonsFor(GoOn::InstallChoice);
  ApplyButtons(buttons);
  ApplyFront(buttons);
}

void fmMain::ckOpt_Click(int /*index*/) {
  using namespace ctl;
  if (!state_.bLoaded) {
    return;
  }
  switch (PanelOnShow()) {
    case 4: {
      const GoOnButtons buttons = ButtonsFor(GoOn::Repair);
      ApplyButtons(buttons);
      ApplyFront(buttons);
      break;
    }
    case 3:
      form_.SetEnabled(cmdFinish(), form_.Ticked(ckOpt(2)) || form_.Ticked(ckOpt(3)));
      break;
    case 2:
      // Configure has nothing to do without the Outlook interface.
      if (state_.bConfigure) {
        form_.SetEnabled(cmdFinish(), form_.Ticked(ckOpt(0)));
      }
      break;
    default:
      break;
  }
}

void fmMain::ckInstall_Click(int index) {
  using namespace ctl;
  const bool ticked = form_.Ticked(ckInstall(index));
  form_.SetEnabled(txPath(index), ticked);
  form_.SetEnabled(cmdPath(index), ticked);

  const bool program = form_.Ticked(ckInstall(1));
  const bool database = form_.Ticked(ckInstall(2));
  if (state_.bLoaded && PanelOnShow() == 7) {
    // Next while the program is to be installed, else Finish, enabled for the database.
    const ControlRef goOn = program ? cmdNext() : cmdFinish();
    const GoOnButtons buttons{
        {program, program}, {!program, !program && database}, goOn, goOn, std::nullopt};
    ApplyButtons(buttons);
    ApplyFront(buttons);
  }
  // The option buttons of panel 1 follow the boxes: they are what Finish reads.
  if (program && database) {
    form_.Select(optInstall(0));
  } else if (program) {
    form_.Select(optInstall(1));
  } else if (database) {
    form_.Select(optInstall(2));
  }
}

}  // namespace vtr
