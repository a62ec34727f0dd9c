// Every road through the wizard, clicked through as a user would: the panels it walks, the
// buttons on each, what the install engine is asked to do, the completion panel, the launch
// of the product and the exit code.
#include <algorithm>

#include "wizard_fixture.h"

namespace vtr {
namespace {

using namespace ctl;
using testing::Start;
using testing::Targets;
using testing::Utf8;
using testing::Wizard;

const std::wstring kAppPath = L"C:\\Program Files (x86)\\Vantora Contact Management";
const std::string kLaunched = "C:\\Program Files (x86)\\Vantora Contact Management\\vtr3.exe";

bool Launched(const Wizard& w, const std::string& file = kLaunched) {
  const auto files = w.LaunchedFiles();
  return std::find(files.begin(), files.end(), file) != files.end();
}

// Whether the view was ever told to show this panel.
bool EverShown(const Wizard& w, int panel) {
  const std::wstring shown = L"SetVisible frWiz(" + std::to_wstring(panel) + L"): true";
  const auto& calls = w.view.Calls();
  return std::find(calls.begin(), calls.end(), shown) != calls.end();
}

Start Installed(bool database = true) {
  Start start;
  start.installed = true;
  start.dbInstalled = database;
  return start;
}

TEST(SingleUserRoad, InstallsBothIntoTheStartUpFoldersAndLaunches) {
  Wizard w(Start{});
  ASSERT_TRUE(w.Click(cmdOpt(0)));
  EXPECT_EQ(w.Road(), (std::vector<int16_t>{0, 2, 5}));
  EXPECT_EQ(w.Panel(), 2);
  EXPECT_EQ(w.VisiblePanels(), std::vector<int>{2});
  EXPECT_EQ(w.C(frWiz(0)).left, -10000);
  EXPECT_EQ(w.Buttons(),
            "Back:on Next:hidden,off Finish:on front:cmdFinish default:cmdFinish "
            "focus:cmdFinish");
  EXPECT_EQ(w.C(ckOpt(0)).value, 1);
  EXPECT_EQ(w.C(lbOpt(10)).caption,
            L"\rVantora Contact Management Professional 3.3.0 has been successfully installed.");

  ASSERT_TRUE(w.Click(cmdFinish()));
  ASSERT_EQ(w.installs.size(), 1u);
  EXPECT_EQ(Targets(w.installs[0]), "program database outlook");
  EXPECT_FALSE(w.installs[0].windowShown);
  EXPECT_EQ(w.Processes(), (std::vector<std::string>{
                               "msiexec.exe /I \"C:\\ProgramData\\Vantora\\Setup "
                               "Cache\\VTRPRO_3\\vtr3p.msi\" ALLUSERS=2 TARGETDIR=\"C:\\Program "
                               "Files (x86)\\Vantora Contact Management\" "
                               "ARPSYSTEMCOMPONENT=1 /qb-",
                               "msiexec.exe /I \"C:\\ProgramData\\Vantora\\Setup "
                               "Cache\\VTRPRO_3\\vtr3db.msi\" ALLUSERS=2 "
                               "TARGETDIR=\"C:\\ProgramData\" ARPSYSTEMCOMPONENT=1 /qb"}));

  // The completion panel: only Finish is left, the launch box ticked, the maker's name shown.
  EXPECT_EQ(w.Panel(), 5);
  EXPECT_EQ(w.VisiblePanels(), std::vector<int>{5});
  EXPECT_TRUE(w.form->Form().Window().visible);
  EXPECT_EQ(w.Buttons(),
            "Back:off Next:hidden,off Finish:on front:cmdFinish default:cmdFinish "
            "focus:cmdFinish");
  EXPECT_FALSE(w.C(cmdCancel()).enabled);
  EXPECT_TRUE(w.C(ckOpt(1)).visible);
  EXPECT_EQ(w.C(ckOpt(1)).value, 1);
  EXPECT_TRUE(w.C(frWSName()).visible);
  EXPECT_FALSE(w.C(lbWarning()).visible);

  EXPECT_FALSE(Launched(w));
  ASSERT_TRUE(w.view.Events()->PressDefault());  // Enter presses Finish
  EXPECT_TRUE(Launched(w));
  EXPECT_TRUE(w.form->IsUnloaded());
  EXPECT_TRUE(w.view.Unloaded());
  EXPECT_EQ(w.form->ExitCode(), 0);
  ASSERT_EQ(w.installs.size(), 1u);
  EXPECT_EQ(w.installs[0].appPath, kAppPath);
  EXPECT_EQ(w.p->UnscriptedDialogs(), 0);
}

TEST(SingleUserRoad, UntickedLaunchBoxLaunchesNothing) {
  Wizard w(Start{});
  w.Click(cmdOpt(0));
  w.Click(cmdFinish());
  ASSERT_EQ(w.Panel(), 5);
  ASSERT_TRUE(w.Click(ckOpt(1)));
  EXPECT_EQ(w.C(ckOpt(1)).value, 0);
  EXPECT_EQ(w.Buttons(),
            "Back:off Next:hidden,off Finish:on front:cmdFinish default:cmdFinish "
            "focus:cmdFinish");
  w.Click(cmdFinish());
  EXPECT_FALSE(Launched(w));
  EXPECT_TRUE(w.form->IsUnloaded());
}

TEST(SingleUserRoad, LaunchKeepsTheSeparatorOfTheProgramFolder) {
  Start start;
  start.appPath = L"D:/Apps/Vantora";
  start.update = true;
  Wizard w(start);
  w.Click(cmdOpt(0));
  EXPECT_EQ(w.C(lbOpt(10)).caption,
            L"\rUpdate to Vantora Contact Management Professional 3.3.0 has been successfully "
            L"completed.");
  w.Click(cmdFinish());
  ASSERT_EQ(w.Panel(), 5);
  w.Click(cmdFinish());
  EXPECT_TRUE(Launched(w, "D:/Apps/Vantora/vtr3.exe"));
}

TEST(NetworkRoad, InstallsTheProgramIntoTheCheckedFolder) {
  Wizard w(Start{});
  ASSERT_TRUE(w.Click(cmdOpt(1)));
  EXPECT_EQ(w.Road(), (std::vector<int16_t>{0, 7, 2, 5}));
  EXPECT_EQ(w.Panel(), 7);
  EXPECT_EQ(w.C(ckInstall(1)).value, 1);
  EXPECT_EQ(w.C(ckInstall(2)).value, 0);
  EXPECT_TRUE(w.C(txPath(1)).enabled);
  EXPECT_TRUE(w.C(cmdPath(1)).enabled);
  EXPECT_FALSE(w.C(txPath(2)).enabled);
  EXPECT_FALSE(w.C(cmdPath(2)).enabled);
  EXPECT_EQ(w.C(optInstall(1)).value, 1);
  EXPECT_EQ(w.Buttons(),
            "Back:on Next:on Finish:hidden,off front:cmdNext default:cmdNext focus:cmdNext");

  // Leaving the folder panel makes the missing program folder.
  ASSERT_TRUE(w.Click(cmdNext()));
  EXPECT_EQ(w.Panel(), 2);
  EXPECT_EQ(w.p->FindFirst(kAppPath, kAttrAll), L"Vantora Contact Management");
  EXPECT_EQ(w.C(txPath(1)).foreColour, kWindowText);

  ASSERT_TRUE(w.Click(cmdFinish()));
  ASSERT_EQ(w.installs.size(), 1u);
  EXPECT_EQ(Targets(w.installs[0]), "program outlook");
  ASSERT_EQ(w.Processes().size(), 1u);
  EXPECT_NE(w.Processes()[0].find("vtr3p.msi"), std::string::npos);
  EXPECT_EQ(w.Panel(), 5);
  EXPECT_TRUE(w.C(ckOpt(1)).visible);
}

TEST(NetworkRoad, UpdateModeOfTheLiteEdition) {
  Start start;
  start.edition = L"VTRLITE_3";
  start.update = true;
  Wizard w(start);
  w.Click(cmdOpt(1));
  EXPECT_EQ(w.Road(), (std::vector<int16_t>{0, 7, 2, 5}));
  EXPECT_EQ(w.C(lbOpt(10)).caption,
            L"\rUpdate to Vantora Contact Management Lite 3.3.0 has been successfully "
            L"completed.");
  EXPECT_EQ(w.C(ckInstall(1)).value, 1);
  EXPECT_EQ(w.C(ckInstall(2)).value, 0);
  EXPECT_EQ(w.C(optInstall(1)).value, 1);
  w.Click(cmdNext());
  w.Click(cmdFinish());
  ASSERT_EQ(w.Processes().size(), 1u);
  EXPECT_NE(w.Processes()[0].find("vtr3l_update.msi"), std::string::npos);
  EXPECT_EQ(w.Panel(), 5);
}

TEST(CustomRoad, DatabaseOnlyFinishesOnTheFolderPanel) {
  Wizard w(Start{});
  w.Click(cmdOpt(2));
  EXPECT_EQ(w.Road(), (std::vector<int16_t>{0, 7, 2, 5}));
  EXPECT_EQ(w.C(optInstall(0)).value, 1);
  EXPECT_TRUE(w.C(txPath(2)).enabled);

  ASSERT_TRUE(w.Click(ckInstall(1)));
  EXPECT_FALSE(w.C(txPath(1)).enabled);
  EXPECT_FALSE(w.C(cmdPath(1)).enabled);
  EXPECT_EQ(w.C(optInstall(2)).value, 1);
  EXPECT_EQ(w.Buttons(),
            "Back:on Next:hidden,off Finish:on front:cmdFinish default:cmdFinish focus:none");

  ASSERT_TRUE(w.Click(cmdFinish()));
  ASSERT_EQ(w.installs.size(), 1u);
  EXPECT_EQ(Targets(w.installs[0]), "database");
  ASSERT_EQ(w.Processes().size(), 1u);
  EXPECT_NE(w.Processes()[0].find("vtr3db.msi"), std::string::npos);
  // Straight to the completion panel: the configuration panel is never shown.
  EXPECT_EQ(w.Panel(), 5);
  EXPECT_EQ(w.form->State().iPanelPos, 3);
  EXPECT_EQ(w.C(frWiz(7)).left, -10000);
  EXPECT_EQ(w.VisiblePanels(), std::vector<int>{5});
  EXPECT_FALSE(EverShown(w, 2));
}

TEST(CustomRoad, BothBoxesClearedLeaveFinishDisabled) {
  Wizard w(Start{});
  w.Click(cmdOpt(2));
  w.Click(ckInstall(2));
  EXPECT_EQ(w.C(optInstall(1)).value, 1);
  EXPECT_EQ(w.Buttons(),
            "Back:on Next:on Finish:hidden,off front:cmdNext default:cmdNext focus:cmdNext");
  w.Click(ckInstall(2));
  EXPECT_EQ(w.C(optInstall(0)).value, 1);
  EXPECT_EQ(w.Buttons(),
            "Back:on Next:on Finish:hidden,off front:cmdNext default:cmdNext focus:cmdNext");
  w.Click(ckInstall(2));
  w.Click(ckInstall(1));
  EXPECT_EQ(w.Buttons(),
            "Back:on Next:hidden,off Finish:off front:cmdFinish default:cmdFinish focus:none");
  EXPECT_EQ(w.C(optInstall(1)).value, 1);  // the option buttons keep their last selection
  EXPECT_FALSE(w.Click(cmdFinish()));
  EXPECT_FALSE(w.view.Events()->PressDefault());
  EXPECT_TRUE(w.installs.empty());

  // Ticking the database box again offers Finish for a database-only install.
  w.Click(ckInstall(2));
  EXPECT_EQ(w.Buttons(),
            "Back:on Next:hidden,off Finish:on front:cmdFinish default:cmdFinish focus:none");
  EXPECT_EQ(w.C(optInstall(2)).value, 1);
}

TEST(CustomRoad, InvalidDatabaseFolderInstallsNothing) {
  Wizard w(Start{});
  w.Click(cmdOpt(2));
  w.Click(ckInstall(1));
  ASSERT_TRUE(w.Type(txPath(2), L"C:\\No Such\\Place\\Vantora Data"));
  w.Click(cmdFinish());
  EXPECT_TRUE(w.installs.empty());
  EXPECT_EQ(w.Panel(), 7);
  EXPECT_EQ(w.C(txPath(2)).foreColour, kRed);
  EXPECT_TRUE(w.C(lbErr()).visible);
  EXPECT_FALSE(w.form->IsUnloaded());
}

TEST(CustomRoad, TypedFoldersAreWhatGetsInstalled) {
  Start start;
  start.scenario = {{"files", {{{"path", "D:\\Apps"}, {"folder", true}}}}};
  Wizard w(start);
  w.Click(cmdOpt(2));
  ASSERT_TRUE(w.Type(txPath(1), L"D:\\Apps\\VTR"));
  ASSERT_TRUE(w.Type(txPath(2), L"D:\\Apps\\Vantora Data"));
  w.Click(cmdNext());
  ASSERT_EQ(w.Panel(), 2);
  w.Click(cmdFinish());
  ASSERT_EQ(w.installs.size(), 1u);
  EXPECT_EQ(w.installs[0].appPath, L"D:\\Apps\\VTR");
  ASSERT_EQ(w.Processes().size(), 2u);
  EXPECT_NE(w.Processes()[0].find("TARGETDIR=\"D:\\Apps\\VTR\""), std::string::npos);
  EXPECT_NE(w.Processes()[1].find("TARGETDIR=\"D:\\Apps\""), std::string::npos);
}

TEST(CustomRoad, TypedDatabaseFolderGetsItsDataFolderOnce) {
  // What the user types; where the database package lands and the folder stored for it.
  const struct {
    const wchar_t* typed;
    std::string targetDir;
    std::string stored;
  } cases[] = {
      {L"D:\\Apps", "TARGETDIR=\"D:\\Apps\"", "D:\\Apps\\Vantora Data\\MainDB\\"},
      {L"D:\\Apps\\Vantora Data\\MainDB", "TARGETDIR=\"D:\\Apps\"",
       "D:\\Apps\\Vantora Data\\MainDB\\"},
  };
  for (const auto& c : cases) {
    Start start;
    start.scenario = {{"files", {{{"path", "D:\\Apps\\Vantora Data\\MainDB"}, {"folder", true}}}}};
    Wizard w(start);
    w.Click(cmdOpt(2));
    w.Click(ckInstall(1));
    ASSERT_TRUE(w.Type(txPath(2), c.typed));
    w.Click(cmdFinish());
    ASSERT_EQ(w.Processes().size(), 1u) << Utf8(c.typed);
    EXPECT_NE(w.Processes()[0].find(c.targetDir), std::string::npos) << w.Processes()[0];
    EXPECT_EQ(w.p->FinalState()["settings"]["VTRPRO_3"]["StartUp"]["DBPath"], c.stored)
        << Utf8(c.typed);
  }
}

TEST(RepairRoad, ButtonsFollowTheReinstallBoxes) {
  Wizard w(Installed());
  ASSERT_TRUE(w.Click(cmdOpt(3)));
  EXPECT_EQ(w.Road(), (std::vector<int16_t>{6, 4, 2, 5}));
  EXPECT_EQ(w.Panel(), 4);
  EXPECT_EQ(w.Buttons(),
            "Back:on Next:on Finish:hidden,off front:cmdNext default:cmdNext focus:cmdNext");
  w.Click(ckOpt(4));
  EXPECT_EQ(w.Buttons(),
            "Back:on Next:hidden,off Finish:off front:cmdNext default:cmdNext focus:none");
  w.Click(ckOpt(5));
  EXPECT_EQ(w.Buttons(),
            "Back:on Next:hidden,off Finish:on front:cmdFinish default:cmdFinish focus:none");

  ASSERT_TRUE(w.Click(cmdFinish()));
  ASSERT_EQ(w.installs.size(), 1u);
  EXPECT_EQ(Targets(w.installs[0]), "database repair");
  EXPECT_EQ(w.Panel(), 5);
  EXPECT_FALSE(EverShown(w, 2));
  EXPECT_EQ(w.C(lbOpt(10)).caption,
            L"\rVantora Contact Management Professional 3.3.0 has been repaired.");
  // The launch box is only offered after an install.
  EXPECT_FALSE(w.C(ckOpt(1)).visible);
  EXPECT_EQ(w.C(ckOpt(1)).value, 0);
  w.Click(cmdFinish());
  EXPECT_FALSE(Launched(w));
  EXPECT_EQ(w.form->ExitCode(), 0);
}

TEST(RepairRoad, ProgramRepairGoesThroughTheConfigurationPanel) {
  Wizard w(Installed());
  w.Click(cmdOpt(3));
  ASSERT_TRUE(w.Click(cmdNext()));
  EXPECT_EQ(w.Panel(), 2);
  w.Click(cmdFinish());
  ASSERT_EQ(w.installs.size(), 1u);
  EXPECT_EQ(Targets(w.installs[0]), "program outlook repair");
  ASSERT_FALSE(w.Processes().empty());
  EXPECT_NE(w.Processes()[0].find(
                "/famus \"C:\\ProgramData\\Vantora\\Setup Cache\\VTRPRO_3\\vtr3p.msi\""),
            std::string::npos);
  EXPECT_EQ(w.Panel(), 5);
}

TEST(ConfigureRoad, EndsTheWizardWithoutACompletionPanel) {
  Wizard w(Installed());
  ASSERT_TRUE(w.Click(cmdOpt(4)));
  EXPECT_EQ(w.Road(), (std::vector<int16_t>{6, 2}));
  EXPECT_EQ(w.Panel(), 2);
  EXPECT_EQ(w.C(ckOpt(0)).value, 1);
  EXPECT_EQ(w.Buttons(),
            "Back:on Next:hidden,off Finish:on front:cmdFinish default:cmdFinish "
            "focus:cmdFinish");
  // Configure is about nothing but the Outlook interface.
  w.Click(ckOpt(0));
  EXPECT_FALSE(w.C(cmdFinish()).enabled);
  w.Click(ckOpt(0));
  EXPECT_TRUE(w.C(cmdFinish()).enabled);
  EXPECT_EQ(w.C(lbOpt(10)).caption, L"Vantora Contact Managment installation has completed.");

  ASSERT_TRUE(w.Click(cmdFinish()));
  ASSERT_EQ(w.installs.size(), 1u);
  EXPECT_EQ(Targets(w.installs[0]), "outlook");
  EXPECT_TRUE(w.Processes().empty());
  EXPECT_TRUE(w.form->IsUnloaded());
  EXPECT_FALSE(EverShown(w, 5));
  EXPECT_EQ(w.form->ExitCode(), 0);
}

TEST(ConfigureRoad, AfterAnInstallChoiceTheOutlookBoxIsTickedAgain) {
  Wizard w(Installed());
  w.Click(cmdOpt(3));
  w.Click(cmdNext());
  w.Click(ckOpt(0));                      // the user drops the Outlook interface from the repair
  EXPECT_TRUE(w.C(cmdFinish()).enabled);  // a repair does not need it
  w.Click(cmdBack());
  w.Click(cmdBack());
  ASSERT_EQ(w.Panel(), 6);
  w.Click(cmdOpt(4));
  EXPECT_EQ(w.C(ckOpt(0)).value, 1);
  EXPECT_TRUE(w.C(cmdFinish()).enabled);
}

TEST(ConfigureRoad, Rtf3EditionHasNoOutlookInterface) {
  Start start = Installed();
  start.edition = L"VTRPRO_RTF3";
  start.debug = true;
  Wizard w(start);
  w.Click(cmdOpt(4));
  EXPECT_EQ(w.C(ckOpt(0)).value, 0);
  EXPECT_FALSE(w.C(ckOpt(0)).enabled);
  EXPECT_EQ(w.Buttons(),
            "Back:on Next:hidden,off Finish:off front:cmdFinish default:cmdFinish focus:none");
  // The focus Finish cannot take is passed over; a developer hears of it.
  EXPECT_EQ(w.Boxes(),
            std::vector<std::string>{"errHdl_Panel_Next: Invalid procedure call or argument (5)"});

  Start quiet = Installed();
  quiet.edition = L"VTRPRO_RTF3";
  Wizard user(quiet);
  user.Click(cmdOpt(4));
  EXPECT_FALSE(user.C(cmdFinish()).enabled);
  EXPECT_TRUE(user.Boxes().empty());
}

TEST(RemoveRoad, RemovesTheTickedPackagesAndLaunchesNothing) {
  Wizard w(Installed());
  ASSERT_TRUE(w.Click(cmdOpt(5)));
  EXPECT_EQ(w.Road(), (std::vector<int16_t>{6, 3, 5}));
  EXPECT_EQ(w.Panel(), 3);
  EXPECT_EQ(w.Buttons(),
            "Back:on Next:hidden,off Finish:on front:cmdFinish default:cmdFinish "
            "focus:cmdFinish");
  w.Click(ckOpt(2));
  EXPECT_EQ(w.Buttons(),
            "Back:on Next:hidden,off Finish:off front:cmdFinish default:cmdFinish focus:none");
  w.Click(ckOpt(3));
  EXPECT_TRUE(w.C(cmdFinish()).enabled);

  ASSERT_TRUE(w.Click(cmdFinish()));
  ASSERT_EQ(w.installs.size(), 1u);
  EXPECT_EQ(Targets(w.installs[0]), "database remove");
  ASSERT_EQ(w.Processes().size(), 1u);
  EXPECT_NE(w.Processes()[0].find("vtr3db.msi\" REMOVE=ALL"), std::string::npos);
  EXPECT_EQ(w.Panel(), 5);
  EXPECT_EQ(w.C(lbOpt(10)).caption,
            L"\rVantora Contact Management Professional 3.3.0 has been removed from your "
            L"computer.");
  EXPECT_FALSE(w.C(ckOpt(1)).visible);
  w.Click(cmdFinish());
  EXPECT_FALSE(Launched(w));
  EXPECT_TRUE(w.form->IsUnloaded());
}

TEST(RemoveRoad, TheProgramAloneByDefault) {
  Wizard w(Installed(false));
  w.Click(cmdOpt(5));
  EXPECT_FALSE(w.C(ckOpt(3)).enabled);  // no database to remove
  w.Click(cmdFinish());
  ASSERT_EQ(w.installs.size(), 1u);
  EXPECT_EQ(Targets(w.installs[0]), "program remove");  // the Outlook interface goes with it
  ASSERT_EQ(w.Processes().size(), 1u);
  EXPECT_NE(w.Processes()[0].find(
                "/x \"C:\\ProgramData\\Vantora\\Setup Cache\\VTRPRO_3\\vtr3p.msi\" REMOVE=ALL"),
            std::string::npos);
  EXPECT_EQ(w.Panel(), 5);
}

TEST(RemoveRoad, NothingTickedOffersNoFinishAndNoFocus) {
  Wizard w(Installed());
  w.Click(cmdOpt(5));
  w.Click(ckOpt(2));
  w.Click(cmdBack());
  w.Click(cmdOpt(5));
  EXPECT_EQ(w.Panel(), 3);
  EXPECT_EQ(w.Buttons(),
            "Back:on Next:hidden,off Finish:off front:cmdFinish default:cmdFinish focus:none");
  EXPECT_TRUE(w.Boxes().empty());
}

TEST(Choices, BackToTheChoicePanelForgetsTheChoice) {
  Wizard w(Start{});
  w.Click(cmdOpt(1));
  ASSERT_EQ(w.Panel(), 7);
  w.Type(txPath(1), L"C:\\Two\\New Levels");
  ASSERT_TRUE(w.Click(cmdBack()));
  // Back makes no folder check.
  EXPECT_TRUE(w.p->Calls("MakeFolder").empty());
  EXPECT_EQ(w.C(lbErr()).visible, false);
  EXPECT_EQ(w.Panel(), 0);
  EXPECT_EQ(w.VisiblePanels(), std::vector<int>{0});
  const FormState& st = w.form->State();
  EXPECT_FALSE(st.bInstall || st.bRepair || st.bConfigure || st.bRemove || st.bProgram ||
               st.bDatabase || st.bOutlook);
  EXPECT_EQ(w.Buttons(),
            "Back:off Next:off Finish:hidden,off front:cmdNext default:cmdNext "
            "focus:cmdOpt(0)");

  // Back on the first entry changes nothing.
  w.form->cmdBack_Click();
  EXPECT_EQ(w.form->State().iPanelPos, 0);
  EXPECT_EQ(w.VisiblePanels(), std::vector<int>{0});

  // A new choice starts afresh.
  w.Click(cmdOpt(0));
  EXPECT_EQ(w.Road(), (std::vector<int16_t>{0, 2, 5}));
  EXPECT_EQ(w.C(optInstall(0)).value, 1);
}

TEST(Choices, NothingSelectedStaysWhereItIs) {
  Wizard w(Installed());
  w.Click(cmdOpt(3));
  w.Click(ckOpt(4));
  ASSERT_FALSE(w.C(cmdFinish()).enabled);
  w.form->cmdFinish_Click();  // as if Finish could be pressed after all
  EXPECT_EQ(w.Boxes(), std::vector<std::string>{"Nothing selected to install or update"});
  EXPECT_TRUE(w.installs.empty());
  EXPECT_EQ(w.Panel(), 4);
  EXPECT_TRUE(w.form->Form().Window().visible);
}

TEST(Choices, UndefinedOptionIsRefused) {
  Wizard w(Start{});
  w.form->cmdOpt_Click(9);
  EXPECT_EQ(w.Boxes(), std::vector<std::string>{"Option not defined"});
  EXPECT_EQ(w.Panel(), 0);
  EXPECT_EQ(w.Road(), (std::vector<int16_t>{0, 1, 2, 5}));
}

TEST(Ending, CancelAndTheCloseBoxEndBeforeAnyRun) {
  Wizard cancelled(Start{});
  cancelled.Click(cmdOpt(1));
  ASSERT_TRUE(cancelled.Click(cmdCancel()));
  EXPECT_TRUE(cancelled.form->IsUnloaded());
  EXPECT_TRUE(cancelled.view.Unloaded());
  EXPECT_EQ(cancelled.view.Events(), nullptr);
  EXPECT_EQ(cancelled.form->ExitCode(), 1602);
  EXPECT_TRUE(cancelled.Processes().empty());
  EXPECT_TRUE(cancelled.Boxes().empty());

  Wizard escaped(Installed());
  ASSERT_TRUE(escaped.view.Events()->PressCancel());
  EXPECT_EQ(escaped.form->ExitCode(), 1602);

  Wizard closed(Start{});
  closed.view.Events()->CloseRequested();
  EXPECT_TRUE(closed.form->IsUnloaded());
  EXPECT_EQ(closed.form->ExitCode(), 1602);
  // Nothing reaches a closed form.
  EXPECT_FALSE(closed.form->Click(cmdOpt(0)));
  EXPECT_EQ(closed.view.Calls().back(), L"UnloadWindow");
}

TEST(Ending, ClosingTheCompletionPanelKeepsTheRunsResult) {
  Start start;
  start.scenario = {{"processes", {{{"match", "vtr3db.msi"}, {"exitCode", 3010}}}}};
  Wizard w(start);
  w.Click(cmdOpt(0));
  w.Click(cmdFinish());
  ASSERT_EQ(w.Panel(), 5);
  EXPECT_FALSE(w.view.Events()->PressCancel());  // Cancel is disabled here
  w.view.Events()->CloseRequested();
  EXPECT_FALSE(Launched(w));
  EXPECT_EQ(w.form->ExitCode(), 3010);  // Windows must restart
}

TEST(Ending, FailedRunClosesTheWizard) {
  Start start;
  start.scenario = {{"processes", {{{"match", "vtr3p.msi"}, {"exitCode", 1603}}}}};
  Wizard w(start);
  w.Click(cmdOpt(0));
  w.Click(cmdFinish());
  ASSERT_EQ(w.installs.size(), 1u);
  EXPECT_FALSE(w.installs[0].result);
  EXPECT_TRUE(w.form->IsUnloaded());
  EXPECT_FALSE(EverShown(w, 5));
  EXPECT_EQ(w.form->ExitCode(), 1603);
  // The engine explained the failure before the wizard closed.
  ASSERT_FALSE(w.Boxes().empty());
  EXPECT_NE(w.Boxes()[0].find("1603"), std::string::npos);
}

TEST(Ending, ShowWizardReturnsWhenTheFormIsUnloaded) {
  Start start;
  Wizard w(start);  // for its session and machine
  RecordingView view;
  int loops = 0;
  const int cancelled = ShowWizard(*w.p, w.edition, w.options, w.detected, view, [&](fmMain& form) {
    ++loops;
    EXPECT_TRUE(form.Form().Window().visible);
    view.Events()->Click(cmdCancel());
  });
  EXPECT_EQ(loops, 1);
  EXPECT_EQ(cancelled, 1602);
  EXPECT_TRUE(view.Unloaded());

  // A loop that ends on its own (the Windows session ends) closes the form.
  RecordingView ended;
  EXPECT_EQ(ShowWizard(*w.p, w.edition, w.options, w.detected, ended, [](fmMain&) {}), 1602);
  EXPECT_TRUE(ended.Unloaded());

  RecordingView installed;
  const int code = ShowWizard(*w.p, w.edition, w.options, w.detected, installed, [&](fmMain&) {
    installed.Events()->Click(cmdOpt(0));
    installed.Events()->Click(cmdFinish());
    installed.Events()->Click(cmdFinish());
  });
  EXPECT_EQ(code, 0);
}

}  // namespace
}  // namespace vtr
