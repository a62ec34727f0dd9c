// The wizard as it opens: captions of install and update mode, the edition's texts, which
// repair and remove boxes are offered for what is installed, and the first panel's buttons.
#include "wizard_fixture.h"

namespace vtr {
namespace {

using namespace ctl;
using testing::Start;
using testing::Wizard;

struct Opening {
  const char* name;
  const wchar_t* edition;
  bool update, installed, dbInstalled;
  // what the user should see
  const wchar_t* title;
  const wchar_t* version;
  bool revShown;
  int firstPanel;
  bool removeProgramOn, removeDbOn, repairProgramOn, repairDbOn;
  int removeProgramValue, removeDbValue;
  bool proOnlyShown;
};

const Opening kOpenings[] = {
    {"NothingInstalled", L"VTRPRO_3", false, false, false,
     L"Vantora Contact Management Install Wizard", L"Professional 3.3", true, 0, false, false,
     false, true, 0, 0, false},
    {"BothInstalled", L"VTRPRO_3", false, true, true, L"Vantora Contact Management Install Wizard",
     L"Professional 3.3", true, 6, true, true, true, true, 1, 0, false},
    {"OnlyDatabaseInstalled", L"VTRPRO_3", false, false, true,
     L"Vantora Contact Management Install Wizard", L"Professional 3.3", true, 0, false, true, false,
     true, 0, 1, false},
    {"Rtf3BothInstalled", L"VTRPRO_RTF3", false, true, true,
     L"Vantora Contact Management Install Wizard", L"Professional 3.3", true, 6, true, false, true,
     false, 1, 0, false},
    {"Rtf3OnlyDatabase", L"vtrpro_rtf3", false, false, true,
     L"Vantora Contact Management Install Wizard", L"Professional 3.3", true, 0, false, false,
     false, false, 0, 1, false},
    {"LiteNothingInstalled", L"VTRLITE_3", false, false, false,
     L"Vantora Contact Management Install Wizard", L"Lite 3.3", true, 0, false, false, false, true,
     0, 0, true},
    // An update never removes or pre-ticks the full database: it is not the update's product.
    {"UpdateBothInstalled", L"VTRPRO_3", true, true, true,
     L"Vantora Contact Management Update Wizard", L"Update to 3.3.0", false, 6, true, false, true,
     true, 1, 0, false},
    {"UpdateOnlyDatabase", L"VTRLITE_3", true, false, true,
     L"Vantora Contact Management Update Wizard", L"Update to 3.3.0", false, 0, false, false, false,
     true, 0, 0, true},
};

class WizardOpens : public ::testing::TestWithParam<Opening> {};

TEST_P(WizardOpens, WithTheCaptionsAndOffersOfItsRun) {
  const Opening& o = GetParam();
  Start start;
  start.edition = o.edition;
  start.update = o.update;
  start.installed = o.installed;
  start.dbInstalled = o.dbInstalled;
  Wizard w(start);

  const WindowState& window = w.form->Form().Window();
  EXPECT_EQ(window.title, o.title);
  EXPECT_TRUE(window.visible);
  EXPECT_EQ(window.width, 7425);
  EXPECT_EQ(window.height, 6345);
  EXPECT_EQ(w.C(lbVersion()).caption, o.version);
  EXPECT_EQ(w.C(lbRev()).caption, L"Rev: 3.3.0");
  EXPECT_EQ(w.C(lbRev()).visible, o.revShown);
  EXPECT_EQ(w.C(lbProOnly()).visible, o.proOnlyShown);

  EXPECT_EQ(w.Panel(), o.firstPanel);
  EXPECT_EQ(w.VisiblePanels(), std::vector<int>{o.firstPanel});
  EXPECT_EQ(w.C(frWiz(o.firstPanel)).left, 480);
  EXPECT_EQ(w.C(frWiz(o.firstPanel)).top, 2580);
  EXPECT_EQ(w.Road(), (std::vector<int16_t>{static_cast<int16_t>(o.firstPanel), 1, 2, 5}));

  EXPECT_EQ(w.C(ckOpt(2)).enabled, o.removeProgramOn);
  EXPECT_EQ(w.C(ckOpt(3)).enabled, o.removeDbOn);
  EXPECT_EQ(w.C(ckOpt(4)).enabled, o.repairProgramOn);
  EXPECT_EQ(w.C(ckOpt(5)).enabled, o.repairDbOn);
  EXPECT_EQ(w.C(ckOpt(2)).value, o.removeProgramValue);
  EXPECT_EQ(w.C(ckOpt(3)).value, o.removeDbValue);

  // The choice panel waits for a choice: no Back, no Next, no Finish; the legal notice shows.
  EXPECT_FALSE(w.C(cmdBack()).enabled);
  EXPECT_FALSE(w.C(cmdNext()).enabled);
  EXPECT_TRUE(w.C(cmdNext()).visible);
  EXPECT_FALSE(w.C(cmdFinish()).visible);
  EXPECT_TRUE(w.C(cmdCancel()).enabled);
  EXPECT_FALSE(w.IsDefault(cmdNext()));
  EXPECT_FALSE(w.IsDefault(cmdFinish()));
  EXPECT_TRUE(w.C(lbWarning()).visible);
  EXPECT_FALSE(w.C(frWSName()).visible);
  EXPECT_FALSE(w.C(lbErr()).visible);

  // The folder boxes show start-up's folders; only the database box is enabled yet.
  EXPECT_EQ(w.C(txPath(1)).caption, start.appPath);
  EXPECT_EQ(w.C(txPath(2)).caption, start.dbPath);
  EXPECT_TRUE(w.C(ckInstall(1)).enabled);
  EXPECT_TRUE(w.C(ckInstall(2)).enabled);
  EXPECT_EQ(w.C(ckInstall(1)).value, 0);
  EXPECT_EQ(w.C(ckInstall(2)).value, 0);
  EXPECT_FALSE(w.C(txPath(1)).enabled);
  EXPECT_FALSE(w.C(txPath(2)).enabled);

  EXPECT_EQ(w.form->Installed().gbDBInstalled, o.dbInstalled && !o.update);
  EXPECT_TRUE(w.Boxes().empty());
  EXPECT_FALSE(w.form->IsUnloaded());
}

INSTANTIATE_TEST_SUITE_P(Runs, WizardOpens, ::testing::ValuesIn(kOpenings),
                         [](const auto& opening) { return std::string(opening.param.name); });

TEST(WizardOpensFocus, OnTheFirstChoiceTheEditionOffers) {
  Wizard pro(Start{});
  EXPECT_TRUE(pro.Focused(cmdOpt(0)));
  EXPECT_TRUE(pro.C(cmdOpt(0)).enabled);

  // The RTF3 edition always shares its database: no single-user install.
  Start rtf3;
  rtf3.edition = L"VTRPRO_RTF3";
  Wizard shared(rtf3);
  EXPECT_FALSE(shared.C(cmdOpt(0)).enabled);
  EXPECT_TRUE(shared.Focused(cmdOpt(1)));
  EXPECT_FALSE(shared.Click(cmdOpt(0)));
  EXPECT_EQ(shared.Panel(), 0);

  Start installed;
  installed.installed = true;
  Wizard maintenance(installed);
  EXPECT_TRUE(maintenance.Focused(cmdOpt(3)));
}

TEST(WizardOpensUpdate, RelabelsTheInstallChoicesAndTheCompletionPanel) {
  Start start;
  start.update = true;
  Wizard w(start);
  EXPECT_EQ(w.C(ckInstall(1)).caption, L"Install &Program Update");
  EXPECT_EQ(w.C(ckInstall(2)).caption, L"Install &Database Update");
  EXPECT_EQ(w.C(ckOpt(5)).caption, L"Re-install &Database Update");
  EXPECT_EQ(w.C(optInstall(0)).caption, L"&Install Program and Database Update");
  EXPECT_EQ(w.C(optInstall(1)).caption, L"&Workstation Install (Program Update Only)");
  EXPECT_EQ(w.C(optInstall(2)).caption, L"&Database Update (Database Only)");
  EXPECT_EQ(w.C(frWiz(5)).caption, L" Update Completed ");
  // Selecting the workstation option and then the database option leaves only the latter.
  EXPECT_EQ(w.C(optInstall(0)).value, 0);
  EXPECT_EQ(w.C(optInstall(1)).value, 0);
  EXPECT_EQ(w.C(optInstall(2)).value, 1);

  Wizard install(Start{});
  EXPECT_EQ(install.C(ckInstall(1)).caption, L"Install &Program Files:");
  EXPECT_EQ(install.C(frWiz(5)).caption, L" Installation Completed ");
  EXPECT_EQ(install.C(optInstall(0)).value, 1);
}

TEST(WizardOpensFolders, EmptyStartUpFoldersLeaveTheBoxesEmpty) {
  Start start;
  start.appPath.clear();
  start.dbPath.clear();
  Wizard w(start);
  EXPECT_EQ(w.C(txPath(1)).caption, L"");
  EXPECT_EQ(w.C(txPath(2)).caption, L"");
}

}  // namespace
}  // namespace vtr
