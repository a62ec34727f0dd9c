// The simulator's own behaviour that scenario tests rely on: reading scenarios, scripted and
// unscripted dialogs, injected faults, the installer, processes and their effects, the
// shell, the settings store, and the transcript's form.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "sim/sim_platform.h"

namespace vtr {
namespace {

using nlohmann::json;

// The message of the std::invalid_argument a scenario is refused with; "" when accepted.
std::string Refusal(const json& scenario) {
  try {
    SimPlatform p(scenario);
  } catch (const std::invalid_argument& e) {
    return e.what();
  }
  return "";
}

TEST(SimScenario, RefusalsNameTheField) {
  EXPECT_EQ(Refusal(json::object()), "");
  EXPECT_NE(Refusal(json::array()).find("expected an object"), std::string::npos);
  EXPECT_NE(Refusal(json{{"osVersion", {{"major", "six"}}}}).find("osVersion.major"),
            std::string::npos);
  EXPECT_NE(Refusal(json{{"answer", json::object()}}).find("unknown field \"answer\""),
            std::string::npos);
  EXPECT_NE(Refusal(json{{"files", {{{"path", "Data\\x.txt"}}}}}).find("files[0].path"),
            std::string::npos);
  EXPECT_NE(Refusal(json{{"files", {"C:\\a", "C:\\a\\b"}}}).find("files[1]"), std::string::npos);
  EXPECT_NE(Refusal(json{{"files", {"C:\\a", "c:/A"}}}).find("there already"), std::string::npos);
  EXPECT_NE(Refusal(json{{"answers", {{"msgbox", {"Yes", "Maybe"}}}}}).find("answers.msgbox[1]"),
            std::string::npos);
  EXPECT_NE(Refusal(json{{"faults", {{{"op", "MsgBx"}, {"number", 5}}}}}).find("MsgBx"),
            std::string::npos);
  EXPECT_NE(Refusal(json{{"faults", {{{"op", "MsgBox"}, {"number", 12345}}}}})
                .find("needs a \"description\""),
            std::string::npos);
  EXPECT_NE(Refusal(json{{"faults", {{{"op", "MsgBox"}, {"call", 0}, {"number", 5}}}}})
                .find("faults[0].call"),
            std::string::npos);
  EXPECT_NE(Refusal(json{{"installer", {{"productStates", {{"{X}", 5.5}}}}}})
                .find("installer.productStates.{X}"),
            std::string::npos);
  EXPECT_NE(Refusal(json{{"folders", {{"thirty-five", "C:\\x"}}}}).find("folders.thirty-five"),
            std::string::npos);
  EXPECT_NE(Refusal(json{{"ownFileName", "C:\\Setup"}}).find("ownFileName"), std::string::npos);
  // Text that is not UTF-8 is refused, not passed on.
  EXPECT_NE(Refusal(json{{"commandLine", std::string("S \xC3")}})
                .find("commandLine: the text is "
                      "not valid UTF-8"),
            std::string::npos);
  EXPECT_NE(Refusal(json{{"commandLine", std::string("\xED\xA0\x80")}}).find("not valid UTF-8"),
            std::string::npos);
}

TEST(SimScenario, IdentityAndSystemDefaults) {
  SimPlatform p(json::object());
  EXPECT_EQ(p.EditionId(), VTR_EDITION_ID);
  EXPECT_EQ(p.OwnFileName(), L"SetupVTR");
  EXPECT_EQ(p.OwnFolder(), L"C:\\Downloads");
  EXPECT_EQ(p.OwnTitle(), L"VTR Setup");
  EXPECT_EQ(p.CommandLine(), L"");
  const AppVersion v = p.OwnVersion();
  EXPECT_EQ(v.major * 10000 + v.minor * 100 + v.revision, 10600);

  const OsVersionRecord os = p.OsVersion();
  EXPECT_EQ(os.platformId, 2);
  EXPECT_EQ(os.major, 6);
  EXPECT_EQ(os.minor, 1);
  EXPECT_EQ(os.build, 7601);
  // The whole 128-character field: the text, its NUL, then the blanks it was preset with.
  ASSERT_EQ(os.servicePack.size(), 128u);
  EXPECT_EQ(os.servicePack.substr(0, 15), std::wstring(L"Service Pack 1") + L'\0');
  EXPECT_EQ(os.servicePack.find_first_not_of(L' ', 15), std::wstring::npos);

  EXPECT_EQ(p.FolderPath(35), L"C:\\ProgramData");
  EXPECT_EQ(p.SpecialFolderPath(42), L"C:\\Program Files (x86)");
  EXPECT_EQ(p.SpecialFolderPath(40), L"C:\\users\\user");
  EXPECT_EQ(p.FolderPath(999), std::nullopt);
  EXPECT_EQ(p.SpecialFolderPath(999), L"");
  EXPECT_EQ(p.SystemFolder(), L"C:\\windows\\system32");
}

TEST(SimScenario, SystemOverrides) {
  SimPlatform p(json{{"editionId", "VTRPRO_WS"},
                     {"ownFolder", "E:\\Media\\"},
                     {"userName", "Anna"},
                     {"osVersion", {{"major", 5}, {"servicePack", "Service Pack 3"}}},
                     {"folders", {{"35", "D:\\Common"}, {"42", nullptr}}},
                     {"folderPath", {{"35", nullptr}}},
                     {"specialFolderPath", {{"38", "C:\\"}}},
                     {"systemFolder", nullptr}});
  EXPECT_EQ(p.EditionId(), L"VTRPRO_WS");
  EXPECT_EQ(p.OwnFolder(), L"E:\\Media");
  EXPECT_EQ(p.OsVersion().major, 5);
  EXPECT_EQ(p.OsVersion().minor, 1);  // the fields not given keep their defaults
  EXPECT_EQ(p.OsVersion().servicePack.substr(0, 15), std::wstring(L"Service Pack 3") + L'\0');
  EXPECT_EQ(p.FolderPath(35), std::nullopt);          // the per-query override wins
  EXPECT_EQ(p.SpecialFolderPath(35), L"D:\\Common");  // the shared answer
  EXPECT_EQ(p.SpecialFolderPath(42), L"");            // null: the query fails
  EXPECT_EQ(p.SpecialFolderPath(38), L"C:\\");        // given as Windows would, root and all
  EXPECT_EQ(p.FolderPath(5), L"C:\\users\\Anna\\Documents");
  EXPECT_EQ(p.SystemFolder(), L"");

  SimPlatform failed(json{{"osVersion", "fails"}});
  const OsVersionRecord os = failed.OsVersion();
  EXPECT_EQ(os.platformId + os.major + os.minor + os.build, 0);
  EXPECT_EQ(os.servicePack, L"");
}

TEST(SimDialogs, ScriptedAnswersInOrderPerKind) {
  SimPlatform p(json{{"answers",
                      {{"msgbox", {"No", "cancel", "OK"}},
                       {"inputbox", {"typed", nullptr}},
                       {"folderPicker", {"D:\\Shared", nullptr}}}}});
  EXPECT_EQ(p.MsgBox(L"Q1", MsgButtons::YesNo, MsgIcon::Question, std::nullopt), MsgAnswer::No);
  EXPECT_EQ(p.InputBox(L"Name?", L"T", L"proposed"), L"typed");
  EXPECT_EQ(p.MsgBox(L"Q2", MsgButtons::YesNoCancel, MsgIcon::None, L"Title"), MsgAnswer::Cancel);
  EXPECT_EQ(p.BrowseForFolder(L"Pick", true), L"D:\\Shared");
  EXPECT_EQ(p.InputBox(L"Name?", L"T", L"proposed"), L"");  // null: Cancel
  EXPECT_EQ(p.BrowseForFolder(L"Pick", false), std::nullopt);
  EXPECT_EQ(p.MsgBox(L"Done", MsgButtons::Ok, MsgIcon::None, std::nullopt), MsgAnswer::Ok);
  EXPECT_EQ(p.UnscriptedDialogs(), 0);
  EXPECT_TRUE(p.UnusedAnswers().empty());
  EXPECT_TRUE(p.ScenarioErrors().empty());
  const auto boxes = p.Calls("MsgBox");
  ASSERT_EQ(boxes.size(), 3u);
  EXPECT_EQ(boxes[1].dump(),
            R"({"op":"MsgBox","args":{"text":"Q2","buttons":"YesNoCancel","icon":"None",)"
            R"("title":"Title"},"result":"Cancel"})");
}

TEST(SimDialogs, UnscriptedDefaultsAreMarked) {
  SimPlatform p(json{{"answers", {{"msgbox", {"No"}}, {"inputbox", json::array()}}}});
  EXPECT_EQ(p.MsgBox(L"a", MsgButtons::YesNo, MsgIcon::None, std::nullopt), MsgAnswer::No);
  EXPECT_EQ(p.MsgBox(L"b", MsgButtons::YesNo, MsgIcon::None, std::nullopt), MsgAnswer::Yes);
  EXPECT_EQ(p.MsgBox(L"c", MsgButtons::OkCancel, MsgIcon::None, std::nullopt), MsgAnswer::Ok);
  EXPECT_EQ(p.InputBox(L"p", L"t", L"the default"), L"the default");
  EXPECT_EQ(p.BrowseForFolder(L"Pick", false), std::nullopt);
  EXPECT_EQ(p.UnscriptedDialogs(), 4);
  const auto& lines = p.Transcript();
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_FALSE(lines[0].contains("unscripted"));
  for (std::size_t i = 1; i < lines.size(); ++i) {
    EXPECT_EQ(lines[i]["unscripted"], true) << lines[i].dump();
  }
  EXPECT_TRUE(lines[4]["result"].is_null());
}

TEST(SimDialogs, AnswerThatFitsNoButtonIsReported) {
  SimPlatform p(json{{"answers", {{"msgbox", {"Cancel", "No"}}}}});
  EXPECT_EQ(p.MsgBox(L"a", MsgButtons::YesNo, MsgIcon::None, std::nullopt), MsgAnswer::Yes);
  EXPECT_EQ(p.MsgBox(L"b", MsgButtons::Ok, MsgIcon::None, std::nullopt), MsgAnswer::Ok);
  ASSERT_EQ(p.ScenarioErrors().size(), 2u);
  EXPECT_EQ(p.Transcript()[0]["error"],
            "the scripted answer Cancel is not a button of this box (Yes, No); answered Yes");
  EXPECT_EQ(p.Transcript()[1]["result"], "OK");

  SimPlatform q(json{{"answers", {{"msgbox", {"Yes", "No"}}, {"folderPicker", {"D:\\"}}}}});
  q.MsgBox(L"a", MsgButtons::YesNo, MsgIcon::None, std::nullopt);
  EXPECT_EQ(q.UnusedAnswers(),
            (std::vector<std::string>{"1 scripted msgbox answer was not used",
                                      "1 scripted folderPicker answer was not used"}));
}

TEST(SimFaults, ByOperationAndCallCount) {
  SimPlatform p(json{{"faults",
                      {{{"op", "GetSetting"}, {"call", 2}, {"number", 5}},
                       {{"op", "SystemFolder"}, {"number", 7}, {"description", "No memory"}},
                       {{"op", "ProductState"}, {"call", 1}, {"number", 13}}}}});
  EXPECT_EQ(p.GetSetting(L"A", L"S", L"K", L"d"), L"d");
  try {
    p.GetSetting(L"A", L"S", L"K", L"d");
    ADD_FAILURE() << "the second call should raise";
  } catch (const RunError& e) {
    EXPECT_EQ(e.number, 5);
    EXPECT_EQ(e.description, L"Invalid procedure call or argument");  // the runtime's own text
  }
  EXPECT_EQ(p.GetSetting(L"A", L"S", L"K", L"d"), L"d");
  for (int i = 0; i < 2; ++i) {  // no call number: every call
    EXPECT_THROW(p.SystemFolder(), RunError);
  }
  const auto installer = p.CreateInstaller();
  EXPECT_THROW(installer->ProductState(L"{A}"), RunError);
  EXPECT_EQ(installer->ProductState(L"{A}"), -1);

  const auto raised = p.Calls("GetSetting")[1];
  EXPECT_FALSE(raised.contains("result"));
  EXPECT_EQ(raised["raised"].dump(),
            R"({"number":5,"description":"Invalid procedure call or argument"})");
  EXPECT_EQ(p.Calls("SystemFolder")[0]["raised"]["description"], "No memory");
}

TEST(SimFaults, ResultsThatReportFailure) {
  SimPlatform p(json{{"files", {"C:\\a.txt"}},
                     {"faults",
                      {{{"op", "StartProcess"}, {"call", 1}, {"result", nullptr}},
                       {{"op", "Wait"}, {"call", 1}, {"result", false}},
                       {{"op", "ExitCode"}, {"call", 2}, {"result", 1603}},
                       {{"op", "StartAsDesktopUser"}, {"result", "notStarted"}},
                       {{"op", "MoveFileTo"}, {"result", false}},
                       {{"op", "FolderPath"}, {"call", 1}, {"result", nullptr}},
                       {{"op", "SystemFolder"}, {"result", ""}}}}});
  EXPECT_EQ(p.StartProcess(L"C:\\x.exe", L"x", L"C:\\"), nullptr);
  const auto child = p.StartProcess(L"C:\\x.exe", L"x", L"C:\\");
  ASSERT_NE(child, nullptr);
  EXPECT_FALSE(child->Wait(-1));
  EXPECT_EQ(child->ExitCode(), std::nullopt);  // the failed wait left it running
  EXPECT_TRUE(child->Wait(-1));
  EXPECT_EQ(child->ExitCode(), 1603u);
  EXPECT_EQ(p.StartAsDesktopUser(L"C:\\x.exe", L"C:\\").way, LaunchWay::NotStarted);
  EXPECT_FALSE(p.MoveFileTo(L"C:\\a.txt", L"C:\\b.txt"));
  EXPECT_EQ(p.FinalState()["files"][0]["path"], "C:\\a.txt");  // nothing moved
  EXPECT_EQ(p.FolderPath(35), std::nullopt);
  EXPECT_EQ(p.FolderPath(35), L"C:\\ProgramData");
  EXPECT_EQ(p.SystemFolder(), L"");
  EXPECT_EQ(p.Calls("StartProcess")[0]["result"], nullptr);
  EXPECT_EQ(p.Calls("Wait")[0]["result"], false);

  // Only what an operation can answer, and only where it reports failure through its result.
  EXPECT_NE(Refusal(json{{"faults", {{{"op", "GetSetting"}, {"result", ""}}}}})
                .find("reports failure only by raising"),
            std::string::npos);
  EXPECT_NE(Refusal(json{{"faults", {{{"op", "StartAsDesktopUser"}, {"result", "2"}}}}})
                .find("faults[0].result"),
            std::string::npos);
}

TEST(SimInstaller, StatesAndFailures) {
  SimPlatform p(json{{"installer",
                      {{"productStates", {{"{AAAA-1}", 5}, {"{bbbb-2}", 1}}},
                       {"productStateFails",
                        {{"{CCCC-3}", {{"number", -2147352567}, {"description", "Bad code"}}}}}}}});
  const auto installer = p.CreateInstaller();
  EXPECT_EQ(installer->ProductState(L"{aaaa-1}"), 5);  // codes compare ignoring case
  EXPECT_EQ(installer->ProductState(L"{BBBB-2}"), 1);
  EXPECT_EQ(installer->ProductState(L"{DDDD-4}"), -1);
  try {
    installer->ProductState(L"{CCCC-3}");
    ADD_FAILURE() << "the product query should raise";
  } catch (const RunError& e) {
    EXPECT_EQ(e.number, -2147352567);
    EXPECT_EQ(e.description, L"Bad code");
  }

  SimPlatform broken(json{{"installer", {{"fails", {{"number", 429}}}}}});
  try {
    broken.CreateInstaller();
    ADD_FAILURE() << "the object should not be created";
  } catch (const RunError& e) {
    EXPECT_EQ(e.number, 429);
    EXPECT_EQ(e.description, L"ActiveX component can't create object");
  }
  EXPECT_TRUE(broken.Calls("CreateInstaller")[0].contains("raised"));
}

TEST(SimProcesses, RulesAndEffectsAtTheWait) {
  SimPlatform p(
      json{{"installer", {{"productStates", {{"{PROG}", 2}}}}},
           {"processes",
            {{{"match", "NOSUCH.EXE"}, {"started", false}},
             {{"match", "vtr.msi"},
              {"exitCode", 1603},
              {"setProductStates", {{"{PROG}", 5}, {"{NEW}", 5}}},
              {"createFiles",
               {{{"path", "C:\\VTR\\vtr3.exe"}}, {{"path", "C:\\VTR\\Bin"}, {"folder", true}}}},
              {"removeFiles", {"C:\\Old"}}},
             {{"match", "msiexec"}, {"exitCode", 3010}}}},
           {"files", {"C:\\Old\\stale.txt"}}});
  EXPECT_EQ(p.StartProcess(L"", L"nosuch.exe /x", L"C:\\"), nullptr);

  // The first matching rule applies, matched ignoring case.
  auto child = p.StartProcess(L"C:\\windows\\system32\\msiexec.exe",
                              L"msiexec.exe /I \"C:\\Downloads\\VTR.MSI\"", L"C:\\Downloads");
  ASSERT_NE(child, nullptr);
  EXPECT_EQ(child->ExitCode(), std::nullopt);  // still running
  const auto installer = p.CreateInstaller();
  EXPECT_EQ(installer->ProductState(L"{PROG}"), 2);  // nothing happens before the wait
  EXPECT_EQ(p.FindFirst(L"C:\\Old\\stale.txt", kAttrNormal), L"stale.txt");
  EXPECT_TRUE(child->Wait(-1));
  EXPECT_EQ(child->ExitCode(), 1603u);
  EXPECT_EQ(installer->ProductState(L"{PROG}"), 5);
  EXPECT_EQ(installer->ProductState(L"{NEW}"), 5);
  EXPECT_EQ(p.FindFirst(L"C:\\VTR\\vtr3.exe", kAttrNormal), L"vtr3.exe");
  EXPECT_EQ(p.FindFirst(L"C:\\Old", kAttrAll), L"");
  EXPECT_TRUE(child->Wait(-1));  // a second wait changes nothing

  // Another rule; and no rule at all: started, exit code 0.
  auto repair = p.StartProcess(L"", L"MSIEXEC /f vtr_db.msi", L"");
  auto other = p.StartProcess(L"", L"regsvr32 /s vtremail.dll", L"");
  repair->Wait(5000);
  other->Wait(-1);
  EXPECT_EQ(repair->ExitCode(), 3010u);
  EXPECT_EQ(other->ExitCode(), 0u);

  const auto started = p.Calls("StartProcess");
  ASSERT_EQ(started.size(), 4u);
  EXPECT_TRUE(started[0]["result"].is_null());
  EXPECT_EQ(started[1]["result"], 1);
  EXPECT_EQ(started[1]["args"]["application"], "C:\\windows\\system32\\msiexec.exe");
  EXPECT_EQ(p.Calls("Wait")[0]["args"].dump(), R"({"process":1,"timeoutMs":-1})");

  const auto final = p.FinalState();
  EXPECT_EQ(final["productStates"].dump(), R"({"{NEW}":5,"{PROG}":5})");
  EXPECT_EQ(final["files"].dump(),
            R"([{"path":"C:\\VTR\\Bin","folder":true},{"path":"C:\\VTR\\vtr3.exe"}])");
}

TEST(SimProcesses, EffectsOfAProcessNobodyWaitsFor) {
  SimPlatform p(json{{"processes", {{{"match", "setup"}, {"createFiles", {"C:\\Done.txt"}}}}}});
  p.StartProcess(L"", L"setup.exe", L"").reset();  // the handle goes; the process ran on
  EXPECT_EQ(p.FindFirst(L"C:\\Done.txt", kAttrNormal), L"Done.txt");
}

TEST(SimProcesses, HandlesThatOutliveTheirPlatformDoNoHarm) {
  auto p = std::make_unique<SimPlatform>(json::object());
  auto child = p->StartProcess(L"", L"setup.exe", L"");
  auto installer = p->CreateInstaller();
  p.reset();
  EXPECT_TRUE(child->Wait(-1));
  EXPECT_EQ(child->ExitCode(), std::nullopt);
  EXPECT_THROW(installer->ProductState(L"{A}"), RunError);
}

TEST(SimShell, DesktopShellOrOwnProcess) {
  SimPlatform withShell(json::object());
  EXPECT_EQ(withShell.StartAsDesktopUser(L"C:\\VTR\\vtr3.exe", L"C:\\VTR").way,
            LaunchWay::DesktopShell);
  EXPECT_EQ(withShell.Calls("StartAsDesktopUser")[0]["args"].dump(),
            R"({"program":"C:\\VTR\\vtr3.exe","workFolder":"C:\\VTR"})");
  SimPlatform noShell(json{{"desktopShell", false}});
  EXPECT_EQ(noShell.StartAsDesktopUser(L"C:\\VTR\\vtr3.exe", L"C:\\VTR").way,
            LaunchWay::OwnProcess);
}

TEST(SimSettings, StoreIgnoresCaseAndKeepsFirstNames) {
  SimPlatform p(json{{"settings", {{"VTRPRO_3", {{"StartUp", {{"AppPath", "D:\\VTR"}}}}}}}});
  EXPECT_EQ(p.GetSetting(L"vtrpro_3", L"startup", L"APPPATH", L""), L"D:\\VTR");
  EXPECT_EQ(p.GetSetting(L"VTRPRO_3", L"StartUp", L"DBPath", L"none"), L"none");
  p.SaveSetting(L"VTRPRO_3", L"STARTUP", L"apppath", L"E:\\New");
  p.SaveSetting(L"VTRPRO_3", L"StartUp", L"Ver", L"3.3.0");
  p.SaveSetting(L"VTRLITE", L"StartUp", L"Ver", L"1.0");
  EXPECT_EQ(p.GetSetting(L"VTRPRO_3", L"StartUp", L"AppPath", L""), L"E:\\New");
  EXPECT_EQ(p.FinalState()["settings"].dump(),
            R"({"VTRLITE":{"StartUp":{"Ver":"1.0"}},)"
            R"("VTRPRO_3":{"StartUp":{"AppPath":"E:\\New","Ver":"3.3.0"}}})");
  // There is no place in the store without an application and a section.
  EXPECT_THROW(p.SaveSetting(L"", L"StartUp", L"Ver", L"1"), RunError);
  EXPECT_THROW(p.GetSetting(L"VTRPRO_3", L"", L"Ver", L""), RunError);
}

TEST(SimRegistry, KeysBelowAHiveAndTheRightsToWriteThem) {
  const json registry = {{"HKLM\\Software\\A", {{"", "default"}, {"Count", 3}}},
                         {"HKLM\\Software\\A\\B", {{"X", "y"}}},
                         {"HKLM\\Software\\AB", {{"X", "kept"}}}};
  SimPlatform admin(json{{"registry", registry}});
  EXPECT_EQ(admin.GetRegistryValue(RegistryHive::Machine, L"software\\a", L""),
            RegistryValue(L"default"));
  EXPECT_EQ(admin.GetRegistryValue(RegistryHive::Machine, L"Software\\A", L"Count"),
            RegistryValue(uint32_t{3}));
  // HKEY_CURRENT_USER is another hive.
  EXPECT_EQ(admin.GetRegistryValue(RegistryHive::User, L"Software\\A", L""), std::nullopt);
  EXPECT_TRUE(admin.CanWriteRegistryKey(RegistryHive::Machine, L"Software\\New"));
  admin.SetRegistryValue(RegistryHive::User, L"Software\\A", L"", L"mine");
  // A key goes with every key below it, and only those.
  admin.DeleteRegistryKey(RegistryHive::Machine, L"Software\\A");
  EXPECT_EQ(admin.FinalState()["registry"].dump(),
            R"({"HKCU\\Software\\A":{"":"mine"},"HKLM\\Software\\AB":{"X":"kept"}})");

  // Without administrator rights HKEY_LOCAL_MACHINE can be read, not written.
  SimPlatform user(json{{"registry", registry}, {"administrator", false}});
  EXPECT_FALSE(user.CanWriteRegistryKey(RegistryHive::Machine, L"Software\\A"));
  EXPECT_TRUE(user.CanWriteRegistryKey(RegistryHive::User, L"Software\\A"));
  EXPECT_THROW(user.SetRegistryValue(RegistryHive::Machine, L"Software\\A", L"X", L"z"), RunError);
  EXPECT_THROW(user.DeleteRegistryKey(RegistryHive::Machine, L"Software\\A"), RunError);
  EXPECT_EQ(user.GetRegistryValue(RegistryHive::Machine, L"Software\\A\\B", L"X"),
            RegistryValue(L"y"));
  EXPECT_NE(Refusal(json{{"registry", {{"Software\\A", json::object()}}}}).find("HKLM"),
            std::string::npos);
}

TEST(SimTranscript, OneLinePerCallInItsOwnWords) {
  SimPlatform p(json{{"commandLine", "DB für Müller"}});
  p.SetMousePointer(MousePointer::Busy);
  EXPECT_EQ(p.CommandLine(), L"DB f\u00fcr M\u00fcller");
  p.MsgBox(L"line one\rline two \u0436", MsgButtons::Ok, MsgIcon::Information, std::nullopt);
  p.WizardView();
  const auto& lines = p.Transcript();
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0].dump(), R"({"op":"SetMousePointer","args":{"pointer":"Busy"}})");
  EXPECT_EQ(lines[1].dump(), R"({"op":"CommandLine","result":"DB für Müller"})");
  EXPECT_EQ(lines[2]["args"]["text"].dump(), R"("line one\rline two ж")");
  EXPECT_EQ(lines[3].dump(), R"({"op":"WizardView"})");

  // Characters beyond the first plane come through whole; an overlong encoding does not.
  SimPlatform wide(json{{"ownFileName", "Setup \xF0\x9F\x93\x87"}});
  EXPECT_EQ(wide.OwnFileName(), L"Setup \U0001F4C7");
  EXPECT_EQ(wide.Transcript()[0]["result"], "Setup \xF0\x9F\x93\x87");
  EXPECT_NE(Refusal(json{{"ownFileName", "\xC0\xAF"}}).find("not valid UTF-8"), std::string::npos);
}

}  // namespace
}  // namespace vtr
