// The simulated file system: the find-file rules, paths as Windows reads them, and the
// make-folder, create-file and move operations the program's file tests rely on.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sim/sim_platform.h"
#include "util/paths.h"

namespace vtr {
namespace {

using nlohmann::json;

// Every name a search yields, FindFirst then FindNext until "".
std::vector<std::wstring> Walk(SimPlatform& p, const std::wstring& pattern, int attributes) {
  std::vector<std::wstring> names;
  for (std::wstring name = p.FindFirst(pattern, attributes); !name.empty(); name = p.FindNext()) {
    names.push_back(name);
  }
  return names;
}

int RaisedNumber(const std::function<void()>& call) {
  try {
    call();
  } catch (const RunError& e) {
    return e.number;
  }
  return 0;
}

json TemplatesMachine() {
  return json{{"files",
               {"C:\\Data\\Templates\\letter.dot",
                {{"path", "C:\\Data\\Templates\\Archive"}, {"folder", true}},
                {{"path", "C:\\Data\\Templates\\Memo.DOT"}, {"readOnly", true}},
                {{"path", "C:\\Data\\Templates\\desktop.ini"}, {"hidden", true}, {"system", true}},
                {{"path", "C:\\Data\\Templates\\thumbs.db"}, {"hidden", true}},
                "C:\\Data\\Templates\\Agenda.dot"}}};
}

TEST(SimFindFile, FolderListingOrderAndMasks) {
  SimPlatform p(TemplatesMachine());
  // Mask 0: normal and read-only files only, sorted ignoring case.
  EXPECT_EQ(Walk(p, L"C:\\Data\\Templates\\", kAttrNormal),
            (std::vector<std::wstring>{L"Agenda.dot", L"letter.dot", L"Memo.DOT"}));
  // Mask 23: the folder's own entries first, then everything, hidden and system included.
  EXPECT_EQ(Walk(p, L"C:\\Data\\Templates\\", kAttrAll),
            (std::vector<std::wstring>{L".", L"..", L"Agenda.dot", L"Archive", L"desktop.ini",
                                       L"letter.dot", L"Memo.DOT", L"thumbs.db"}));
  // The other bits work one by one: folders (16) without hidden ones (2).
  EXPECT_EQ(Walk(p, L"C:\\Data\\Templates\\", 16),
            (std::vector<std::wstring>{L".", L"..", L"Agenda.dot", L"Archive", L"letter.dot",
                                       L"Memo.DOT"}));
}

TEST(SimFindFile, PatternsAndPlainPaths) {
  SimPlatform p(TemplatesMachine());
  EXPECT_EQ(Walk(p, L"c:/data/templates/*.DOT", kAttrNormal),
            (std::vector<std::wstring>{L"Agenda.dot", L"letter.dot", L"Memo.DOT"}));
  EXPECT_EQ(Walk(p, L"C:\\Data\\Templates\\?emo.*", kAttrNormal),
            (std::vector<std::wstring>{L"Memo.DOT"}));
  EXPECT_EQ(Walk(p, L"C:\\Data\\Templates\\*.*", kAttrNormal).size(), 3u);
  EXPECT_EQ(Walk(p, L"C:\\Data\\Templates\\*.env", kAttrNormal), std::vector<std::wstring>{});
  // Wildcards only work in the last name.
  EXPECT_EQ(p.FindFirst(L"C:\\Data\\T*\\Agenda.dot", kAttrNormal), L"");

  // A plain path yields the entry's own name as stored, whatever case it was asked in.
  EXPECT_EQ(p.FindFirst(L"c:\\DATA\\templates\\AGENDA.DOT", kAttrNormal), L"Agenda.dot");
  EXPECT_EQ(p.FindNext(), L"");
  // A folder is found with mask 23 only; a hidden file likewise.
  EXPECT_EQ(p.FindFirst(L"C:\\Data\\Templates\\Archive", kAttrNormal), L"");
  EXPECT_EQ(p.FindFirst(L"C:\\Data\\Templates\\Archive", kAttrAll), L"Archive");
  EXPECT_EQ(p.FindFirst(L"C:\\Data\\Templates\\thumbs.db", kAttrNormal), L"");
  EXPECT_EQ(p.FindFirst(L"C:\\Data\\Templates\\thumbs.db", kAttrAll), L"thumbs.db");
  // Parents of listed entries exist, as does their drive; other drives do not.
  EXPECT_EQ(p.FindFirst(L"C:\\Data", kAttrAll), L"Data");
  EXPECT_EQ(p.FindFirst(L"C:\\Missing", kAttrAll), L"");
  EXPECT_EQ(p.FindFirst(L"Q:\\", kAttrAll), L"");
  EXPECT_EQ(p.FindFirst(L"", kAttrAll), L"");
}

TEST(SimFindFile, PathsAsWindowsReadsThem) {
  SimPlatform p(json{{"ownFolder", "D:\\Setup"},
                     {"files", {"D:\\Setup\\VTR.msi", "\\\\server\\share\\Data\\x.txt"}}});
  EXPECT_EQ(p.FindFirst(L"D:\\\\Setup//VTR.msi", kAttrNormal), L"VTR.msi");
  EXPECT_EQ(p.FindFirst(L"D:\\Setup\\Sub\\..\\.\\VTR.msi", kAttrNormal), L"VTR.msi");
  // Trailing dots and blanks of the last name are dropped, as Windows does.
  EXPECT_EQ(p.FindFirst(L"D:\\Setup\\VTR.msi. ", kAttrNormal), L"VTR.msi");
  // A relative path is read from the program's working folder, its own folder.
  EXPECT_EQ(p.FindFirst(L"VTR.msi", kAttrNormal), L"VTR.msi");
  EXPECT_EQ(p.FindFirst(L"\\Setup\\VTR.msi", kAttrNormal), L"VTR.msi");
  // The program's own file is there.
  EXPECT_EQ(p.FindFirst(L"D:\\Setup\\SetupVTR.exe", kAttrNormal), L"SetupVTR.exe");
  EXPECT_EQ(p.FindFirst(L"\\\\SERVER\\share\\data\\X.TXT", kAttrNormal), L"x.txt");
  // Characters Windows never allows in a name find nothing.
  EXPECT_EQ(p.FindFirst(L"D:\\Setup\\VTR|.msi", kAttrNormal), L"");
  EXPECT_EQ(p.FindFirst(L"D:\\Setup\\VTR\".msi", kAttrNormal), L"");
  // Beyond MAX_PATH nothing is found.
  EXPECT_EQ(p.FindFirst(L"D:\\Setup\\" + std::wstring(260, L'a'), kAttrNormal), L"");
}

TEST(SimFindFile, RootsAndShortNamesAsWindowsFindsThem) {
  SimPlatform p(json{{"ownFolder", "\\\\server\\media\\"},
                     {"files", {"E:\\vtr3p.msi", "E:\\notes.envx", "E:\\Business.env"}}});
  // A root named on its own finds nothing; with its separator it lists its contents.
  EXPECT_EQ(p.FindFirst(L"E:", kAttrAll), L"");
  EXPECT_EQ(p.FindFirst(L"E:\\", kAttrAll), L"Business.env");
  EXPECT_EQ(p.FindFirst(L"\\\\server\\media", kAttrAll), L"");
  EXPECT_EQ(p.FindFirst(L"\\\\server\\media\\", kAttrAll), L"SetupVTR.exe");
  // The program at a share's root is told its folder with the separator.
  EXPECT_EQ(p.OwnFolder(), L"\\\\server\\media\\");
  // A pattern matches short names too: "notes.envx" is "NOTES~1.ENV".
  EXPECT_EQ(Walk(p, L"E:\\*.env", kAttrNormal),
            (std::vector<std::wstring>{L"Business.env", L"notes.envx"}));
}

TEST(FileCheck, FindsPackagesInMixedSeparatorFoldersAndAtRoots) {
  SimPlatform p(json{{"files", {"C:\\Apps\\Sub\\vtr3p.msi", "E:\\vtr3db.msi"}}});
  EXPECT_TRUE(SYS_File_FileCheck(p, L"vtr3p.msi", L"C:\\Apps/Sub", false));
  EXPECT_TRUE(SYS_File_FileCheck(p, L"vtr3db.msi", L"E:\\", false));
  EXPECT_TRUE(SYS_File_FileCheck(p, L"vtr3db.msi", L"E:", false));
  EXPECT_FALSE(SYS_File_FileCheck(p, L"vtr3p.msi", L"E:\\", false));
}

TEST(SimFindFile, ContinuedSearches) {
  SimPlatform p(TemplatesMachine());
  EXPECT_EQ(p.FindNext(), L"");  // nothing started yet
  EXPECT_EQ(p.FindFirst(L"C:\\Data\\Templates\\*.dot", kAttrNormal), L"Agenda.dot");
  // A new search replaces the old one.
  EXPECT_EQ(p.FindFirst(L"C:\\Data\\Templates\\M*", kAttrNormal), L"Memo.DOT");
  EXPECT_EQ(p.FindNext(), L"");
  EXPECT_EQ(p.FindNext(), L"");

  // Renaming while walking: like NTFS, the search goes on after the last name it gave, so
  // a new name that sorts later is met again and one that sorts earlier is not.
  SimPlatform q(json{{"files", {"C:\\E\\a.env", "C:\\E\\z.env"}}});
  EXPECT_EQ(q.FindFirst(L"C:\\E\\*.env", kAttrNormal), L"a.env");
  ASSERT_TRUE(q.MoveFileTo(L"C:\\E\\a.env", L"C:\\E\\rev30_a.env"));
  EXPECT_EQ(q.FindNext(), L"rev30_a.env");
  EXPECT_EQ(q.FindNext(), L"z.env");
  ASSERT_TRUE(q.MoveFileTo(L"C:\\E\\z.env", L"C:\\E\\rev30_z.env"));
  EXPECT_EQ(q.FindNext(), L"");
}

TEST(SimFolders, WindowsOwnFoldersExistUnlessTheScenarioSaysNot) {
  SimPlatform p(json::object());
  EXPECT_EQ(p.FindFirst(L"C:\\Program Files (x86)", kAttrAll), L"Program Files (x86)");
  EXPECT_EQ(p.FindFirst(L"C:\\ProgramData", kAttrAll), L"ProgramData");
  EXPECT_EQ(p.FindFirst(L"C:\\windows\\system32", kAttrAll), L"system32");
  EXPECT_EQ(p.FindFirst(L"C:\\Downloads\\SetupVTR.exe", kAttrNormal), L"SetupVTR.exe");
  // They belong to Windows, not to the run's results.
  EXPECT_EQ(p.FinalState()["files"], nlohmann::ordered_json::array());

  SimPlatform bare(json{{"standardFoldersExist", false}, {"folders", {{"35", "E:\\AppData"}}}});
  EXPECT_EQ(bare.FindFirst(L"C:\\ProgramData", kAttrAll), L"");
  EXPECT_EQ(bare.FindFirst(L"E:\\AppData", kAttrAll), L"");
  // Its drive is there, so the folder can be made.
  EXPECT_EQ(RaisedNumber([&] { bare.MakeFolder(L"E:\\AppData"); }), 0);
  // The program's own folder is always there: it runs from it.
  EXPECT_EQ(bare.FindFirst(L"C:\\Downloads", kAttrAll), L"Downloads");
}

TEST(SimFolders, MakeFolderRules) {
  SimPlatform p(json{
      {"files",
       {{{"path", "D:\\Shared"}, {"folder", true}, {"readOnly", true}}, "C:\\Data\\file.txt"}}});
  EXPECT_EQ(RaisedNumber([&] { p.MakeFolder(L"C:\\Data\\New"); }), 0);
  EXPECT_EQ(p.FindFirst(L"C:\\Data\\new", kAttrAll), L"New");
  // An existing entry, file or folder, is an access error.
  EXPECT_EQ(RaisedNumber([&] { p.MakeFolder(L"C:\\Data\\NEW"); }), 75);
  EXPECT_EQ(RaisedNumber([&] { p.MakeFolder(L"C:\\Data\\file.txt"); }), 75);
  // One level only: the parent must be there.
  EXPECT_EQ(RaisedNumber([&] { p.MakeFolder(L"C:\\Data\\A\\B"); }), 76);
  EXPECT_EQ(RaisedNumber([&] { p.MakeFolder(L"Q:\\Data"); }), 76);
  EXPECT_EQ(RaisedNumber([&] { p.MakeFolder(L"C:\\Data\\file.txt\\Sub"); }), 76);
  // Nothing can be made inside a read-only folder; bad names are refused.
  EXPECT_EQ(RaisedNumber([&] { p.MakeFolder(L"D:\\Shared\\Vantora"); }), 75);
  EXPECT_EQ(RaisedNumber([&] { p.MakeFolder(L"C:\\Data\\a<b"); }), 75);
  EXPECT_EQ(RaisedNumber([&] { p.MakeFolder(L"C:\\Data\\*"); }), 75);
  try {
    p.MakeFolder(L"C:\\Data\\A\\B");
  } catch (const RunError& e) {
    EXPECT_EQ(e.description, L"Path not found");
  }
  const auto files = p.FinalState()["files"];
  // The final state holds what was listed or made, not the folders above them.
  ASSERT_EQ(files.size(), 3u);
  EXPECT_EQ(files[0]["path"], "C:\\Data\\file.txt");
  EXPECT_EQ(files[1]["path"], "C:\\Data\\New");
  EXPECT_EQ(files[1]["folder"], true);
  EXPECT_EQ(files[2]["path"], "D:\\Shared");
  EXPECT_EQ(files[2]["readOnly"], true);
}

TEST(SimFolders, CreateEmptyFileRules) {
  SimPlatform p(json{{"files",
                      {{{"path", "C:\\RO"}, {"folder", true}, {"readOnly", true}},
                       {{"path", "C:\\RO\\Sub"}, {"folder", true}},
                       {{"path", "C:\\W\\locked.txt"}, {"readOnly", true}},
                       {{"path", "C:\\W\\hidden.txt"}, {"hidden", true}},
                       "C:\\W\\plain.txt"}}});
  EXPECT_EQ(RaisedNumber([&] { p.CreateEmptyFile(L"C:\\W\\new.txt"); }), 0);
  EXPECT_EQ(p.FindFirst(L"C:\\W\\new.txt", kAttrNormal), L"new.txt");
  EXPECT_EQ(RaisedNumber([&] { p.CreateEmptyFile(L"C:\\W\\plain.txt"); }), 0);  // emptied
  EXPECT_EQ(RaisedNumber([&] { p.CreateEmptyFile(L"C:\\W\\locked.txt"); }), 75);
  EXPECT_EQ(RaisedNumber([&] { p.CreateEmptyFile(L"C:\\W\\hidden.txt"); }), 75);
  EXPECT_EQ(RaisedNumber([&] { p.CreateEmptyFile(L"C:\\W"); }), 75);
  EXPECT_EQ(RaisedNumber([&] { p.CreateEmptyFile(L"C:\\Nowhere\\x.txt"); }), 76);
  // A read-only folder protects everything beneath it.
  EXPECT_EQ(RaisedNumber([&] { p.CreateEmptyFile(L"C:\\RO\\x.txt"); }), 75);
  EXPECT_EQ(RaisedNumber([&] { p.CreateEmptyFile(L"C:\\RO\\Sub\\x.txt"); }), 75);
  EXPECT_EQ(p.FindFirst(L"C:\\RO\\Sub\\x.txt", kAttrNormal), L"");
}

TEST(SimFolders, MoveFileRules) {
  SimPlatform p(json{{"files",
                      {"C:\\T\\Letter.lbl",
                       "C:\\T\\rev30_Taken.lbl",
                       "C:\\T\\Taken.lbl",
                       "C:\\T\\Box\\inner.txt",
                       {{"path", "C:\\RO"}, {"folder", true}, {"readOnly", true}},
                       "C:\\RO\\kept.txt"}}});
  EXPECT_TRUE(p.MoveFileTo(L"C:\\T\\Letter.lbl", L"C:\\T\\rev30_Letter.lbl"));
  EXPECT_EQ(p.FindFirst(L"C:\\T\\Letter.lbl", kAttrNormal), L"");
  EXPECT_EQ(p.FindFirst(L"C:\\T\\rev30_Letter.lbl", kAttrNormal), L"rev30_Letter.lbl");
  EXPECT_FALSE(p.MoveFileTo(L"C:\\T\\Letter.lbl", L"C:\\T\\again.lbl"));       // gone
  EXPECT_FALSE(p.MoveFileTo(L"C:\\T\\Taken.lbl", L"C:\\T\\REV30_taken.lbl"));  // target there
  EXPECT_FALSE(p.MoveFileTo(L"C:\\T\\Taken.lbl", L"C:\\Nowhere\\Taken.lbl"));
  EXPECT_FALSE(p.MoveFileTo(L"C:\\RO\\kept.txt", L"C:\\T\\kept.txt"));
  EXPECT_FALSE(p.MoveFileTo(L"C:\\T\\Taken.lbl", L"C:\\RO\\Taken.lbl"));
  // Only the case changes: allowed.
  EXPECT_TRUE(p.MoveFileTo(L"C:\\T\\Taken.lbl", L"C:\\T\\TAKEN.lbl"));
  EXPECT_EQ(p.FindFirst(L"C:\\T\\taken.lbl", kAttrNormal), L"TAKEN.lbl");
  // A folder moves with its contents, but not into itself nor to another drive.
  EXPECT_FALSE(p.MoveFileTo(L"C:\\T\\Box", L"C:\\T\\Box\\Inside"));
  EXPECT_FALSE(p.MoveFileTo(L"C:\\T\\Box", L"D:\\Box"));
  EXPECT_TRUE(p.MoveFileTo(L"C:\\T\\Box", L"C:\\T\\Crate"));
  EXPECT_EQ(p.FindFirst(L"C:\\T\\Crate\\inner.txt", kAttrNormal), L"inner.txt");
  EXPECT_EQ(p.FindFirst(L"C:\\T\\Box\\inner.txt", kAttrNormal), L"");
}

}  // namespace
}  // namespace vtr
