// The install engine's plans as tables: a machine as the engine finds it and a request in, the
// ordered steps out. Scenarios pin the texts of whole runs; these pin which steps a run takes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/every_user.h"
#include "engine/msi_command.h"
#include "engine/plan.h"
#include "sim/utf8.h"
#include "startup/edition.h"

namespace vtr {
namespace {

std::string Utf8(const std::wstring& text) {
  return sim::ToUtf8(text);
}

std::string FileName(const std::wstring& path) {
  return Utf8(path.substr(path.rfind(L'\\') + 1));
}

// A step in a few words: what it does and to what, and after " <= " what takes it back (nothing
// for a step that changes nothing).
std::string Brief(const Plan& plan, const Step& step) {
  const auto package = [&](PackageId id) { return Utf8(plan.Package(id).fileName); };
  std::string action = std::visit(
      Overloaded{
          [&](const CachedCopies&) { return std::string("copy into the cache"); },
          [&](const StopUpdater&) { return std::string("stop updater"); },
          [&](const StartUpdater&) { return std::string("start updater"); },
          [&](const Registration& s) {
            return (s.unregister ? "unregister " : "register ") + FileName(s.component);
          },
          [&](const AskSwitches& s) { return "ask switches " + package(s.package); },
          [&](const AskLevel& s) { return "ask level " + package(s.package); },
          [&](const SaveSetting& s) { return "save " + Utf8(s.key) + "=" + Utf8(s.value); },
          [&](const SaveEmailForm& s) {
            return "save EmailForm=" + Utf8(s.value) + "|" + Utf8(s.valueIfRegistered);
          },
          [&](const MoveTemplates& s) { return "move templates " + Utf8(s.folder); },
          [&](const ShowCommand& s) { return "show command " + package(s.package); },
          [&](const RunPackage& s) {
            return "msiexec " + Utf8(MsiexecArguments(plan.Package(s.package)));
          },
          [&](const SaveMachineSetting& s) {
            return "copy " + Utf8(s.key) + "=" + Utf8(s.value) + "|" + Utf8(s.valueIfRegistered);
          },
          [&](const RegisterEveryUser& s) { return "every user: " + Utf8(s.name); },
          [&](const RemoveEveryUser&) { return std::string("remove every user"); },
          [&](const OfferEngine&) { return std::string("offer engine"); },
          [&](const InstallDatabaseEngine&) { return std::string("install engine quietly"); },
          [&](const ForgetCachedFile& s) { return "forget " + FileName(s.path); },
          [&](const RemoveCache& s) {
            return std::string("remove the cache") + (s.runningCopy.empty() ? "" : ", moved aside");
          },
          [&](const ProgramClosed& s) { return "closed " + Utf8(s.program); },
          [&](const WriteEntry& s) {
            return (s.onlyWhenThere ? "refresh entry " : "entry ") + package(s.package) +
                   (s.keepDate ? ", date kept" : "");
          },
          [&](const RemoveEntry& s) { return "remove entry " + package(s.package); },
      },
      step.action);
  const std::string undo =
      std::visit(Overloaded{
                     [&](const NothingToTakeBack&) { return std::string(); },
                     [&](const CannotTakeBack&) { return std::string("stays"); },
                     [&](const RemoveProduct& u) {
                       return "msiexec " + Utf8(RollbackArguments(plan.Package(u.package)));
                     },
                     [&](const KeepProduct& u) { return "keep " + package(u.package); },
                     [&](const StartUpdater&) { return std::string("start updater"); },
                     [&](const Registration& u) {
                       return (u.unregister ? "unregister " : "register ") + FileName(u.component);
                     },
                     [&](const PutBackSetting& u) { return "old " + Utf8(u.key); },
                     [&](const MoveTemplatesBack& u) { return "templates back " + Utf8(u.folder); },
                     [&](const PutBackRegistryValue& u) { return "old machine " + Utf8(u.name); },
                     [&](const TakeBackEveryUser&) { return std::string("component as it was"); },
                     [&](const TakeBackEntry&) { return std::string("entry as it was"); },
                     // Made only by a run, from what it found as it went.
                     [&](const MoveBack&) { return std::string("?"); },
                     [&](const RemoveRegistryKey&) { return std::string("?"); },
                 },
                 step.rollback);
  return undo.empty() ? action : action + " <= " + undo;
}

// The box's line (they end in a carriage return), counted from 0.
std::wstring BoxLine(const std::wstring& box, std::size_t line) {
  std::size_t start = 0;
  for (; line > 0 && start != std::wstring::npos; --line) {
    start = box.find(L'\r', start);
    start = start == std::wstring::npos ? start : start + 1;
  }
  return start == std::wstring::npos ? L"" : box.substr(start, box.find(L'\r', start) - start);
}

// What stops the run, in a few words.
std::string Brief(const Refusal& refusal) {
  switch (refusal.why) {
    case Refusal::Why::CannotAsk:
      return "refuse";
    case Refusal::Why::MissingPackage:
      return "missing " + FileName(BoxLine(refusal.box, 1));
    case Refusal::Why::InvalidFolder:
      return "invalid folder " + Utf8(BoxLine(refusal.box, 1));
    case Refusal::Why::DamagedPackage:
      return "damaged";
    case Refusal::Why::CacheFailed:
      return "no cache";
  }
  return "?";
}

struct Row {
  const char* name;
  const wchar_t* edition = L"VTRPRO_3";
  bool update = false;
  bool silent = true;
  bool debug = false;
  bool noRestart = false;
  // The request.
  bool program = true, database = false, outlook = false, repair = false, remove = false;
  const wchar_t* appPath = L"C:\\Program Files (x86)\\Vantora Contact Management";
  const wchar_t* dbPath = L"C:\\ProgramData\\Vantora Data";
  // The machine.
  ProductKnown programState = ProductKnown::NotInstalled;
  ProductKnown databaseState = ProductKnown::NotInstalled;
  ProductKnown otherDatabaseState = ProductKnown::NotInstalled;
  const wchar_t* systemDir = L"C:\\windows\\syswow64";
  const wchar_t* lastVersion = L"";
  int major = 6;
  bool programFound = true, databaseFound = true;
  // Whether the packages found are the ones installed.
  MediaMatch programMedia = MediaMatch::Same, databaseMedia = MediaMatch::Same;
  // Settings for every user: whether the run asked, and whether it may write them.
  bool machineAsked = false, machineWritable = true;
  bool setupCached = false;  // the run copies setup into the cache, which its entries start
  std::vector<std::string> steps;
  bool everyUserNote = false;  // the plan says why it leaves them alone
};

// The request and the machine of a row, as planning is handed them.
struct Input {
  Edition e;
  RunOptions o;
  Request r;
  EngineFacts f;
};

Input InputFor(const Row& row) {
  const Edition e = EditionFor(row.edition, row.update);
  RunOptions o;
  o.gbSilent = row.silent;
  o.gbDebug = row.debug;
  o.gbNoRestart = row.noRestart;
  Request r;
  r.bProgram = row.program;
  r.bDatabase = row.database;
  r.bOutlook = row.outlook;
  r.bRepair = row.repair;
  r.bRemove = row.remove;
  r.gsAppPath = row.appPath;
  r.gsDBPath = row.dbPath;
  EngineFacts f;
  f.gsSystemDir = row.systemDir;
  f.installed.program = row.programState;
  f.installed.database = row.databaseState;
  f.installed.gbInstalled = row.programState == ProductKnown::Installed;
  f.installed.gbDBInstalled = row.databaseState == ProductKnown::Installed;
  f.installed.otherDatabase = row.otherDatabaseState;
  f.installed.failure = L"Automation error (-2147221005)";
  f.windowsMajor = row.major;
  f.lastVersion = row.lastVersion;
  f.ownFileName = L"SetupVTR";
  f.sourceFolder = L"D:\\Media";
  f.cacheFolder = L"E:\\Cache";
  f.sourceSeparator = L"\\";
  f.programPackageFound = row.programFound;
  f.databasePackageFound = row.databaseFound;
  f.programMedia.match = row.programMedia;
  f.databaseMedia.match = row.databaseMedia;
  f.machineAsked = row.machineAsked;
  f.machineWritable = row.machineWritable;
  f.entriesWritable = row.machineWritable;
  f.machineUnwritable = L"this run may not write to HKEY_LOCAL_MACHINE";
  f.nativeSystemDir = L"C:\\windows\\system32";
  if (row.setupCached) {
    CachedFile setup;
    setup.kind = CachedFile::Kind::Setup;
    setup.name = L"SetupVTR.exe";
    f.cached.push_back(setup);
  }
  return {e, o, r, f};
}

Plan PlanFor(const Row& row) {
  const Input in = InputFor(row);
  return MakePlan(in.e, in.o, in.r, in.f);
}

constexpr ProductKnown kIn = ProductKnown::Installed;
constexpr ProductKnown kUnknown = ProductKnown::Unknown;

TEST(EnginePlan, StepsForEachMachineAndRequest) {
  Row rows[] = {
      {.name = "silent first install of both",
       .database = true,
       .steps = {"msiexec /I \"E:\\Cache\\vtr3p.msi\" ALLUSERS=2 TARGETDIR=\"C:\\Program Files "
                 "(x86)\\Vantora Contact Management\" /qn <= msiexec /x "
                 "{590454A0-A293-4ECE-AB62-FD940586A43C} /qn",
                 "msiexec /I \"E:\\Cache\\vtr3db.msi\" ALLUSERS=2 TARGETDIR=\"C:\\ProgramData\" "
                 "/qn <= msiexec /x {9A3E077B-AC17-4655-AE22-D73047814448} /qn",
                 "save DBPath=C:\\ProgramData\\Vantora Data\\MainDB\\ <= old DBPath",
                 "register mscomm32.ocx <= unregister mscomm32.ocx",
                 "save EmailForm=13|13 <= old EmailForm", "save Ver=3.3.0 <= old Ver"}},
      {.name = "a first install whose setup is cached writes its entries and hides Windows "
               "Installer's",
       .database = true,
       .setupCached = true,
       .steps =
           {"copy into the cache <= stays",
            "msiexec /I \"E:\\Cache\\vtr3p.msi\" ALLUSERS=2 TARGETDIR=\"C:\\Program Files "
            "(x86)\\Vantora Contact Management\" ARPSYSTEMCOMPONENT=1 /qn <= msiexec /x "
            "{590454A0-A293-4ECE-AB62-FD940586A43C} /qn",
            "entry vtr3p.msi <= entry as it was",
            "msiexec /I \"E:\\Cache\\vtr3db.msi\" ALLUSERS=2 TARGETDIR=\"C:\\ProgramData\" "
            "ARPSYSTEMCOMPONENT=1 /qn <= msiexec /x {9A3E077B-AC17-4655-AE22-D73047814448} /qn",
            "entry vtr3db.msi <= entry as it was",
            "save DBPath=C:\\ProgramData\\Vantora Data\\MainDB\\ <= old DBPath",
            "register mscomm32.ocx <= unregister mscomm32.ocx",
            "save EmailForm=13|13 <= old EmailForm", "save Ver=3.3.0 <= old Ver"}},
      {.name = "an update keeps the entry of the program it updated, and refreshes (never makes) "
               "the entry of the database it leaves alone",
       .update = true,
       .programState = kIn,
       .databaseState = kIn,
       .setupCached = true,
       .steps = {"closed C:\\Program Files (x86)\\Vantora Contact Management\\vtr3.exe",
                 "copy into the cache <= stays", "stop updater <= start updater",
                 "msiexec /fvamus \"E:\\Cache\\vtr3p_update.msi\" TARGETDIR=\"C:\\Program Files "
                 "(x86)\\Vantora Contact Management\" ARPSYSTEMCOMPONENT=1 /qn <= keep "
                 "vtr3p_update.msi",
                 "entry vtr3p_update.msi <= stays", "start updater",
                 "register mscomm32.ocx <= unregister mscomm32.ocx",
                 "save EmailForm=13|13 <= old EmailForm", "save Ver=3.3.0 <= old Ver",
                 "refresh entry vtr3db_update.msi, date kept <= entry as it was",
                 "forget vtr3p.msi <= stays"}},
      {.name = "removal of both",
       .database = true,
       .remove = true,
       .programState = kIn,
       .databaseState = kIn,
       .steps = {"closed C:\\Program Files (x86)\\Vantora Contact Management\\vtr3.exe",
                 "stop updater <= start updater",
                 "unregister vtremail.dll <= register vtremail.dll",
                 "msiexec /x \"E:\\Cache\\vtr3p.msi\" REMOVE=ALL TARGETDIR=\"C:\\Program Files "
                 "(x86)\\Vantora Contact Management\" /qn <= keep vtr3p.msi",
                 "remove entry vtr3p.msi <= stays",
                 "msiexec /x \"E:\\Cache\\vtr3db.msi\" REMOVE=ALL REINSTALLMODE=aums "
                 "TARGETDIR=\"C:\\ProgramData\" /qn <= keep vtr3db.msi",
                 "remove entry vtr3db.msi <= stays", "remove the cache <= stays"}},
      {.name = "removal of the database when the program is not installed keeps its properties",
       .program = false,
       .database = true,
       .remove = true,
       .databaseState = kIn,
       .steps = {"closed C:\\Program Files (x86)\\Vantora Contact Management\\vtr3.exe",
                 "msiexec /I \"E:\\Cache\\vtr3db.msi\" REMOVE=ALL REINSTALLMODE=aums "
                 "TARGETDIR=\"C:\\ProgramData\" /qn <= keep vtr3db.msi",
                 "remove entry vtr3db.msi <= stays", "remove entry vtr3p.msi <= stays",
                 "remove the cache <= stays"}},
      {.name = "a database removal refuses when the program's state is unknown",
       .program = false,
       .database = true,
       .remove = true,
       .programState = kUnknown,
       .databaseState = kIn,
       .steps = {"refuse"}},
      {.name = "after an update: packages not the ones installed, or not comparable, and the "
               "update database go by product code",
       .database = true,
       .remove = true,
       .programState = kIn,
       .databaseState = kIn,
       .otherDatabaseState = kIn,
       .programMedia = MediaMatch::Different,
       .databaseMedia = MediaMatch::Unknown,
       .steps =
           {"closed C:\\Program Files (x86)\\Vantora Contact Management\\vtr3.exe",
            "stop updater <= start updater", "unregister vtremail.dll <= register vtremail.dll",
            "msiexec /x {590454A0-A293-4ECE-AB62-FD940586A43C} REMOVE=ALL TARGETDIR=\"C:\\Program "
            "Files (x86)\\Vantora Contact Management\" /qn <= keep vtr3p.msi",
            "remove entry vtr3p.msi <= stays",
            "msiexec /x {9A3E077B-AC17-4655-AE22-D73047814448} REMOVE=ALL REINSTALLMODE=aums "
            "TARGETDIR=\"C:\\ProgramData\" /qn <= keep vtr3db.msi",
            "msiexec /x {DCB3C1C6-15AD-4C1B-9CEE-8BD16BA8E1F5} REMOVE=ALL REINSTALLMODE=aums "
            "TARGETDIR=\"C:\\ProgramData\" /qn <= keep vtr3db_update.msi",
            "remove entry vtr3db.msi <= stays", "remove the cache <= stays"}},
      {.name = "the updater copy removes the full database it has no package of, and a "
               "program whose package is missing",
       .update = true,
       .silent = false,
       .database = true,
       .remove = true,
       .programState = kIn,
       .otherDatabaseState = kIn,
       .programFound = false,
       .steps =
           {"closed C:\\Program Files (x86)\\Vantora Contact Management\\vtr3.exe",
            "stop updater <= start updater", "unregister vtremail.dll <= register vtremail.dll",
            "msiexec /x {590454A0-A293-4ECE-AB62-FD940586A43C} REMOVE=ALL TARGETDIR=\"C:\\Program "
            "Files (x86)\\Vantora Contact Management\" /qb /norestart <= keep vtr3p_update.msi",
            "remove entry vtr3p_update.msi <= stays",
            "msiexec /x {9A3E077B-AC17-4655-AE22-D73047814448} REMOVE=ALL REINSTALLMODE=aums "
            "TARGETDIR=\"C:\\ProgramData\" /qb <= keep vtr3db.msi",
            "remove entry vtr3db_update.msi <= stays", "remove the cache <= stays"}},
      {.name = "a database removal refuses when the other database's state is unknown",
       .database = true,
       .remove = true,
       .programState = kIn,
       .databaseState = kIn,
       .otherDatabaseState = kUnknown,
       .steps = {"refuse"}},
      {.name = "an install needs no state of a product it leaves alone",
       .program = false,
       .database = true,
       .programState = kUnknown,
       .steps = {"msiexec /I \"E:\\Cache\\vtr3db.msi\" ALLUSERS=2 TARGETDIR=\"C:\\ProgramData\" "
                 "/qn <= msiexec /x {9A3E077B-AC17-4655-AE22-D73047814448} /qn",
                 "save DBPath=C:\\ProgramData\\Vantora Data\\MainDB\\ <= old DBPath"}},
      {.name = "update of both, the updater service around the packages",
       .update = true,
       .database = true,
       .programState = kIn,
       .databaseState = kIn,
       .major = 10,
       .steps = {"closed C:\\Program Files (x86)\\Vantora Contact Management\\vtr3.exe",
                 "stop updater <= start updater",
                 "msiexec /fvamus \"E:\\Cache\\vtr3p_update.msi\" TARGETDIR=\"C:\\Program Files "
                 "(x86)\\Vantora Contact Management\" /qn <= keep vtr3p_update.msi",
                 "msiexec /fvamu \"E:\\Cache\\vtr3db_update.msi\" ALLUSERS=2 "
                 "TARGETDIR=\"C:\\ProgramData\" /qn <= keep vtr3db_update.msi",
                 "start updater", "save EmailForm=13|13 <= old EmailForm",
                 "save Ver=3.3.0 <= old Ver", "forget vtr3p.msi <= stays"}},
      {.name = "a 3.0 database: templates aside, typed MainDB folder stands for its parent",
       .program = false,
       .database = true,
       .dbPath = L"D:\\Shared\\Vantora Data\\MainDB\\",
       .lastVersion = L"3.0.2",
       .steps =
           {"move templates D:\\Shared\\Vantora Data <= templates back D:\\Shared\\Vantora Data",
            "msiexec /I \"E:\\Cache\\vtr3db.msi\" ALLUSERS=2 TARGETDIR=\"D:\\Shared\" /qn <= "
            "msiexec /x {9A3E077B-AC17-4655-AE22-D73047814448} /qn",
            "save DBPath=D:\\Shared\\Vantora Data\\MainDB\\ <= old DBPath"}},
      {.name = "a missing database package ends the run before anything starts",
       .database = true,
       .databaseFound = false,
       .steps = {"missing vtr3db.msi"}},
      {.name = "an invalid program folder ends the run before anything starts",
       .database = true,
       .appPath = L"Apps\\Vantora",
       .major = 5,
       .steps = {"invalid folder Apps\\Vantora"}},
      {.name = "no system folder: nothing can be started", .systemDir = L"", .steps = {"refuse"}},
      {.name = "workstation repair in the wizard, with the developer's prompts",
       .edition = L"VTRPRO_WS",
       .silent = false,
       .debug = true,
       .database = true,
       .repair = true,
       .programState = kIn,
       .databaseState = kIn,
       .steps = {"closed C:\\Program Files (x86)\\Vantora Contact Management\\VTR3_WS.exe",
                 "stop updater <= start updater", "ask switches vtr3p.msi",
                 "ask switches vtr3db.msi", "ask level vtr3p.msi",
                 "msiexec /famus \"E:\\Cache\\vtr3p.msi\" TARGETDIR=\"C:\\Program Files "
                 "(x86)\\Vantora Contact Management\" /qb /norestart <= keep vtr3p.msi",
                 "ask level vtr3db.msi", "show command vtr3db.msi",
                 "msiexec /famu \"E:\\Cache\\vtr3db.msi\" TARGETDIR=\"C:\\ProgramData\" /qb <= "
                 "keep vtr3db.msi",
                 "save DBPath=C:\\ProgramData\\Vantora Data\\MainDB\\ <= old DBPath",
                 "start updater", "register mscomm32.ocx <= unregister mscomm32.ocx",
                 "save EmailForm=13|13 <= old EmailForm", "save Ver=3.3.0 <= old Ver",
                 "offer engine <= stays"}},
      {.name = "the Outlook interface alone: the e-mail form only once it registered",
       .program = false,
       .outlook = true,
       .steps = {"register vtremail.dll <= unregister vtremail.dll",
                 "save EmailForm=|12 <= old EmailForm"}},
      {.name = "the Outlook interface alone on Lite records nothing",
       .edition = L"VTRLITE_3",
       .program = false,
       .outlook = true,
       .steps = {"register vtremail.dll <= unregister vtremail.dll"}},
      {.name = "settings for every user: a copy of each setting after the last one, then the "
               "component, before the engine is offered",
       .edition = L"VTRPRO_WS",
       .database = true,
       .outlook = true,
       .machineAsked = true,
       .steps =
           {"msiexec /I \"E:\\Cache\\vtr3p.msi\" ALLUSERS=2 TARGETDIR=\"C:\\Program Files "
            "(x86)\\Vantora Contact Management\" /qn <= msiexec /x "
            "{590454A0-A293-4ECE-AB62-FD940586A43C} /qn",
            "msiexec /I \"E:\\Cache\\vtr3db.msi\" ALLUSERS=2 TARGETDIR=\"C:\\ProgramData\" /qn <= "
            "msiexec /x {9A3E077B-AC17-4655-AE22-D73047814448} /qn",
            "save DBPath=C:\\ProgramData\\Vantora Data\\MainDB\\ <= old DBPath",
            "register mscomm32.ocx <= unregister mscomm32.ocx",
            "register vtremail.dll <= unregister vtremail.dll",
            "save EmailForm=13|12 <= old EmailForm", "save Ver=3.3.0 <= old Ver",
            "copy DBPath=C:\\ProgramData\\Vantora Data\\MainDB\\|C:\\ProgramData\\Vantora "
            "Data\\MainDB\\ <= old machine DBPath",
            "copy EmailForm=13|12 <= old machine EmailForm",
            "copy Ver=3.3.0|3.3.0 <= old machine Ver",
            "every user: Vantora Contact Management Professional settings <= component as it was",
            "offer engine <= stays"}},
      {.name = "settings for every user without the rights: this account's only",
       .machineAsked = true,
       .machineWritable = false,
       .steps = {"msiexec /I \"E:\\Cache\\vtr3p.msi\" ALLUSERS=2 TARGETDIR=\"C:\\Program Files "
                 "(x86)\\Vantora Contact Management\" /qn <= msiexec /x "
                 "{590454A0-A293-4ECE-AB62-FD940586A43C} /qn",
                 "register mscomm32.ocx <= unregister mscomm32.ocx",
                 "save EmailForm=13|13 <= old EmailForm", "save Ver=3.3.0 <= old Ver"},
       .everyUserNote = true},
      {.name = "a removal removes the settings for every user with the program, also when it is "
               "no longer installed",
       .database = true,
       .remove = true,
       .programState = kIn,
       .databaseState = kIn,
       .machineAsked = true,
       .steps = {"closed C:\\Program Files (x86)\\Vantora Contact Management\\vtr3.exe",
                 "stop updater <= start updater",
                 "unregister vtremail.dll <= register vtremail.dll",
                 "msiexec /x \"E:\\Cache\\vtr3p.msi\" REMOVE=ALL TARGETDIR=\"C:\\Program Files "
                 "(x86)\\Vantora Contact Management\" /qn <= keep vtr3p.msi",
                 "remove entry vtr3p.msi <= stays", "remove every user <= stays",
                 "msiexec /x \"E:\\Cache\\vtr3db.msi\" REMOVE=ALL REINSTALLMODE=aums "
                 "TARGETDIR=\"C:\\ProgramData\" /qn <= keep vtr3db.msi",
                 "remove entry vtr3db.msi <= stays", "remove the cache <= stays"}},
      {.name = "a removal of what is not installed still clears the settings for every user",
       .remove = true,
       .machineAsked = true,
       .steps = {"stop updater <= start updater",
                 "unregister vtremail.dll <= register vtremail.dll", "remove every user <= stays",
                 "remove entry vtr3p.msi <= stays", "remove entry vtr3db.msi <= stays",
                 "remove the cache <= stays"}},
  };
  for (const Row& row : rows) {
    const Plan plan = PlanFor(row);
    std::vector<std::string> steps;
    if (plan.refusal) {
      steps.push_back(Brief(*plan.refusal));
    }
    for (const Step& step : plan.steps) {
      steps.push_back(Brief(plan, step));
    }
    EXPECT_EQ(steps, row.steps) << row.name;
    // The files detection checks before planning are the ones the plan hands on.
    std::vector<PackageId> byFile;
    for (const Step& step : plan.steps) {
      const auto* run = std::get_if<RunPackage>(&step.action);
      if (run != nullptr && !plan.Package(run->package).byProductCode) {
        byFile.push_back(run->package);
      }
    }
    const Input in = InputFor(row);
    EXPECT_EQ(PackagesHandedByFile(in.r, in.f), byFile) << row.name;
    EXPECT_EQ(!plan.everyUserNote.empty(), row.everyUserNote) << row.name;
  }
}

TEST(EnginePlan, NoRestartEndsEveryWindowsInstallerCommandLine) {
  for (const bool noRestart : {false, true}) {
    Row row;
    row.name = "S DB";
    row.database = true;
    row.noRestart = noRestart;
    const Plan plan = PlanFor(row);
    for (const PackageRun* run : {&plan.program, &plan.database}) {
      for (const std::wstring& arguments : {MsiexecArguments(*run), RollbackArguments(*run)}) {
        const bool ends =
            arguments.size() > 11 && arguments.substr(arguments.size() - 11) == L" /norestart";
        EXPECT_EQ(ends, noRestart) << sim::ToUtf8(arguments);
      }
    }
  }
}

// The component's version rises with the time of the run, and always above the version it had,
// even where the clock went back or two runs came in the same second.
TEST(EveryUser, ComponentVersion) {
  const LocalTime now{2026, 1, 9, 7, 5, 3};
  EXPECT_EQ(ComponentVersion(now, L""), L"2026,109,705,3");
  EXPECT_EQ(ComponentVersion(now, L"2025,1231,2359,59"), L"2026,109,705,3");
  EXPECT_EQ(ComponentVersion(now, L"2026,109,705,3"), L"2026,109,705,4");
  EXPECT_EQ(ComponentVersion(now, L"2030,101,0,0"), L"2030,101,0,1");
  // A version Active Setup would not read as four numbers is simply passed.
  EXPECT_EQ(ComponentVersion(now, L"9999"), L"2026,109,705,3");
  EXPECT_EQ(ComponentVersion(now, L"2030,1,2,x"), L"2026,109,705,3");
}

}  // namespace
}  // namespace vtr
