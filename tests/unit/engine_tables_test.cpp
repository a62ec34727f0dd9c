// The install engine's decision tables: package names, interface levels, folder texts that may
// enter a command line, shell result codes and exit codes.
#include <gtest/gtest.h>

#include "engine/msi_command.h"
#include "engine/outcome.h"
#include "engine/run_programs.h"
#include "sim/sim_platform.h"

namespace vtr {
namespace {

TEST(PackageNames, ByEditionAndMode) {
  EXPECT_EQ(ProgramPackageName(true, false), L"vtr3p.msi");
  EXPECT_EQ(ProgramPackageName(true, true), L"vtr3p_update.msi");
  EXPECT_EQ(ProgramPackageName(false, false), L"vtr3l.msi");
  EXPECT_EQ(ProgramPackageName(false, true), L"vtr3l_update.msi");
  EXPECT_EQ(DatabasePackageName(true, false), L"vtr3db.msi");
  EXPECT_EQ(DatabasePackageName(true, true), L"vtr3db_update.msi");
  EXPECT_EQ(DatabasePackageName(false, false), L"vtr3dbl.msi");
  EXPECT_EQ(DatabasePackageName(false, true), L"vtr3dbl_update.msi");
}

TEST(InterfaceLevels, ProgramPackage) {
  // silent, remove, repair, full UI
  EXPECT_EQ(ProgramLevel(true, true, true, true), L" /qn");
  EXPECT_EQ(ProgramLevel(false, true, false, true), L" /qb /norestart");
  EXPECT_EQ(ProgramLevel(false, false, true, true), L" /qb /norestart");
  EXPECT_EQ(ProgramLevel(false, false, false, true), L" /qf");
  EXPECT_EQ(ProgramLevel(false, false, false, false), L" /qb-");
}

TEST(InterfaceLevels, DatabasePackage) {
  // silent, remove, repair, installed, full UI
  EXPECT_EQ(DatabaseLevel(true, false, false, true, true), L" /qn");
  EXPECT_EQ(DatabaseLevel(false, false, true, false, false), L" /qf");   // repair, not there
  EXPECT_EQ(DatabaseLevel(false, false, false, true, false), L" /qf");   // install over it
  EXPECT_EQ(DatabaseLevel(false, false, false, false, false), L" /qb");  // new install
  EXPECT_EQ(DatabaseLevel(false, false, true, true, true), L" /qb");     // repair
  EXPECT_EQ(DatabaseLevel(false, true, false, true, true), L" /qb");     // remove
  EXPECT_EQ(DatabaseLevel(false, true, true, true, true), L" /qf");      // both: full UI flag
  EXPECT_EQ(DatabaseLevel(false, true, true, true, false), L" /qb-");
}

TEST(FolderTexts, CharactersWindowsNeverAllowsStayOutOfCommandLines) {
  EXPECT_TRUE(IsSafeFolderText(L"C:\\Program Files (x86)\\Vantora Contact Management"));
  EXPECT_TRUE(IsSafeFolderText(L"D:/Shared/Vantora Data"));
  EXPECT_TRUE(IsSafeFolderText(L"C:\\Données\\Büro's & Co; 100%"));
  EXPECT_TRUE(IsSafeFolderText(L""));
  for (const wchar_t* bad : {L"C:\\a\" /qn REBOOT=Force", L"C:\\a<b", L"C:\\a>b", L"C:\\a|b",
                             L"C:\\a*", L"C:\\a?", L"C:\\a\tb", L"C:\\a\rb", L"C:\\a\nb"}) {
    EXPECT_FALSE(IsSafeFolderText(bad)) << bad;
  }
  EXPECT_FALSE(IsSafeFolderText(std::wstring(L"C:\\a") + wchar_t(1)));
}

TEST(ShellResults, Classified) {
  EXPECT_EQ(ClassifyShellResult(42), ShellOutcome::Started);
  EXPECT_EQ(ClassifyShellResult(32), ShellOutcome::Started);
  EXPECT_EQ(ClassifyShellResult(31), ShellOutcome::NoAssociation);
  EXPECT_EQ(ClassifyShellResult(2), ShellOutcome::FileNotFound);
  EXPECT_EQ(ClassifyShellResult(3), ShellOutcome::PathNotFound);
  EXPECT_EQ(ClassifyShellResult(0), ShellOutcome::Failed);
  EXPECT_EQ(ClassifyShellResult(5), ShellOutcome::Failed);
  EXPECT_EQ(ClassifyShellResult(-1), ShellOutcome::Failed);
}

TEST(RunProgram, EachShellFailureIsNamedAndTheProgramStartsInItsOwnFolder) {
  const std::wstring program = L"C:\\Apps\\vtr3.exe";
  const struct {
    int result;
    std::string text;
  } cases[] = {
      {2,
       "Program Not Found: C:\\Apps\\vtr3.exe\rPlease verify that the path is correct or "
       "re-install Vantora Contact Management\r"},
      {3, "Path not found:C:\\Apps\\vtr3.exe"},
      {31, "Windows does not have a program associated for: C:\\Apps\\vtr3.exe"},
      {5, "Sorry, Windows was not able to open your program: 5"},
  };
  for (const auto& c : cases) {
    SimPlatform p(nlohmann::json{{"shell", {{{"match", "vtr3.exe"}, {"result", c.result}}}}});
    EXPECT_FALSE(SYS_RunProgram(p, program, L""));
    const auto opened = p.Calls("ShellOpen");
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0]["args"]["workFolder"], "C:\\Apps");
    const auto boxes = p.Calls("MsgBox");
    ASSERT_EQ(boxes.size(), 1u) << c.result;
    EXPECT_EQ(boxes[0]["args"]["text"], c.text);
  }
  SimPlatform started(nlohmann::json::object());
  EXPECT_TRUE(SYS_RunProgram(started, program, L""));
  EXPECT_TRUE(started.Calls("MsgBox").empty());
}

TEST(ExitCodes, FromTheRunsOutcome) {
  Outcome plain;
  EXPECT_EQ(ExitCodeFor(plain), 0);
  plain.failed = true;
  EXPECT_EQ(ExitCodeFor(plain), 1603);
  Outcome restart;
  restart.restartNeeded = true;
  EXPECT_EQ(ExitCodeFor(restart), 3010);
  restart.failed = true;
  EXPECT_EQ(ExitCodeFor(restart), 1603);  // a failure outranks the restart
  Outcome cancelled;
  cancelled.cancelled = true;
  cancelled.failed = true;
  EXPECT_EQ(ExitCodeFor(cancelled), 1602);
}

}  // namespace
}  // namespace vtr
