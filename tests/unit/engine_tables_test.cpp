// The install engine's decision tables: package names, interface levels, folder texts that may
// enter a command line, shell result codes and exit codes.
#include <gtest/gtest.h>

#include <functional>
#include <new>
#include <stdexcept>

#include "engine/msi_command.h"
#include "engine/outcome.h"
#include "engine/run_programs.h"
#include "sim/sim_platform.h"
#include "startup/main.h"
#include "util/paths.h"

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

TEST(LaunchForUser, EachFailureIsNamedAndTheProgramStartsInItsOwnFolder) {
  const std::wstring program = L"C:\\Apps\\vtr3.exe";
  const struct {
    const char* way;
    std::string text;
  } cases[] = {
      {"notFound",
       "Program Not Found: C:\\Apps\\vtr3.exe\rPlease verify that the path is correct or "
       "re-install Vantora Contact Management\r"},
      {"notStarted",
       "Sorry, Windows was not able to open your program: C:\\Apps\\vtr3.exe\rthe desktop's "
       "shell did not start it\r"},
  };
  for (const auto& c : cases) {
    SimPlatform p(nlohmann::json{{"faults", {{{"op", "StartAsDesktopUser"}, {"result", c.way}}}}});
    EXPECT_FALSE(LaunchForUser(p, program));
    const auto launched = p.Calls("StartAsDesktopUser");
    ASSERT_EQ(launched.size(), 1u);
    EXPECT_EQ(launched[0]["args"]["workFolder"], "C:\\Apps");
    const auto boxes = p.Calls("MsgBox");
    ASSERT_EQ(boxes.size(), 1u) << c.way;
    EXPECT_EQ(boxes[0]["args"]["text"], c.text);
  }
  for (const bool desktopShell : {true, false}) {
    SimPlatform started(nlohmann::json{{"desktopShell", desktopShell}});
    EXPECT_TRUE(LaunchForUser(started, program));
    EXPECT_TRUE(started.Calls("MsgBox").empty());
  }
}

TEST(ExitCodes, FromTheRunsOutcome) {
  Outcome plain;
  EXPECT_EQ(ExitCodeFor(plain), 0);
  plain.Meet(Result::Failure);
  EXPECT_EQ(ExitCodeFor(plain), 1603);
  Outcome restart;
  restart.Meet(Result::SuccessRestartNeeded);
  EXPECT_EQ(ExitCodeFor(restart), 3010);
  restart.Meet(Result::Failure);
  restart.Meet(Result::Success);
  EXPECT_EQ(ExitCodeFor(restart), 1603);  // a failure outranks the restart, and stays
  Outcome cancelled;
  cancelled.Meet(Result::Cancelled);
  cancelled.Meet(Result::Failure);
  EXPECT_EQ(ExitCodeFor(cancelled), 1602);
}

// Windows Installer's answer decides the run's exit code: 3010 is a success that asks for a
// restart, 1641 one whose restart Windows Installer started, 1618 a busy installer (retry
// later); anything else but 0 is a failure the user is told of.
TEST(ExitCodes, FromWindowsInstallersAnswer) {
  const struct {
    uint32_t msiexec;
    int exit;
    std::string box;  // the start of the one box, or "" for none
  } cases[] = {
      {0, 0, ""},
      {1641, 1641, ""},
      {1618, 1618, "Windows Installer did not complete the installation (error 1618):"},
      {3010, 3010, ""},
      {1602, 1603, "The installation was cancelled:"},
      {1603, 1603, "Windows Installer did not complete the installation (error 1603):"},
  };
  for (const auto& c : cases) {
    SimPlatform p(nlohmann::json{{"commandLine", "S"},
                                 {"files", {"C:\\Downloads\\vtr3p.msi"}},
                                 {"processes", {{{"match", "msiexec"}, {"exitCode", c.msiexec}}}}});
    EXPECT_EQ(Main(p, p.EditionId()), c.exit) << c.msiexec;
    const auto boxes = p.Calls("MsgBox");
    if (c.box.empty()) {
      EXPECT_TRUE(boxes.empty()) << c.msiexec << ": " << boxes.front().dump();
    } else {
      ASSERT_EQ(boxes.size(), 1u) << c.msiexec;
      EXPECT_EQ(boxes[0]["args"]["text"].get<std::string>().rfind(c.box, 0), 0u) << boxes[0].dump();
    }
  }
}

// What the engine does depends on what Windows Installer says is installed. When it cannot say
// for a product the run needs, the run is refused: nothing is stopped, unregistered or run.
TEST(UnknownProductStates, RefuseTheRunThatNeedsThem) {
  const nlohmann::json bothInstalled = {{"{590454A0-A293-4ECE-AB62-FD940586A43C}", 5},
                                        {"{9A3E077B-AC17-4655-AE22-D73047814448}", 5}};
  const nlohmann::json queryFails = {{"number", -2147352567},
                                     {"description", "Exception occurred."}};
  const struct {
    const char* what;
    nlohmann::json scenario;
  } cases[] = {
      // Only the database's query fails, also when the engine asks again.
      {"S DB REMOVE, the database's query failing",
       {{"commandLine", "S DB REMOVE"},
        {"installer",
         {{"productStates", bothInstalled},
          {"productStateFails", {{"{9A3E077B-AC17-4655-AE22-D73047814448}", queryFails}}}}}}},
      // A database removal takes the program's switch, so the program's state is needed too;
      // start-up found both installed, the engine's own query of the program fails.
      {"a wizard removal of the database alone, the program's query failing in the engine",
       {{"installer", {{"productStates", bothInstalled}}},
        {"faults", {{{"op", "ProductState"}, {"call", 3}, {"number", 70}}}},
        {"events",
         {{{"click", "cmdOpt"}, {"index", 5}},
          {{"check", "ckOpt"}, {"index", 2}, {"value", 0}},
          {{"check", "ckOpt"}, {"index", 3}, {"value", 1}},
          {{"click", "cmdFinish"}}}}}},
  };
  for (const auto& c : cases) {
    nlohmann::json scenario = c.scenario;
    scenario["files"] = {"C:\\Downloads\\vtr3p.msi", "C:\\Downloads\\vtr3db.msi"};
    SimPlatform p(scenario);
    EXPECT_EQ(Main(p, p.EditionId()), 1603) << c.what;
    EXPECT_TRUE(p.Calls("StartProcess").empty()) << c.what;
    const auto boxes = p.Calls("MsgBox");
    ASSERT_FALSE(boxes.empty()) << c.what;
    EXPECT_EQ(boxes.back()["args"]["text"].get<std::string>().rfind(
                  "Unable to ask Windows Installer which products are installed.\r", 0),
              0u)
        << c.what << ": " << boxes.back().dump();
    EXPECT_TRUE(p.ScenarioErrors().empty()) << c.what;
  }
}

// A Windows whose version query throws what the test gives it, in the middle of start-up.
class ThrowingWindows final : public SimPlatform {
 public:
  ThrowingWindows(const nlohmann::json& scenario, std::function<void()> thrower)
      : SimPlatform(scenario), thrower_(std::move(thrower)) {}
  OsVersionRecord OsVersion() override {
    thrower_();
    return SimPlatform::OsVersion();
  }

 private:
  std::function<void()> thrower_;
};

TEST(ExitCodes, AnythingEscapingTheRunIsAFailureSaidInOneLine) {
  const struct {
    std::function<void()> thrower;
    std::string what;
  } cases[] = {
      {[] { throw std::bad_alloc(); }, "Out of memory (7)"},
      {[] { throw std::length_error("basic_string::_M_create"); }, "basic_string::_M_create"},
      {[] { throw 42; }, "an exception of unknown kind"},
  };
  for (const auto& c : cases) {
    ThrowingWindows p(
        nlohmann::json{{"commandLine", "S LOG"}, {"files", {"C:\\Downloads\\vtr3p.msi"}}},
        c.thrower);
    EXPECT_EQ(Main(p, p.EditionId()), 1603) << c.what;
    const std::string line =
        "the run stopped on an unexpected error: " + c.what + ". The run failed.";
    const auto errors = p.Calls("WriteStandardError");
    ASSERT_EQ(errors.size(), 1u) << c.what;
    EXPECT_EQ(errors[0]["args"]["line"], "VTR Setup: " + line);
    std::vector<std::string> log;
    for (const auto& call : p.Calls("WriteLogLine")) {
      log.push_back(call["args"]["line"]);
    }
    ASSERT_GE(log.size(), 3u);
    const std::string run = "[WS01-20240501-102233-4242] ";  // the run's id, on every line
    EXPECT_EQ(log[log.size() - 3], run + line);
    EXPECT_EQ(log[log.size() - 2].substr(0, run.size() + 16), run + "exit code: 1603 ");
    EXPECT_TRUE(p.Calls("StartProcess").empty()) << "nothing runs after " << c.what;
  }
}

}  // namespace
}  // namespace vtr
