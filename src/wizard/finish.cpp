// Finish, Cancel and closing the window. Finish hands the choices to the install engine and
// shows the completion panel after a good run; on the completion panel it may launch the
// product and closes the wizard.
#include "engine/run_programs.h"
#include "util/paths.h"
#include "util/text.h"
#include "wizard/controls.h"
#include "wizard/fm_main.h"

namespace vtr {

void fmMain::cmdFinish_Click() {
  using namespace ctl;
  FormState& st = state_;
  if (PanelOnShow() == kCompletionPanel) {
    // The launch box is only offered after an install, and never after a removal. The product
    // runs as the person at the desktop, not with setup's rights.
    const bool offered = form_.At(ckOpt(1)).visible && !st.bRemove;
    if (offered && form_.Ticked(ckOpt(1))) {
      const std::wstring separator = Contains(folders_.gsAppPath, L"/") ? L"/" : L"\\";
      LaunchForUser(p_, JoinPath(folders_.gsAppPath, separator, e_.gsExeName));
    }
    Unload(UnloadMode::FromCode);
    return;
  }

  if (st.bInstall) {
    if (PanelOnShow() == 7 && !Check_Paths()) {
      return;  // the folder panel shows what is wrong
    }
    if (form_.Selected(optInstall(0))) {
      st.bProgram = st.bDatabase = true;
    } else if (form_.Selected(optInstall(1))) {
      st.bProgram = true;
      st.bDatabase = false;
    } else {
      st.bProgram = false;
      st.bDatabase = form_.Selected(optInstall(2));
    }
  } else if (st.bRepair) {
    st.bProgram = form_.Ticked(ckOpt(4));
    st.bDatabase = form_.Ticked(ckOpt(5));
  } else if (st.bRemove) {
    st.bProgram = form_.Ticked(ckOpt(2));
    st.bDatabase = form_.Ticked(ckOpt(3));
  }
  // Configure keeps bProgram and bDatabase as the choice panel left them: false.

  // The folders as the user left them in the boxes; an empty box keeps start-up's folder.
  const std::wstring& programFolder = form_.At(txPath(1)).caption;
  const std::wstring& databaseFolder = form_.At(txPath(2)).caption;
  if (!programFolder.empty()) {
    folders_.gsAppPath = programFolder;
  }
  if (!databaseFolder.empty()) {
    // A typed folder gets "Vantora Data" as browsing adds it, so "DBPath" names the folder
    // the database lands in; the folder start-up found (or read from the store) is kept.
    folders_.gsDBPath =
        databaseFolder == folders_.gsDBPath ? databaseFolder : WithDataFolder(databaseFolder);
  }

  // The Outlook interface comes with the program, or alone when configuring.
  st.bOutlook = !st.bRemove && (st.bProgram || st.bConfigure) && form_.Ticked(ckOpt(0));

  if (!st.bProgram && !st.bDatabase && !st.bOutlook) {
    p_.MsgBox(L"Nothing selected to install or update", MsgButtons::Ok, MsgIcon::None,
              std::nullopt);
    return;
  }
  if (form_.Unloaded()) {
    return;  // the window was closed while a message was up
  }

  // The window stays hidden while Windows Installer works.
  form_.HideWindow();
  const Request request = RequestFor({.bProgram = st.bProgram,
                                      .bDatabase = st.bDatabase,
                                      .bOutlook = st.bOutlook,
                                      .bRepair = st.bRepair,
                                      .bRemove = st.bRemove},
                                     folders_);
  ran_ = true;
  outcome_ = engine_(p_, request);
  installed_ = outcome_.installed;  // the completion panel goes by what the engine found
  // The engine has told the user what went wrong; or Windows is restarting, and nothing more
  // is offered or started.
  if (!GoesOn(outcome_.result)) {
    Unload(UnloadMode::FromCode);
    return;
  }

  // Straight on to the last panel of the road: the completion panel, or past the end of a
  // Configure road, which closes the wizard.
  const int last = static_cast<int>(st.iPanelSeq.size()) - 1;
  if (st.iPanelPos < last - 1) {
    HidePanel(PanelOnShow());
    st.iPanelPos = static_cast<int16_t>(last - 1);
  }
  Panel_Next(false, false);
}

void fmMain::cmdCancel_Click() {
  Unload(UnloadMode::FromCode);
}

void fmMain::Form_QueryUnload(bool& /*cancel*/, UnloadMode /*unloadMode*/) {
  // Closing the wizard by any means ends the program; the close is never refused.
  Attempt([&] { form_.UnloadWindow(); },
          [&](const RunError& e) {
            if (o_.gbDebug) {
              p_.MsgBox(L"errHdl_Form_QueryUnload: " + e.description + L"(" +
                            std::to_wstring(e.number) + L")",
                        MsgButtons::Ok, MsgIcon::None, std::wstring(L"VTR Install"));
            }
            return OnError::Resume;
          });
}

}  // namespace vtr
