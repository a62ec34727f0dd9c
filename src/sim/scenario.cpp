// Reading a scenario: the table of its fields and what each one sets, and the defaults that
// the fields leave.
#include "sim/scenario.h"

#include <cstdint>

#include "engine/waiting.h"
#include "sim/scenario_field.h"
#include "sim/scenario_reading.h"
#include "startup/main.h"

namespace vtr::sim {
namespace {

// A scenario as it is read. Some defaults depend on other fields (the user's folders on the
// user name), so the fields that replace them are kept apart until every field is read.
struct Reading {
  Scenario s;
  FolderAnswers folders;
  std::optional<std::optional<std::wstring>> tempFolder;  // nothing: the user's default
};

void ReadOwnFolder(const Field& f, Reading& r) {
  AbsolutePath(f);
  std::wstring& folder = r.s.ownFolder;
  folder = f.Text();
  while (folder.size() > 2 && (folder.back() == L'\\' || folder.back() == L'/')) {
    folder.pop_back();
  }
  // A root keeps its separator, as Windows writes it: "E:\", "\\server\share\".
  if (const auto parsed = ParsePath(folder, WinPath{L"C:\\", {}, false}, false);
      parsed && parsed->IsRoot()) {
    folder = parsed->Display();
  }
}

void ReadOwnFileName(const Field& f, Reading& r) {
  r.s.ownFileName = f.Text();
  if (r.s.ownFileName.empty() ||
      r.s.ownFileName.find_first_of(L"\\/:*?\"<>|") != std::wstring::npos) {
    f.Fail("a file name is needed, without folder and without characters \\ / : * ? \" < > |");
  }
}

void ReadEditionId(const Field& f, Reading& r) {
  r.s.editionId = f.Text();
  if (r.s.editionId->empty()) {
    f.Fail("the edition ID cannot be empty");
  }
}

void ReadUserName(const Field& f, Reading& r) {
  r.s.userName = f.Text();
  if (r.s.userName.empty() || r.s.userName.find_first_of(L"\\/:*?\"<>|") != std::wstring::npos) {
    f.Fail("a user name is needed, without characters \\ / : * ? \" < > |");
  }
}

// {"path": the program file's full path, "looks": how many looks see it running, or "always"}.
void ReadRunningProgram(const Field& field, Reading& r) {
  std::optional<WinPath> path;
  std::optional<int> looks;
  field.Members({"path", "looks"}, [&](const std::string& key, const Field& f) {
    if (key == "path") {
      path = AbsolutePath(f);
    } else {
      looks = ReadPolls(f);
    }
  });
  if (!path) {
    field.Fail("a running program needs a \"path\"");
  }
  r.s.runningPrograms[path->Key()] = looks;
}

struct TopField {
  const char* name;
  void (*read)(const Field& f, Reading& r);
};

// Every field of a scenario, in the order a complaint about an unknown field lists them
// (docs/scenarios.md describes each).
const std::vector<TopField>& TopFields() {
  using F = const Field&;
  using R = Reading&;
  static const std::vector<TopField> kFields = {
      {"description", [](F f, R) { f.Text(); }},
      {"ownFolder", ReadOwnFolder},
      {"ownFileName", ReadOwnFileName},
      {"commandLine", [](F f, R r) { r.s.commandLine = f.Text(); }},
      {"editionId", ReadEditionId},
      {"userName", ReadUserName},
      {"osVersion", [](F f, R r) { ReadOsVersion(f, r.s); }},
      {"folders", [](F f, R r) { r.folders = ReadFolders(f); }},
      {"folderPath", [](F f, R r) { r.s.folderPath = ReadFolders(f); }},
      {"specialFolderPath", [](F f, R r) { r.s.specialFolderPath = ReadFolders(f); }},
      {"systemFolder", [](F f, R r) { r.s.systemFolder = f.TextOrNull(); }},
      {"standardFoldersExist", [](F f, R r) { r.s.standardFoldersExist = f.Bool(); }},
      {"installer", [](F f, R r) { ReadInstaller(f, r.s); }},
      {"settings", [](F f, R r) { ReadSettings(f, r.s); }},
      {"registry", [](F f, R r) { ReadRegistry(f, r.s); }},
      {"administrator", [](F f, R r) { r.s.administrator = f.Bool(); }},
      {"files",
       [](F f, R r) { f.Items([&](F item) { r.s.files.push_back(ReadFileEntry(item)); }); }},
      {"answers", [](F f, R r) { ReadAnswers(f, r.s); }},
      {"processes",
       [](F f, R r) { f.Items([&](F item) { r.s.processes.push_back(ReadProcessRule(item)); }); }},
      {"desktopShell", [](F f, R r) { r.s.desktopShell = f.Bool(); }},
      {"faults", [](F f, R r) { f.Items([&](F item) { r.s.faults.push_back(ReadFault(item)); }); }},
      {"events",
       [](F f, R r) { f.Items([&](F item) { r.s.events.push_back(ReadUserEvent(item)); }); }},
      {"personCanAnswer", [](F f, R r) { r.s.personCanAnswer = f.Bool(); }},
      {"tempFolder", [](F f, R r) { r.tempFolder = f.TextOrNull(); }},
      {"systemTempFolder", [](F f, R r) { r.s.systemTempFolder = f.Text(); }},
      {"now", [](F f, R r) { r.s.now = ReadTime(f); }},
      {"installerBusy", [](F f, R r) { r.s.othersHold[kInstallerBusyMutex] = ReadPolls(f); }},
      {"setupRunning", [](F f, R r) { r.s.othersHold[kSetupMutex] = ReadPolls(f); }},
      {"runningPrograms", [](F f, R r) { f.Items([&](F item) { ReadRunningProgram(item, r); }); }},
      {"computerName", [](F f, R r) { r.s.computerName = f.Text(); }},
      {"processId",
       [](F f, R r) { r.s.processId = static_cast<uint32_t>(f.Integer(0, 0xFFFFFFFFLL)); }},
      {"recordedDigests",
       [](F f, R r) {
         f.AnyMembers([&](const std::wstring& name, F digest) {
           r.s.recordedDigests.Set(name, digest.Text());
         });
       }},
      {"pin", [](F f, R r) { r.s.pin = ReadPin(f); }},
  };
  return kFields;
}

const std::vector<const char*>& TopFieldNames() {
  static const std::vector<const char*> kNames = [] {
    std::vector<const char*> names;
    for (const TopField& field : TopFields()) {
      names.push_back(field.name);
    }
    return names;
  }();
  return kNames;
}

// The defaults that depend on other fields, where the scenario gave no value of its own.
void FillDefaults(Reading& r) {
  // The scenario's folders replace the defaults one by one; the user name shapes the rest.
  r.s.folders = DefaultFolders(r.s.userName);
  for (auto& [id, path] : r.folders) {
    r.s.folders[id] = path;
  }
  r.s.tempFolder =
      r.tempFolder
          ? *r.tempFolder
          : std::optional<std::wstring>(L"C:\\users\\" + r.s.userName + L"\\AppData\\Local\\Temp");
}

}  // namespace

std::wstring RegistryKeyName(RegistryHive hive, const std::wstring& key) {
  std::wstring name = (hive == RegistryHive::Machine ? L"HKLM\\" : L"HKCU\\") + key;
  while (name.back() == L'\\') {
    name.pop_back();
  }
  return name;
}

std::wstring ServicePackField(const std::wstring& text) {
  std::wstring field = text.substr(0, 127);
  field.push_back(L'\0');
  field.resize(128, L' ');
  return field;
}

OsVersionRecord DefaultOsVersion() {
  return OsVersionRecord{2, 6, 1, 7601, ServicePackField(L"Service Pack 1")};
}

FolderAnswers DefaultFolders(const std::wstring& userName) {
  const std::wstring profile = L"C:\\users\\" + userName;
  return FolderAnswers{
      {5, profile + L"\\Documents"},         {26, profile + L"\\AppData\\Roaming"},
      {28, profile + L"\\AppData\\Local"},   {35, L"C:\\ProgramData"},
      {38, L"C:\\Program Files (x86)"},      {40, profile},
      {41, L"C:\\windows\\syswow64"},        {42, L"C:\\Program Files (x86)"},
      {46, L"C:\\users\\Public\\Documents"},
  };
}

Scenario ParseScenario(const nlohmann::json& json) {
  Reading r;
  r.s.osVersion = DefaultOsVersion();
  Field(json, "").Members(TopFieldNames(), [&](const std::string& key, const Field& f) {
    for (const TopField& field : TopFields()) {
      if (key == field.name) {
        field.read(f, r);
      }
    }
  });
  FillDefaults(r);
  return std::move(r.s);
}

}  // namespace vtr::sim
