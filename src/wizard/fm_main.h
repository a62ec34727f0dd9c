// fmMain, the setup wizard: one window whose panels walk the user through install, repair,
// configure or remove, then run the install engine. Headless: the form model holds every
// control, a WindowView mirrors it on screen and reports the user's actions back here.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "detect/detected.h"
#include "engine/install.h"
#include "platform/platform.h"
#include "platform/window_view.h"
#include "wizard/form_model.h"

namespace vtr {

// The install engine as Finish calls it: SYS_Install, unless a test wraps it to watch the call.
using InstallEngine = std::function<Outcome(Platform&, const Request&)>;
// SYS_Install for the edition, options and system folder start-up fixed.
InstallEngine RealInstallEngine(const Edition& e, const RunOptions& o, const Detected& d);

// The fields of the window that the wizard's handlers share.
struct FormState {
  std::vector<int16_t> iPanelSeq;  // the panels in the order Next walks them
  int16_t iPanelPos = 0;           // index in iPanelSeq of the panel on show
  bool bLoaded = false;            // start-up complete: the option handlers react
  bool bInstall = false;           // the choice made on the first panel
  bool bRepair = false;
  bool bConfigure = false;
  bool bRemove = false;
  bool bProgram = false;  // what Finish acts on
  bool bDatabase = false;
  bool bOutlook = false;
};

// How Next and Finish stand on a panel (they share one place): each shown and enabled or
// not, which one is brought to the front, which one is the default button, and which one
// takes the focus.
struct ButtonState {
  bool visible = false;
  bool enabled = false;
};
struct GoOnButtons {
  ButtonState next;
  ButtonState finish;
  std::optional<ControlRef> front;
  std::optional<ControlRef> byDefault;
  std::optional<ControlRef> focus;
};
// Why the form closes: from code (Cancel, Finish, the end of a road) or by the user's close
// box or the end of the Windows session.
enum class UnloadMode { FromCode, CloseBox };

class fmMain : public WizardEvents {
 public:
  // The wizard for what start-up fixed and found; without an engine it runs SYS_Install.
  fmMain(Platform& p, const Edition& e, const RunOptions& o, const Detected& d, WindowView& view,
         InstallEngine engine = {});
  fmMain(const fmMain&) = delete;
  fmMain& operator=(const fmMain&) = delete;

  // Draws the form in the view and runs Form_Load, which shows the first panel.
  void Load();
  bool IsUnloaded() const { return form_.Unloaded(); }
  // 0 after a run that succeeded (3010 when Windows must restart), 1603 after one that
  // failed, 1602 when the form closed before any run (or the run was cancelled at a prompt).
  int ExitCode() const;

  const FormModel& Form() const { return form_; }
  const FormState& State() const { return state_; }
  // The products' states as the wizard knows them (and hands them to the engine).
  const InstalledStates& Installed() const { return installed_; }
  // The panel on show: iPanelSeq(iPanelPos), or -1 when the position is outside the sequence.
  int PanelOnShow() const;

  // --- The user's actions (WizardEvents) ---
  bool Click(const ControlRef& control) override;
  bool TextChanged(const ControlRef& control, const std::wstring& text) override;
  bool PressDefault() override;
  bool PressCancel() override;
  bool FocusChanged(const ControlRef& control) override;
  void CloseRequested() override;

  // --- The form's handlers and methods ---
  void Form_Load();
  void Panel_Next(bool bBack, bool bFirst);
  void cmdNext_Click();
  void cmdBack_Click();
  void cmdOpt_Click(int index);
  void optInstall_Click(int index);
  void ckOpt_Click(int index);
  void ckInstall_Click(int index);
  void cmdPath_Click(int index);
  std::wstring BrowseFolder(std::wstring& title, bool bProgramFilesRoot);
  bool Check_Paths();
  void cmdFinish_Click();
  void cmdCancel_Click();
  void Form_QueryUnload(bool& cancel, UnloadMode unloadMode);

 private:
  // The rule by which a panel's Next and Finish follow its controls.
  enum class GoOn {
    Choice,         // the choice buttons go on; Next shows, disabled
    InstallChoice,  // Next, or Finish for a database-only install
    Repair,         // Next while the program files are re-installed, else Finish
    Finish,         // Finish
    FinishIfAny,    // Finish, enabled while something is to be removed
  };
  // One row of the panel table: what showing the panel sets, applied by Panel_Next in this
  // order: Back and Cancel, Next and Finish, the panel's other effects, the button at the
  // front and default, then the focus.
  struct PanelRow {
    int16_t panel;
    bool back;    // Back enabled
    bool cancel;  // Cancel enabled
    GoOn goOn;
    void (fmMain::*effects)();  // what else the panel sets; null for nothing
    bool folders;               // the folder panel: Next checks the folders, its errors stay shown
    bool completion;            // the maker's name stands under it instead of the legal notice
  };
  // The row of a panel; null for a number that is no panel.
  static const PanelRow* RowOf(int panel);
  GoOnButtons ButtonsFor(GoOn rule) const;
  // Shows and enables Next and Finish; then brings one to the front and makes the default.
  void ApplyButtons(const GoOnButtons& buttons);
  void ApplyFront(const GoOnButtons& buttons);
  // Runs one statement of Panel_Next: a failure is passed over, shown only in a debug run.
  void PanelStep(const std::function<void()>& statement);
  // The other effects of the choice panels, the configuration and the completion panel.
  void OnChoicePanel();
  void OnConfigurationPanel();
  void OnCompletionPanel();
  bool IsRtf3() const;
  // Unloads the form; the close is never refused and ends the wizard.
  void Unload(UnloadMode mode);
  // Hides a panel and parks it out of sight.
  void HidePanel(int panel);
  // The folder boxes back in the normal colour, and the error line gone with what it said.
  void ClearFolderErrors();
  // Both folder boxes back to the folders start-up found, without any error marks.
  void RestoreStartUpFolders();

  Platform& p_;
  const Edition& e_;
  const RunOptions& o_;
  // What start-up found. The updater shows no full database as installed, and Finish keeps
  // the folders the user chose here.
  InstalledStates installed_;
  Folders folders_;
  FormModel form_;
  InstallEngine engine_;
  FormState state_;
  int handlersRunning_ = 0;
  bool ran_ = false;
  Outcome outcome_;
};

// The character check of a folder name: true when the last folder name of path has none of
// the characters Windows forbids. Unless bQuiet, the first forbidden one is named in a box.
bool SYS_StrCheck(Platform& p, const std::wstring& path, bool bQuiet);

// The database folder Finish hands to the engine for a folder the user typed: the package
// makes "Vantora Data\MainDB" below it, so one that ends neither in "Vantora Data" nor in
// "Vantora Data\MainDB" gets "Vantora Data" added, as browsing adds it.
std::wstring WithDataFolder(const std::wstring& folder);

// Loads the wizard into view, lets runEventLoop deliver the user's actions until the form is
// unloaded, and returns the wizard's exit code. A loop that ends while the form is still
// loaded (the end of the Windows session) closes the form as the close box does.
int ShowWizard(Platform& p, const Edition& e, const RunOptions& o, const Detected& d,
               WindowView& view, const std::function<void(fmMain&)>& runEventLoop);

}  // namespace vtr
