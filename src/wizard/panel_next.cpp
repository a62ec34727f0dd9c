// Panel_Next: the one place that shows a panel. It steps back or forward along iPanelSeq (or
// shows the current entry again) and sets the buttons and options of the panel now on show.
#include "util/text.h"
#include "wizard/controls.h"
#include "wizard/fm_main.h"

namespace vtr {

void fmMain::SetInstallChoiceButtons() {
  using namespace ctl;
  // Only a database-only install ends here; anything with the program goes on to Next.
  const bool databaseOnly = form_.Selected(optInstall(2));
  form_.SetEnabled(cmdNext(), !databaseOnly);
  form_.SetVisible(cmdNext(), !databaseOnly);
  form_.SetVisible(cmdFinish(), databaseOnly);
  form_.SetEnabled(cmdFinish(), databaseOnly);
  const ControlRef goOn = databaseOnly ? cmdFinish() : cmdNext();
  form_.BringToFront(goOn);
  form_.SetDefaultButton(goOn);
}

void fmMain::SetRepairButtons() {
  using namespace ctl;
  const bool program = form_.Ticked(ckOpt(4));
  form_.SetEnabled(cmdNext(), program);
  form_.SetVisible(cmdNext(), program);
  form_.SetVisible(cmdFinish(), !program);
  form_.SetEnabled(cmdFinish(), !program);
  if (program) {
    form_.BringToFront(cmdNext());
    form_.SetDefaultButton(cmdNext());
  } else if (form_.Ticked(ckOpt(5))) {
    form_.BringToFront(cmdFinish());
    form_.SetDefaultButton(cmdFinish());
  } else {
    form_.SetEnabled(cmdFinish(), false);  // nothing to re-install
  }
}

void fmMain::Panel_Next(bool bBack, bool bFirst) {
  using namespace ctl;
  // Nothing here may stop the wizard: a failing statement (a focus the window cannot take
  // yet, a disabled target) is passed over, and shown only to a developer.
  const auto report = [&](const RunError& e) {
    if (o_.gbDebug) {
      p_.MsgBox(L"errHdl_Panel_Next: " + DescribeError(e.description, e.number), MsgButtons::Ok,
                MsgIcon::None, std::nullopt);
    }
    return OnError::Resume;
  };
  const auto step = [&](const std::function<void()>& statement) { Attempt(statement, report); };

  // Leaving the folder panel forward needs folders that are valid (or could be made).
  if (PanelOnShow() == 7 && !bBack && !bFirst && !Check_Paths()) {
    return;
  }

  const int16_t oldPos = state_.iPanelPos;
  int16_t stepBy = 0;
  if (bBack) {
    if (state_.iPanelPos <= 0) {
      return;
    }
    stepBy = -1;
  } else if (!bFirst) {
    stepBy = 1;
  }
  state_.iPanelPos = static_cast<int16_t>(state_.iPanelPos + stepBy);
  if (state_.iPanelPos > static_cast<int>(state_.iPanelSeq.size()) - 1) {
    Unload(UnloadMode::FromCode);  // past the end of the road: the wizard is done
    return;
  }

  if (state_.iPanelPos != oldPos) {
    step([&] {
      if (oldPos < 0 || oldPos >= static_cast<int>(state_.iPanelSeq.size())) {
        throw RunError{9, L"Subscript out of range"};
      }
      HidePanel(state_.iPanelSeq[static_cast<std::size_t>(oldPos)]);
    });
  }
  const int panel = PanelOnShow();
  step([&] {
    form_.MoveTo(frWiz(panel), kPanelLeft, kPanelTop);
    form_.SetVisible(frWiz(panel), true);
    form_.BringToFront(frWiz(panel));
  });

  bool completionShown = false;
  switch (panel) {
    case 0:
    case 6:
      // A choice panel: every earlier choice is forgotten, so each road starts afresh.
      step([&] {
        form_.SetEnabled(cmdBack(), false);
        form_.SetEnabled(cmdNext(), false);
        form_.SetVisible(cmdNext(), true);
        form_.BringToFront(cmdNext());
        form_.SetVisible(cmdFinish(), false);
        form_.SetEnabled(cmdFinish(), false);
      });
      state_.bProgram = state_.bDatabase = state_.bOutlook = false;
      state_.bInstall = state_.bConfigure = state_.bRemove = state_.bRepair = false;
      if (form_.Window().visible) {
        if (panel == 0) {
          // The RTF3 edition has no single-user install: it always shares its database.
          step([&] { form_.SetEnabled(cmdOpt(0), !IsRtf3()); });
          step([&] { form_.SetFocus(IsRtf3() ? cmdOpt(1) : cmdOpt(0)); });
        } else {
          step([&] { form_.SetFocus(cmdOpt(3)); });
        }
      }
      break;
    case 1:
    case 7:
      step([&] { form_.SetEnabled(cmdBack(), true); });
      step([&] { SetInstallChoiceButtons(); });
      step([&] { form_.SetFocus(form_.Selected(optInstall(2)) ? cmdFinish() : cmdNext()); });
      break;
    case 4:
      step([&] { form_.SetEnabled(cmdBack(), true); });
      step([&] { SetRepairButtons(); });
      step([&] {
        if (form_.Ticked(ckOpt(4))) {
          form_.SetFocus(cmdNext());
        } else if (form_.Ticked(ckOpt(5))) {
          form_.SetFocus(cmdFinish());
        }
      });
      break;
    case 2:
      step([&] {
        form_.SetEnabled(cmdBack(), true);
        form_.SetEnabled(cmdNext(), false);
        form_.SetVisible(cmdNext(), false);
        form_.SetVisible(cmdFinish(), true);
        form_.SetEnabled(cmdFinish(), true);
      });
      // The RTF3 edition has no Outlook interface. Configure is about nothing else, so it
      // starts ticked there; an install keeps what the user chose.
      step([&] {
        if (IsRtf3()) {
          form_.SetValue(ckOpt(0), 0);
          form_.SetEnabled(ckOpt(0), false);
        } else if (state_.bConfigure) {
          form_.SetValue(ckOpt(0), 1);
        }
      });
      step([&] {
        form_.BringToFront(cmdFinish());
        form_.SetDefaultButton(cmdFinish());
      });
      step([&] { form_.SetFocus(cmdFinish()); });
      break;
    case 3:
      step([&] {
        form_.SetEnabled(cmdBack(), true);
        form_.SetEnabled(cmdNext(), false);
        form_.SetVisible(cmdNext(), false);
        form_.SetVisible(cmdFinish(), true);
        form_.SetEnabled(cmdFinish(), form_.Ticked(ckOpt(2)) || form_.Ticked(ckOpt(3)));
        form_.BringToFront(cmdFinish());
        form_.SetDefaultButton(cmdFinish());
      });
      step([&] {
        if (form_.At(cmdFinish()).enabled) {
          form_.SetFocus(cmdFinish());
        }
      });
      break;
    case kCompletionPanel:
      // The window was hidden while the engine ran; from here only Finish is left.
      step([&] { form_.ShowWindow(); });
      step([&] { form_.SetEnabled(cmdCancel(), false); });
      step([&] {
        // The launch box is only offered after an install that leaves the program
        // installed: it was part of the run, or it was there before.
        const bool offered = state_.bInstall && (state_.bProgram || installed_.gbInstalled);
        form_.SetVisible(ckOpt(1), offered);
        form_.SetValue(ckOpt(1), offered ? 1 : 0);
      });
      completionShown = true;
      step([&] {
        form_.SetEnabled(cmdBack(), false);
        form_.SetEnabled(cmdNext(), false);
        form_.SetVisible(cmdNext(), false);
        form_.SetVisible(cmdFinish(), true);
        form_.SetEnabled(cmdFinish(), true);
        form_.BringToFront(cmdFinish());
        form_.SetDefaultButton(cmdFinish());
      });
      step([&] { form_.SetFocus(cmdFinish()); });
      break;
    default:
      step([&] {
        p_.MsgBox(L"Panel is undefined: " + std::to_wstring(panel), MsgButtons::Ok, MsgIcon::None,
                  std::nullopt);
      });
      break;
  }

  // The folder panel's error line and red boxes speak of that panel only: they go when
  // another shows, or it would say "Path entered is invalid" under a completed installation.
  if (panel != 7) {
    step([&] { ClearFolderErrors(); });
  }
  // The maker's name stands under the completion panel, the legal notice under all others,
  // except where the error line takes its place.
  step([&] { form_.SetVisible(frWSName(), completionShown); });
  step([&] { form_.SetVisible(lbWarning(), !completionShown && !form_.At(lbErr()).visible); });
}

void fmMain::cmdNext_Click() {
  Panel_Next(false, false);
}

void fmMain::cmdBack_Click() {
  Panel_Next(true, false);
}

}  // namespace vtr
