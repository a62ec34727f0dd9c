// Panel_Next: the one place that shows a panel. It steps back or forward along iPanelSeq (or
// shows the current entry again) and applies the row of the panel table for the panel now on
// show: the button row, the panel's other effects, the focus and the banner under it.
#include "util/text.h"
#include "wizard/controls.h"
#include "wizard/fm_main.h"

namespace vtr {
namespace {

using namespace ctl;

constexpr ButtonState kHidden{false, false};
constexpr ButtonState kOn{true, true};

}  // namespace

const fmMain::PanelRow* fmMain::RowOf(int panel) {
  static const PanelRow kRows[] = {
      // panel, Back, Cancel, Next and Finish, other effects, folders, completion
      {0, false, true, GoOn::Choice, &fmMain::OnChoicePanel, false, false},
      {1, true, true, GoOn::InstallChoice, nullptr, false, false},
      {2, true, true, GoOn::Finish, &fmMain::OnConfigurationPanel, false, false},
      {3, true, true, GoOn::FinishIfAny, nullptr, false, false},
      {4, true, true, GoOn::Repair, nullptr, false, false},
      {kCompletionPanel, false, false, GoOn::Finish, &fmMain::OnCompletionPanel, false, true},
      {6, false, true, GoOn::Choice, &fmMain::OnChoicePanel, false, false},
      {7, true, true, GoOn::InstallChoice, nullptr, true, false},
  };
  for (const PanelRow& row : kRows) {
    if (row.panel == panel) {
      return &row;
    }
  }
  return nullptr;
}

GoOnButtons fmMain::ButtonsFor(GoOn rule) const {
  const GoOnButtons next{kOn, kHidden, cmdNext(), cmdNext(), cmdNext()};
  const GoOnButtons finish{kHidden, kOn, cmdFinish(), cmdFinish(), cmdFinish()};
  switch (rule) {
    case GoOn::Choice:
      return {{true, false}, kHidden, cmdNext(), std::nullopt, std::nullopt};
    case GoOn::InstallChoice:
      // Only a database-only install ends here; anything with the program goes on to Next.
      return form_.Selected(optInstall(2)) ? finish : next;
    case GoOn::Repair:
      if (form_.Ticked(ckOpt(4))) {
        return next;
      }
      if (form_.Ticked(ckOpt(5))) {
        return finish;
      }
      return {kHidden, {true, false}, std::nullopt, std::nullopt, std::nullopt};  // nothing to do
    case GoOn::Finish:
      return finish;
    case GoOn::FinishIfAny: {
      const bool any = form_.Ticked(ckOpt(2)) || form_.Ticked(ckOpt(3));
      return {kHidden,
              {true, any},
              cmdFinish(),
              cmdFinish(),
              any ? std::optional<ControlRef>(cmdFinish()) : std::nullopt};
    }
  }
  return finish;
}

void fmMain::ApplyButtons(const GoOnButtons& buttons) {
  form_.SetEnabled(cmdNext(), buttons.next.enabled);
  form_.SetVisible(cmdNext(), buttons.next.visible);
  form_.SetVisible(cmdFinish(), buttons.finish.visible);
  form_.SetEnabled(cmdFinish(), buttons.finish.enabled);
}

void fmMain::ApplyFront(const GoOnButtons& buttons) {
  if (buttons.front) {
    form_.BringToFront(*buttons.front);
  }
  if (buttons.byDefault) {
    form_.SetDefaultButton(*buttons.byDefault);
  }
}

void fmMain::PanelStep(const std::function<void()>& statement) {
  // Nothing here may stop the wizard: a failing statement (a focus the window cannot take
  // yet, a disabled target) is passed over, and shown only to a developer.
  Attempt(statement, [&](const RunError& e) {
    if (o_.gbDebug) {
      p_.MsgBox(L"errHdl_Panel_Next: " + DescribeError(e.description, e.number), MsgButtons::Ok,
                MsgIcon::None, std::nullopt);
    }
    return OnError::Resume;
  });
}

void fmMain::OnChoicePanel() {
  // Every earlier choice is forgotten, so each road starts afresh.
  state_.bProgram = state_.bDatabase = state_.bOutlook = false;
  state_.bInstall = state_.bConfigure = state_.bRemove = state_.bRepair = false;
  if (!form_.Window().visible) {
    return;
  }
  if (PanelOnShow() == 0) {
    // The RTF3 edition has no single-user install: it always shares its database.
    PanelStep([&] { form_.SetEnabled(cmdOpt(0), !IsRtf3()); });
    PanelStep([&] { form_.SetFocus(IsRtf3() ? cmdOpt(1) : cmdOpt(0)); });
  } else {
    PanelStep([&] { form_.SetFocus(cmdOpt(3)); });
  }
}

void fmMain::OnConfigurationPanel() {
  // The RTF3 edition has no Outlook interface. Configure is about nothing else, so it starts
  // ticked there; an install keeps what the user chose.
  PanelStep([&] {
    if (IsRtf3()) {
      form_.SetValue(ckOpt(0), 0);
      form_.SetEnabled(ckOpt(0), false);
    } else if (state_.bConfigure) {
      form_.SetValue(ckOpt(0), 1);
    }
  });
}

void fmMain::OnCompletionPanel() {
  // The window was hidden while the engine ran; from here only Finish is left.
  PanelStep([&] { form_.ShowWindow(); });
  PanelStep([&] {
    // The launch box is only offered after an install that leaves the program installed: it
    // was part of the run, or it was there before.
    const bool offered = state_.bInstall && (state_.bProgram || installed_.gbInstalled);
    form_.SetVisible(ckOpt(1), offered);
    form_.SetValue(ckOpt(1), offered ? 1 : 0);
  });
}

void fmMain::Panel_Next(bool bBack, bool bFirst) {
  // Leaving the folder panel forward needs folders that are valid (or could be made).
  const PanelRow* leaving = RowOf(PanelOnShow());
  if (leaving != nullptr && leaving->folders && !bBack && !bFirst && !Check_Paths()) {
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
    PanelStep([&] {
      if (oldPos < 0 || oldPos >= static_cast<int>(state_.iPanelSeq.size())) {
        throw RunError{9, L"Subscript out of range"};
      }
      HidePanel(state_.iPanelSeq[static_cast<std::size_t>(oldPos)]);
    });
  }
  const int panel = PanelOnShow();
  PanelStep([&] {
    form_.MoveTo(frWiz(panel), kPanelLeft, kPanelTop);
    form_.SetVisible(frWiz(panel), true);
    form_.BringToFront(frWiz(panel));
  });

  const PanelRow* row = RowOf(panel);
  if (row == nullptr) {
    PanelStep([&] {
      p_.MsgBox(L"Panel is undefined: " + std::to_wstring(panel), MsgButtons::Ok, MsgIcon::None,
                std::nullopt);
    });
  } else {
    const GoOnButtons buttons = ButtonsFor(row->goOn);
    PanelStep([&] {
      form_.SetEnabled(cmdBack(), row->back);
      form_.SetEnabled(cmdCancel(), row->cancel);
      ApplyButtons(buttons);
    });
    if (row->effects != nullptr) {
      (this->*row->effects)();
    }
    PanelStep([&] { ApplyFront(buttons); });
    if (buttons.focus) {
      PanelStep([&] { form_.SetFocus(*buttons.focus); });
    }
  }

  // The folder panel's error line and red boxes speak of that panel only: they go when
  // another shows, or it would say "Path entered is invalid" under a completed installation.
  const bool completionShown = row != nullptr && row->completion;
  if (row == nullptr || !row->folders) {
    PanelStep([&] { ClearFolderErrors(); });
  }
  // The maker's name stands under the completion panel, the legal notice under all others,
  // except where the error line takes its place.
  PanelStep([&] { form_.SetVisible(frWSName(), completionShown); });
  PanelStep([&] { form_.SetVisible(lbWarning(), !completionShown && !form_.At(lbErr()).visible); });
}

void fmMain::cmdNext_Click() {
  Panel_Next(false, false);
}

void fmMain::cmdBack_Click() {
  Panel_Next(true, false);
}

}  // namespace vtr
