// The folder panel: the character check of folder names, the red boxes and the error line of
// the folder check, and browsing for the program and database folders.
#include "wizard_fixture.h"

namespace vtr {
namespace {

using namespace ctl;
using testing::Start;
using testing::Utf8;
using testing::Wizard;

std::string CharacterMessage(const std::string& character) {
  return "Sorry, certain characters like '  " + character +
         "  ' are not allowed\r / \\ : * ? \" < > | are not allowed in Windows Folder "
         "Names\r\rPlease enter a valid folder name\r\r";
}

// A wizard on the folder panel of a Custom install, both boxes ticked.
class OnFolderPanel : public Wizard {
 public:
  explicit OnFolderPanel(const Start& start = Start{}) : Wizard(start) {
    Click(cmdOpt(2));
    EXPECT_EQ(Panel(), 7);
  }
};

TEST(FolderNameCheck, JudgesTheLastFolderName) {
  Wizard w(Start{});
  struct Case {
    const wchar_t* path;
    bool ok;
    const char* named;  // the character the message names, "" for no message
  };
  const Case cases[] = {
      {L"D:\\Apps\\Vantora Contact Management", true, ""},
      {L"D:\\Apps\\Büro's Kontakte (alt) 1.5 – €", true, ""},  // beyond ASCII passes
      {L"D:/Apps/vtr_3-3", true, ""},
      {L"D:\\a?b\\Vantora", true, ""},  // only the last name is judged
      {L"C:\\", false, ":"},            // a drive root's name is "C:"
      {L"D:\\Apps\\Who?", false, "?"},
      {L"D:\\Apps\\a*b", false, "*"},
      {L"D:\\Apps\\a<b>", false, "<"},
      {L"D:\\Apps\\a|b", false, "|"},
      {L"D:\\Apps\\say \"hi\"", false, "\""},
      {L"D:\\Apps\\tab\there", false, "\t"},
      {L"", false, ""},
  };
  for (const Case& c : cases) {
    const std::size_t before = w.Boxes().size();
    EXPECT_EQ(SYS_StrCheck(*w.p, c.path, false), c.ok) << Utf8(c.path);
    const auto boxes = w.Boxes();
    if (*c.named != '\0') {
      ASSERT_EQ(boxes.size(), before + 1) << Utf8(c.path);
      EXPECT_EQ(boxes.back(), CharacterMessage(c.named));
      EXPECT_EQ(w.p->Calls("MsgBox").back()["args"]["icon"], "Information");
    } else {
      EXPECT_EQ(boxes.size(), before) << Utf8(c.path);
    }
    // Quietly: the same answer and never a message.
    EXPECT_EQ(SYS_StrCheck(*w.p, c.path, true), c.ok);
    EXPECT_EQ(w.Boxes().size(), boxes.size());
  }
}

TEST(FolderCheck, BadCharactersAreNamedOnceAndBothBoxesTurnRed) {
  OnFolderPanel w;
  w.Type(txPath(1), L"C:\\Apps\\Vantora?");
  w.Type(txPath(2), L"D:\\Data\\Con:tacts");
  ASSERT_TRUE(w.Click(cmdNext()));
  EXPECT_EQ(w.Panel(), 7);
  EXPECT_EQ(w.Boxes(), std::vector<std::string>{CharacterMessage("?")});
  EXPECT_EQ(w.C(txPath(1)).foreColour, kRed);
  EXPECT_EQ(w.C(txPath(2)).foreColour, kRed);
  EXPECT_TRUE(w.C(lbErr()).visible);
  EXPECT_EQ(w.C(lbErr()).caption, L"Path entered is invalid, please correct");
  EXPECT_FALSE(w.C(lbWarning()).visible);
  // The buttons stay as they were.
  EXPECT_EQ(w.Buttons(),
            "Back:on Next:on Finish:hidden,off front:cmdNext default:cmdNext focus:cmdNext");
  EXPECT_TRUE(w.p->Calls("MakeFolder").empty());

  // Corrected, the boxes get their normal colour back and the folders are made.
  w.Type(txPath(1), L"C:\\Apps");
  w.Type(txPath(2), L"C:\\Apps\\Vantora Data");
  ASSERT_TRUE(w.Click(cmdNext()));
  EXPECT_EQ(w.Panel(), 2);
  EXPECT_EQ(w.C(txPath(1)).foreColour, kWindowText);
  EXPECT_EQ(w.C(txPath(2)).foreColour, kWindowText);
  EXPECT_FALSE(w.C(lbErr()).visible);
  EXPECT_TRUE(w.C(lbWarning()).visible);
  EXPECT_EQ(w.p->FindFirst(L"C:\\Apps\\Vantora Data", kAttrAll), L"Vantora Data");
}

TEST(FolderCheck, ErrorLineStaysWithTheFolderPanel) {
  OnFolderPanel w;
  w.Type(txPath(1), L"C:\\New\\Deeper");
  w.Click(cmdNext());
  ASSERT_TRUE(w.C(lbErr()).visible);

  // Redisplayed, the folder panel keeps its error line and the notice stays away from it.
  w.form->Panel_Next(false, true);
  EXPECT_TRUE(w.C(lbErr()).visible);
  EXPECT_FALSE(w.C(lbWarning()).visible);

  // Back on the choice panel the line is gone and the legal notice is back in its place.
  w.Click(cmdBack());
  EXPECT_EQ(w.Panel(), 0);
  EXPECT_FALSE(w.C(lbErr()).visible);
  EXPECT_TRUE(w.C(lbWarning()).visible);

  // Nor does it come back with a Single User road to the completion panel.
  w.Click(cmdOpt(0));
  w.Click(cmdFinish());
  EXPECT_EQ(w.Panel(), 5);
  EXPECT_FALSE(w.C(lbErr()).visible);
  EXPECT_FALSE(w.C(lbWarning()).visible);
}

TEST(FolderCheck, ErrorLineNamesAnEmptyOrAnUnusableFolder) {
  // Two new levels cannot be made: a silent failure.
  OnFolderPanel deep;
  deep.Type(txPath(1), L"C:\\New\\Deeper");
  deep.Click(cmdNext());
  EXPECT_EQ(deep.Panel(), 7);
  EXPECT_TRUE(deep.Boxes().empty());
  EXPECT_EQ(deep.C(txPath(1)).foreColour, kRed);
  EXPECT_EQ(deep.C(txPath(2)).foreColour, kWindowText);
  EXPECT_EQ(deep.C(lbErr()).caption, L"Path entered is invalid, please correct");
  EXPECT_EQ(deep.p->FindFirst(L"C:\\New", kAttrAll), L"");

  // The line speaks of the last box examined: here the empty database box.
  OnFolderPanel emptyDb;
  emptyDb.Type(txPath(2), L"");
  emptyDb.Click(cmdNext());
  EXPECT_EQ(emptyDb.C(txPath(2)).foreColour, kRed);
  EXPECT_EQ(emptyDb.C(txPath(1)).foreColour, kWindowText);
  EXPECT_EQ(emptyDb.C(lbErr()).caption, L"ERROR: Please enter a valid path");

  OnFolderPanel emptyProgram;
  emptyProgram.Type(txPath(1), L"");
  emptyProgram.Click(cmdNext());
  EXPECT_EQ(emptyProgram.C(txPath(1)).foreColour, kRed);
  EXPECT_EQ(emptyProgram.C(lbErr()).caption, L"Path entered is invalid, please correct");
  EXPECT_TRUE(emptyProgram.Boxes().empty());
}

TEST(FolderCheck, OnlyTickedBoxesAreExamined) {
  OnFolderPanel w;
  w.Type(txPath(2), L"Q:\\Nowhere\\At All");
  w.Click(ckInstall(2));  // program only now
  ASSERT_TRUE(w.Click(cmdNext()));
  EXPECT_EQ(w.Panel(), 2);
  EXPECT_EQ(w.C(txPath(2)).foreColour, kWindowText);

  // Neither ticked: the check passes (Finish stays disabled there anyway).
  OnFolderPanel none;
  none.Click(ckInstall(1));
  none.Click(ckInstall(2));
  EXPECT_TRUE(none.form->Check_Paths());
  EXPECT_FALSE(none.C(lbErr()).visible);

  // Away from the folder panel the check passes and touches nothing.
  Wizard away(Start{});
  away.Click(cmdOpt(0));
  away.Type(txPath(1), L"C:\\New\\Deeper");  // not examined away from the folder panel
  const std::size_t calls = away.p->Transcript().size();
  const std::size_t viewCalls = away.view.Calls().size();
  EXPECT_TRUE(away.form->Check_Paths());
  EXPECT_EQ(away.p->Transcript().size(), calls);
  EXPECT_EQ(away.view.Calls().size(), viewCalls);
}

TEST(FolderCheck, RedisplayingTheFolderPanelChecksNothing) {
  OnFolderPanel w;
  w.Type(txPath(1), L"C:\\New\\Deeper");
  w.form->Panel_Next(false, true);
  EXPECT_EQ(w.Panel(), 7);
  EXPECT_EQ(w.C(txPath(1)).foreColour, kWindowText);
  EXPECT_FALSE(w.C(lbErr()).visible);
}

TEST(Browse, DatabaseFolderGetsTheDataFolderBelowIt) {
  Start start;
  start.scenario = {{"answers",
                     {{"folderPicker",
                       {"D:\\Shared", "D:\\Shared\\vantora data", "C:\\", "E:/share", nullptr}}}}};
  OnFolderPanel w(start);
  ASSERT_TRUE(w.Click(cmdPath(2)));
  EXPECT_EQ(w.C(txPath(2)).caption, L"D:\\Shared\\Vantora Data");
  const auto picker = w.p->Calls("BrowseForFolder");
  ASSERT_EQ(picker.size(), 1u);
  EXPECT_EQ(picker[0]["args"]["title"],
            "Vantora Contact Management 3.3\r\rSelect folder for Database Installation:  (Note: "
            "Will create 'Vantora Data' in the directory you select)");
  EXPECT_EQ(picker[0]["args"]["programFilesRoot"], false);

  w.Click(cmdPath(2));
  EXPECT_EQ(w.C(txPath(2)).caption, L"D:\\Shared\\vantora data");
  w.Click(cmdPath(2));
  EXPECT_EQ(w.C(txPath(2)).caption, L"C:\\\\Vantora Data");
  w.Click(cmdPath(2));
  EXPECT_EQ(w.C(txPath(2)).caption, L"E:/share/Vantora Data");
  w.Click(cmdPath(2));  // cancelled
  EXPECT_EQ(w.C(txPath(2)).caption, L"E:/share/Vantora Data");
  EXPECT_EQ(w.view.Control(txPath(2)).caption, L"E:/share/Vantora Data");
}

TEST(Browse, ProgramFolderIsTakenAsPicked) {
  Start start;
  start.scenario = {{"answers", {{"folderPicker", {"D:\\Apps", nullptr}}}}};
  OnFolderPanel w(start);
  w.Click(cmdPath(1));
  EXPECT_EQ(w.C(txPath(1)).caption, L"D:\\Apps");
  EXPECT_EQ(w.p->Calls("BrowseForFolder")[0]["args"]["title"],
            "Vantora Contact Management 3.3\r\rSelect folder for Program Files Installation:");
  w.Click(cmdPath(1));
  EXPECT_EQ(w.C(txPath(1)).caption, L"D:\\Apps");
}

TEST(Browse, FailingPickerIsACancel) {
  Start start;
  start.scenario = {{"faults", {{{"op", "BrowseForFolder"}, {"number", 5}}}}};
  OnFolderPanel user(start);
  const std::wstring before = user.C(txPath(1)).caption;
  EXPECT_TRUE(user.Click(cmdPath(1)));
  EXPECT_EQ(user.C(txPath(1)).caption, before);
  EXPECT_TRUE(user.Boxes().empty());

  start.debug = true;
  OnFolderPanel developer(start);
  developer.Click(cmdPath(1));
  EXPECT_EQ(developer.Boxes(), std::vector<std::string>{
                                   "errHdl_BrowseFolder: Invalid procedure call or argument (5)"});

  // An empty title gets the default one.
  std::wstring title;
  developer.form->BrowseFolder(title, true);
  EXPECT_EQ(title, L"Select Installation Folder:");
}

TEST(Browse, DisabledBrowseButtonsCannotBeClicked) {
  OnFolderPanel w;
  w.Click(ckInstall(1));
  EXPECT_FALSE(w.Click(cmdPath(1)));
  EXPECT_FALSE(w.Type(txPath(1), L"D:\\Elsewhere"));
  EXPECT_TRUE(w.p->Calls("BrowseForFolder").empty());
  EXPECT_NE(w.C(txPath(1)).caption, L"D:\\Elsewhere");
}

}  // namespace
}  // namespace vtr
