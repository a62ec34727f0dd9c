// fmMain's own workings: building the form with its handlers, what the user's actions reach,
// and closing. The handlers themselves live in the files named for them.
#include "wizard/fm_main.h"

#include "util/text.h"
#include "wizard/controls.h"
#include "wizard/layout.h"
#include "wizard/scoped_count.h"

namespace vtr {

InstallEngine RealInstallEngine(const Edition& e, const RunOptions& o, const Detected& d) {
  // Finish comes when the user has taken their time, and the machine can change while the
  // wizard is open: the engine asks Windows Installer again, keeping what start-up found where
  // it cannot.
  return [&e, &o, systemDir = d.folders.gsSystemDir, known = d.installed](Platform& p,
                                                                          const Request& request) {
    return SYS_Install(p, e, o, systemDir, request, KnownStates{known, true});
  };
}

fmMain::fmMain(Platform& p, const Edition& e, const RunOptions& o, const Detected& d,
               WindowView& view, InstallEngine engine)
    : p_(p),
      e_(e),
      o_(o),
      installed_(d.installed),
      folders_(d.folders),
      form_(view),
      engine_(engine ? std::move(engine) : RealInstallEngine(e, o, d)) {
  LayOutForm(form_);
  // Each control array's click handler, kept with its controls. Setting a check box or
  // selecting an option button from code runs it, as a user's click does.
  form_.SetClickHandler(L"cmdOpt", [this](int i) { cmdOpt_Click(i); });
  form_.SetClickHandler(L"optInstall", [this](int i) { optInstall_Click(i); });
  form_.SetClickHandler(L"ckOpt", [this](int i) { ckOpt_Click(i); });
  form_.SetClickHandler(L"ckInstall", [this](int i) { ckInstall_Click(i); });
  form_.SetClickHandler(L"cmdPath", [this](int i) { cmdPath_Click(i); });
  form_.SetClickHandler(L"cmdNext", [this](int) { cmdNext_Click(); });
  form_.SetClickHandler(L"cmdBack", [this](int) { cmdBack_Click(); });
  form_.SetClickHandler(L"cmdFinish", [this](int) { cmdFinish_Click(); });
  form_.SetClickHandler(L"cmdCancel", [this](int) { cmdCancel_Click(); });
}

void fmMain::Load() {
  const ScopedCount running(handlersRunning_);
  form_.Draw(*this);
  Form_Load();
}

int fmMain::ExitCode() const {
  if (!ran_) {
    return kExitCancelled;
  }
  return ExitCodeFor(outcome_);
}

int fmMain::PanelOnShow() const {
  if (state_.iPanelPos < 0 || state_.iPanelPos >= static_cast<int>(state_.iPanelSeq.size())) {
    return -1;
  }
  return state_.iPanelSeq[static_cast<std::size_t>(state_.iPanelPos)];
}

bool fmMain::IsRtf3() const {
  return EqualsNoCase(e_.gsEditionID, L"VTRPRO_RTF3");
}

void fmMain::HidePanel(int panel) {
  const ControlRef frame = ctl::frWiz(panel);
  form_.SetVisible(frame, false);
  form_.MoveTo(frame, kPanelParked, form_.At(frame).top);
}

bool fmMain::Click(const ControlRef& control) {
  if (handlersRunning_ > 0 || form_.Unloaded() || !form_.Exists(control) ||
      !form_.Reachable(control)) {
    return false;
  }
  const ScopedCount running(handlersRunning_);
  // A handler without an error handler of its own must not take the program down: the
  // error is shown and the wizard stays as the handler left it.
  Attempt(
      [&] {
        const ControlState& c = form_.At(control);
        switch (c.kind) {
          case ControlKind::CheckBox:
            form_.SetValue(control, c.value == 1 ? 0 : 1);
            break;
          case ControlKind::OptionButton:
            form_.Select(control);
            break;
          case ControlKind::Button:
            form_.RunClickHandler(control);
            break;
          default:
            break;  // labels, frames and the logo have no click handler
        }
      },
      [&](const RunError& e) {
        p_.MsgBox(
            L"Run-time error '" + std::to_wstring(e.number) + L"':" + gsCR + gsCR + e.description,
            MsgButtons::Ok, MsgIcon::Critical, std::nullopt);
        return OnError::Stop;
      });
  return true;
}

bool fmMain::TextChanged(const ControlRef& control, const std::wstring& text) {
  if (handlersRunning_ > 0 || form_.Unloaded() || !form_.Exists(control) ||
      form_.At(control).kind != ControlKind::TextBox || !form_.Reachable(control)) {
    return false;
  }
  form_.StoreUserText(control, text);
  return true;
}

bool fmMain::PressDefault() {
  const auto button = form_.DefaultButton();
  return button && Click(*button);
}

bool fmMain::PressCancel() {
  const auto button = form_.CancelButton();
  return button && Click(*button);
}

bool fmMain::FocusChanged(const ControlRef& control) {
  if (form_.Unloaded() || !form_.Exists(control) || !form_.Reachable(control)) {
    return false;
  }
  form_.StoreUserFocus(control);
  return true;
}

void fmMain::CloseRequested() {
  if (!form_.Unloaded()) {
    const ScopedCount running(handlersRunning_);
    Unload(UnloadMode::CloseBox);
  }
}

void fmMain::Unload(UnloadMode mode) {
  if (form_.Unloaded()) {
    return;
  }
  bool cancel = false;
  Form_QueryUnload(cancel, mode);
}

int ShowWizard(Platform& p, const Edition& e, const RunOptions& o, const Detected& d,
               WindowView& view, const std::function<void(fmMain&)>& runEventLoop) {
  fmMain form(p, e, o, d, view);
  form.Load();
  if (!form.IsUnloaded()) {
    runEventLoop(form);
  }
  if (!form.IsUnloaded()) {
    form.CloseRequested();
  }
  return form.ExitCode();
}

}  // namespace vtr
