// Form_Load: turns the designed window into the wizard for this run (install or update mode,
// edition, what is installed), then shows it on its first panel.
#include "util/text.h"
#include "wizard/controls.h"
#include "wizard/fm_main.h"

namespace vtr {

void fmMain::Form_Load() {
  using namespace ctl;
  // A failing step is reported, always, and start-up goes on with the next one.
  const auto report = [&](const RunError& e) {
    p_.MsgBox(L"errHdl_Form_Load: " + DescribeError(e.description, e.number), MsgButtons::Ok,
              MsgIcon::None, std::nullopt);
    return OnError::Resume;
  };
  const auto step = [&](const std::function<void()>& statement) { Attempt(statement, report); };

  step([&] { form_.SetWindowSize(7425, 6345); });
  const std::wstring editionWord = e_.gbPro ? L"Professional" : L"Lite";
  std::wstring versionText;
  step([&] {
    if (!e_.gbUpdate) {
      form_.SetWindowTitle(L"Vantora Contact Management Install Wizard");
      versionText = editionWord + gsSpace + e_.gsVersion.substr(0, 3);
    } else {
      form_.SetWindowTitle(L"Vantora Contact Management Update Wizard");
      // The update packages carry their own database product: whatever full database is
      // installed is not the one an update repairs or removes.
      installed_.gbDBInstalled = false;
      versionText = L"Update to " + e_.gsVersion;
    }
  });
  step([&] { form_.SetCaption(lbVersion(), versionText); });
  step([&] {
    form_.SetCaption(lbRev(), L"Rev: " + e_.gsVersion);
    form_.SetVisible(lbRev(), !e_.gbUpdate);
  });
  step([&] { form_.SetEnabled(ckInstall(2), true); });
  step([&] {
    form_.SetCaption(txPath(1), folders_.gsAppPath);
    form_.SetCaption(txPath(2), folders_.gsDBPath);
  });
  if (e_.gbUpdate) {
    step([&] {
      form_.SetCaption(ckInstall(1), L"Install &Program Update");
      form_.SetCaption(ckInstall(2), L"Install &Database Update");
    });
  }

  // Repair and remove offer only what is there to repair or remove.
  step([&] {
    form_.SetEnabled(ckOpt(4), installed_.gbInstalled);
    form_.SetEnabled(ckOpt(5), !IsRtf3());
  });
  if (e_.gbUpdate) {
    step([&] { form_.SetCaption(ckOpt(5), L"Re-install &Database Update"); });
  }
  step([&] {
    form_.SetEnabled(ckOpt(2), installed_.gbInstalled);
    form_.SetEnabled(ckOpt(3), !IsRtf3() && installed_.gbDBInstalled);
  });
  step([&] {
    if (!installed_.gbInstalled) {
      form_.SetValue(ckOpt(2), 0);
      if (installed_.gbDBInstalled) {
        form_.SetValue(ckOpt(3), 1);
      }
    }
  });

  if (e_.gbUpdate) {
    step([&] {
      form_.Select(optInstall(1));
      form_.Select(optInstall(2));
      form_.SetCaption(optInstall(0), L"&Install Program and Database Update");
      form_.SetCaption(optInstall(1), L"&Workstation Install (Program Update Only)");
      form_.SetCaption(optInstall(2), L"&Database Update (Database Only)");
      form_.SetCaption(frWiz(kCompletionPanel), L" Update Completed ");
    });
  }
  step([&] { form_.SetVisible(lbProOnly(), !e_.gbPro); });
  step([&] { form_.SetVisible(ckOpt(1), true); });

  // The first panel offers the install choices, or the maintenance choices once the program
  // is installed. The choice buttons lay down the rest of the road.
  step([&] {
    state_.iPanelPos = 0;
    state_.iPanelSeq = {static_cast<int16_t>(installed_.gbInstalled ? 6 : 0), 1, 2,
                        kCompletionPanel};
  });
  step([&] { form_.SetEnabled(cmdCancel(), true); });
  state_.bLoaded = true;
  step([&] { form_.ShowWindow(); });
  step([&] { Panel_Next(false, true); });
}

}  // namespace vtr
