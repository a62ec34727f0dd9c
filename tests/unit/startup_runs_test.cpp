// What start-up makes of LOG, LOG="<folder>" and LOG="<file>", and the wait a silent run makes
// while something else is busy, played on the simulated Windows.
#include <gtest/gtest.h>

#include <string>

#include "engine/outcome.h"
#include "engine/waiting.h"
#include "sim/sim_platform.h"
#include "startup/main.h"

namespace vtr {
namespace {

// The setup log's path as the run made it, "" when it made none, and the exit code.
std::pair<std::string, int> LogOfRun(const std::string& commandLine, bool administrator) {
  SimPlatform p(nlohmann::json{{"commandLine", commandLine},
                               {"administrator", administrator},
                               {"files", {"C:\\Downloads\\vtr3p.msi"}},
                               {"answers", {{"msgbox", {"OK"}}}}});
  const int code = Main(p, p.EditionId());
  const auto made = p.Calls("CreateLogFile");
  return {made.empty() ? "" : made[0]["args"]["path"].get<std::string>(), code};
}

TEST(LogFolder, OneWordWithItsQuotesAndBlanks) {
  const std::string name = R"(\VTR Setup WS01-20240501-102233-4242.log)";
  const struct {
    const char* commandLine;
    bool administrator;
    std::string logPath;  // "" for none
    int exitCode;
  } cases[] = {
      {R"(S LOG="C:\Setup Logs\Vantora CM" NORESTART)", true, R"(C:\Setup Logs\Vantora CM)" + name,
       kExitSuccess},
      {R"(s log=C:\Logs)", true, R"(C:\Logs)" + name, kExitSuccess},
      {R"(S LOG="C:\Logs\\")", true, R"(C:\Logs)" + name, kExitSuccess},
      {R"(S LOG="C:\")", true, R"(C:)" + name, kExitSuccess},
      // A file's name names the log's file, also at a drive's root; a closing separator or no
      // full path does not.
      {R"(S LOG="C:\vtr.log")", true, R"(C:\vtr.log)", kExitSuccess},
      {R"(S LOG="C:\Logs\vtr.log\\")", true, R"(C:\Logs\vtr.log)" + name, kExitSuccess},
      {R"(S LOG=vtr.log)", true, "", kExitSuccess},
      // Without a folder: where only administrators can write, unless the run has no such rights.
      {R"(S LOG)", true, R"(C:\ProgramData\Vantora\Setup Logs)" + name, kExitSuccess},
      {R"(S LOG)", false, R"(C:\users\user\AppData\Local\Temp)" + name, kExitSuccess},
      // A quote left open, or no folder at all: the usage box, and nothing runs.
      {R"(S LOG="C:\Setup Logs DB)", true, "", kExitUsage},
      {R"(S LOG=)", true, "", kExitUsage},
      {R"(S LOG="C:\a"b)", true, "", kExitUsage},
  };
  for (const auto& c : cases) {
    const auto [path, code] = LogOfRun(c.commandLine, c.administrator);
    EXPECT_EQ(path, c.logPath) << c.commandLine;
    EXPECT_EQ(code, c.exitCode) << c.commandLine;
  }
}

TEST(BusyWait, GoesOnOnceFreeAndGivesUpAfterTheLimit) {
  for (const int polls : {0, 3}) {
    SimPlatform p(nlohmann::json{{"installerBusy", polls}});
    int asked = 0;
    EXPECT_TRUE(WaitWhileBusy(
        p, kShippedWaitLimitMs,
        [&] {
          ++asked;
          return p.NamedMutexExists(kInstallerBusyMutex);
        },
        L"busy"));
    EXPECT_EQ(asked, polls + 1);
    EXPECT_EQ(p.Calls("WriteStandardError").size(), polls > 0 ? 1u : 0u);
  }

  SimPlatform p(nlohmann::json{{"installerBusy", "always"}});
  EXPECT_FALSE(WaitWhileBusy(
      p, kShippedWaitLimitMs, [&] { return p.NamedMutexExists(kInstallerBusyMutex); },
      L"Windows Installer is busy"));
  const auto errors = p.Calls("WriteStandardError");
  ASSERT_EQ(errors.size(), 1u) << "the waiting line is written once";
  EXPECT_EQ(errors[0]["args"]["line"], "VTR Setup: Windows Installer is busy");
  // Ten minutes went by on the simulated clock.
  EXPECT_EQ(p.Now().minute, 32);
}

}  // namespace
}  // namespace vtr
