#include "sim/scenario.h"

#include <algorithm>
#include <cstdio>
#include <limits>
#include <stdexcept>

#include "engine/waiting.h"
#include "sim/scenario_field.h"
#include "sim/utf8.h"
#include "startup/main.h"

namespace vtr::sim {
namespace {

using nlohmann::json;

const WinPath kNoBase{L"C:\\", {}, false};

WinPath AbsolutePath(const Field& field) {
  const std::wstring text = field.Text();
  PathError error;
  const bool absolute =
      (text.size() >= 3 && text[1] == L':' && (text[2] == L'\\' || text[2] == L'/')) ||
      (text.size() >= 2 && (text[0] == L'\\' || text[0] == L'/') &&
       (text[1] == L'\\' || text[1] == L'/'));
  if (!absolute) {
    field.Fail("\"" + ToUtf8(text) + "\" is not a full path (like C:\\Folder\\File.txt)");
  }
  const auto path = ParsePath(text, kNoBase, false, &error);
  if (!path) {
    field.Fail("\"" + ToUtf8(text) + "\" is not a usable path: " + ToUtf8(error.reason));
  }
  return *path;
}

// The run-time error texts of the numbers a scenario is most likely to use.
std::optional<std::wstring> KnownDescription(int32_t number) {
  static const std::map<int32_t, const wchar_t*> kKnown = {
      {5, L"Invalid procedure call or argument"},
      {6, L"Overflow"},
      {7, L"Out of memory"},
      {9, L"Subscript out of range"},
      {11, L"Division by zero"},
      {13, L"Type mismatch"},
      {52, L"Bad file name or number"},
      {53, L"File not found"},
      {57, L"Device I/O error"},
      {58, L"File already exists"},
      {61, L"Disk full"},
      {68, L"Device unavailable"},
      {70, L"Permission denied"},
      {71, L"Disk not ready"},
      {75, L"Path/File access error"},
      {76, L"Path not found"},
      {91, L"Object variable or With block variable not set"},
      {429, L"ActiveX component can't create object"},
      {438, L"Object doesn't support this property or method"},
  };
  const auto it = kKnown.find(number);
  if (it == kKnown.end()) {
    return std::nullopt;
  }
  return it->second;
}

RunError ReadError(const Field& field, std::initializer_list<const char*> extra = {}) {
  std::optional<int32_t> number;
  std::optional<std::wstring> description;
  std::vector<const char*> known = {"number", "description"};
  known.insert(known.end(), extra.begin(), extra.end());
  field.Expect(field.Value().is_object(), "an object");
  for (const auto& item : field.Value().items()) {
    const std::string& key = item.key();
    if (std::find_if(known.begin(), known.end(), [&](const char* k) { return key == k; }) ==
        known.end()) {
      field.Fail("unknown field \"" + key + "\"");
    }
    const Field f(item.value(), field.Where() + "." + key);
    if (key == "number") {
      number = f.Int32();
    } else if (key == "description") {
      description = f.Text();
    }
  }
  if (!number) {
    field.Fail("the error needs a \"number\"");
  }
  if (!description) {
    description = KnownDescription(*number);
    if (!description) {
      field.Fail("error " + std::to_string(*number) + " needs a \"description\"");
    }
  }
  return RunError{*number, *description};
}

FileEntry ReadFileEntry(const Field& field) {
  if (field.Value().is_string()) {
    return FileEntry{AbsolutePath(field), false, false, false, false, true};
  }
  FileEntry entry;
  entry.listed = true;
  bool hasPath = false;
  field.Members({"path", "folder", "readOnly", "hidden", "system"},
                [&](const std::string& key, const Field& f) {
                  if (key == "path") {
                    entry.path = AbsolutePath(f);
                    hasPath = true;
                  } else if (key == "folder") {
                    entry.folder = f.Bool();
                  } else if (key == "readOnly") {
                    entry.readOnly = f.Bool();
                  } else if (key == "hidden") {
                    entry.hidden = f.Bool();
                  } else {
                    entry.system = f.Bool();
                  }
                });
  if (!hasPath) {
    field.Fail("a file entry needs a \"path\"");
  }
  if (entry.path.IsRoot()) {
    entry.folder = true;  // "D:\" names the drive itself
  }
  return entry;
}

FolderAnswers ReadFolders(const Field& field) {
  FolderAnswers answers;
  field.AnyMembers([&](const std::wstring& key, const Field& f) {
    const bool digits =
        !key.empty() && key.size() <= 4 &&
        std::all_of(key.begin(), key.end(), [](wchar_t c) { return c >= L'0' && c <= L'9'; });
    if (!digits) {
      f.Fail("a folder id must be a CSIDL number written as text, like \"35\"");
    }
    answers[std::stoi(std::wstring(key))] = f.TextOrNull();
  });
  return answers;
}

void ReadOsVersion(const Field& field, Scenario& s) {
  if (field.Value().is_string()) {
    if (field.Value().get<std::string>() != "fails") {
      field.Fail("expected an object or the text \"fails\"");
    }
    s.osVersion.reset();
    return;
  }
  OsVersionRecord record = DefaultOsVersion();
  std::wstring servicePack = L"Service Pack 1";
  field.Members({"platformId", "major", "minor", "build", "servicePack"},
                [&](const std::string& key, const Field& f) {
                  if (key == "platformId") {
                    record.platformId = f.Int32();
                  } else if (key == "major") {
                    record.major = f.Int32();
                  } else if (key == "minor") {
                    record.minor = f.Int32();
                  } else if (key == "build") {
                    record.build = f.Int32();
                  } else {
                    servicePack = f.Text();
                    if (servicePack.size() > 127 || servicePack.find(L'\0') != std::wstring::npos) {
                      f.Fail("the service-pack text holds at most 127 characters and no NUL");
                    }
                  }
                });
  record.servicePack = ServicePackField(servicePack);
  s.osVersion = record;
}

void ReadInstaller(const Field& field, Scenario& s) {
  field.Members({"productStates", "fails", "productStateFails", "installedPackageCodes",
                 "packageFileCodes", "packageProductCodes", "packageFileDigests"},
                [&](const std::string& key, const Field& f) {
                  if (key == "productStates") {
                    f.AnyMembers([&](const std::wstring& code, const Field& state) {
                      s.productStates.Set(code, state.Int32());
                    });
                  } else if (key == "fails") {
                    s.installerFails = ReadError(f);
                  } else if (key == "installedPackageCodes" || key == "packageFileCodes" ||
                             key == "packageProductCodes" || key == "packageFileDigests") {
                    auto& table = key == "installedPackageCodes" ? s.installedPackageCodes
                                  : key == "packageFileCodes"    ? s.packageFileCodes
                                  : key == "packageProductCodes" ? s.packageProductCodes
                                                                 : s.packageFileDigests;
                    f.AnyMembers([&](const std::wstring& name, const Field& code) {
                      table.Set(name, code.Text());
                    });
                  } else {
                    f.AnyMembers([&](const std::wstring& code, const Field& error) {
                      s.productStateFails.Set(code, ReadError(error));
                    });
                  }
                });
}

void ReadSettings(const Field& field, Scenario& s) {
  field.AnyMembers([&](const std::wstring& application, const Field& sections) {
    auto& app = s.settings.Entry(application);
    sections.AnyMembers([&](const std::wstring& sectionName, const Field& keys) {
      auto& section = app.Entry(sectionName);
      keys.AnyMembers(
          [&](const std::wstring& key, const Field& value) { section.Set(key, value.Text()); });
    });
  });
}

void ReadRegistry(const Field& field, Scenario& s) {
  field.AnyMembers([&](const std::wstring& name, const Field& values) {
    std::wstring key = name;
    while (!key.empty() && key.back() == L'\\') {
      key.pop_back();
    }
    const std::wstring hive = key.substr(0, 5);
    if (!EqualsIgnoringCase(hive, L"HKLM\\") && !EqualsIgnoringCase(hive, L"HKCU\\")) {
      values.Fail("a key's name begins with HKLM\\ or HKCU\\");
    }
    auto& table = s.registry.Entry(key);
    values.AnyMembers([&](const std::wstring& valueName, const Field& value) {
      if (value.Value().is_string()) {
        table.Set(valueName, value.Text());
      } else {
        table.Set(valueName, static_cast<uint32_t>(value.Integer(0, 0xFFFFFFFFLL)));
      }
    });
  });
}

MsgAnswer ReadMsgBoxAnswer(const Field& field) {
  const std::wstring text = field.Text();
  static const std::pair<const wchar_t*, MsgAnswer> kAnswers[] = {{L"OK", MsgAnswer::Ok},
                                                                  {L"Cancel", MsgAnswer::Cancel},
                                                                  {L"Yes", MsgAnswer::Yes},
                                                                  {L"No", MsgAnswer::No},
                                                                  {L"Retry", MsgAnswer::Retry}};
  for (const auto& [name, answer] : kAnswers) {
    if (EqualsIgnoringCase(text, name)) {
      return answer;
    }
  }
  field.Fail("a message box is answered with OK, Cancel, Yes, No or Retry, not \"" + ToUtf8(text) +
             "\"");
}

void ReadAnswers(const Field& field, Scenario& s) {
  field.Members({"msgbox", "inputbox", "folderPicker"},
                [&](const std::string& key, const Field& f) {
                  f.Items([&](const Field& item) {
                    if (key == "msgbox") {
                      s.msgboxAnswers.push_back(ReadMsgBoxAnswer(item));
                    } else if (key == "inputbox") {
                      s.inputboxAnswers.push_back(item.TextOrNull());
                    } else {
                      s.folderPickerAnswers.push_back(item.TextOrNull());
                    }
                  });
                });
}

std::wstring ReadMatch(const Field& f) {
  std::wstring match = f.Text();
  if (match.empty()) {
    f.Fail("an empty text would match everything; leave the rule out instead");
  }
  return match;
}

ProcessRule ReadProcessRule(const Field& field) {
  ProcessRule rule;
  bool hasMatch = false;
  field.Members(
      {"match", "started", "waitFails", "exitCode", "setProductStates", "createFiles",
       "removeFiles"},
      [&](const std::string& key, const Field& f) {
        if (key == "match") {
          rule.match = ReadMatch(f);
          hasMatch = true;
        } else if (key == "started") {
          rule.started = f.Bool();
        } else if (key == "waitFails") {
          rule.waitFails = f.Bool();
        } else if (key == "exitCode") {
          rule.exitCode = static_cast<uint32_t>(f.Integer(0, 0xFFFFFFFFLL));
        } else if (key == "setProductStates") {
          f.AnyMembers([&](const std::wstring& code, const Field& state) {
            rule.setProductStates.emplace_back(code, state.Int32());
          });
        } else if (key == "createFiles") {
          f.Items([&](const Field& item) { rule.createFiles.push_back(ReadFileEntry(item)); });
        } else {
          f.Items([&](const Field& item) { rule.removeFiles.push_back(AbsolutePath(item)); });
        }
      });
  if (!hasMatch) {
    field.Fail("a process rule needs a \"match\"");
  }
  return rule;
}

ShellRule ReadShellRule(const Field& field) {
  ShellRule rule;
  bool hasMatch = false;
  bool hasResult = false;
  field.Members({"match", "result"}, [&](const std::string& key, const Field& f) {
    if (key == "match") {
      rule.match = ReadMatch(f);
      hasMatch = true;
    } else {
      rule.result = f.Int32();
      hasResult = true;
    }
  });
  if (!hasMatch || !hasResult) {
    field.Fail("a shell rule needs a \"match\" and a \"result\"");
  }
  return rule;
}

// What a call that reports failure through its result may be made to answer.
enum class ResultKind { Nothing, Flag, Code, ExitCode, Text, TextOrNothing };

struct ResultFailures {
  const char* op;
  ResultKind kind;
  nlohmann::ordered_json failures;  // the failing answers Windows gives
};

const std::vector<ResultFailures>& ResultFailureTable() {
  using List = nlohmann::ordered_json;
  static const std::vector<ResultFailures> kTable = {
      {"MoveFileTo", ResultKind::Flag, List::array({false})},
      // 0: out of memory; 2, 3: file or path not found; 5: access denied; 31: no association.
      {"ShellOpen", ResultKind::Code, List::array({0, 2, 3, 5, 31})},
      {"StartProcess", ResultKind::Nothing, List::array({nullptr})},
      {"Wait", ResultKind::Flag, List::array({false})},
      // Windows Installer failed, was cancelled or wants a restart; a child that crashed.
      {"ExitCode", ResultKind::ExitCode, List::array({1603, 1602, 3010, 3221225477U})},
      {"OsVersion", ResultKind::Nothing, List::array({nullptr})},
      {"FolderPath", ResultKind::TextOrNothing, List::array({nullptr})},
      {"SpecialFolderPath", ResultKind::Text, List::array({""})},
      {"SystemFolder", ResultKind::Text, List::array({""})},
  };
  return kTable;
}

nlohmann::json ReadResult(const Field& f, ResultKind kind) {
  switch (kind) {
    case ResultKind::Nothing:
      f.Expect(f.IsNull(), "null (the call answers nothing)");
      return nullptr;
    case ResultKind::Flag:
      return f.Bool();
    case ResultKind::Code:
      return f.Int32();
    case ResultKind::ExitCode:
      return f.IsNull() ? nlohmann::json(nullptr) : nlohmann::json(f.Integer(0, 0xFFFFFFFFLL));
    case ResultKind::Text:
      f.Text();
      return f.Value();
    case ResultKind::TextOrNothing:
      f.TextOrNull();
      return f.Value();
  }
  return nullptr;
}

Fault ReadFault(const Field& field) {
  Fault fault;
  field.Expect(field.Value().is_object(), "an object");
  const auto op = field.Value().find("op");
  if (op == field.Value().end()) {
    field.Fail("a fault needs an \"op\"");
  }
  const Field opField(*op, field.Where() + ".op");
  opField.Expect(op->is_string(), "a text");
  fault.op = op->get<std::string>();
  const auto& names = OperationNames();
  if (std::find(names.begin(), names.end(), fault.op) == names.end()) {
    std::string list;
    for (const auto& name : names) {
      list += (list.empty() ? "" : ", ") + name;
    }
    opField.Fail("unknown operation \"" + fault.op + "\" (known: " + list + ")");
  }
  if (const auto call = field.Value().find("call"); call != field.Value().end()) {
    fault.call = static_cast<int>(
        Field(*call, field.Where() + ".call").Integer(1, std::numeric_limits<int>::max()));
  }
  if (const auto result = field.Value().find("result"); result != field.Value().end()) {
    const auto& table = ResultFailureTable();
    const auto entry = std::find_if(table.begin(), table.end(),
                                    [&](const ResultFailures& r) { return fault.op == r.op; });
    if (entry == table.end()) {
      opField.Fail("\"" + fault.op + "\" reports failure only by raising: give a \"number\"");
    }
    field.Members({"op", "call", "result"}, [](const std::string&, const Field&) {});
    fault.result = ReadResult(Field(*result, field.Where() + ".result"), entry->kind);
    return fault;
  }
  fault.error = ReadError(field, {"op", "call"});
  return fault;
}

// "2024-05-01 10:22:33".
LocalTime ReadTime(const Field& field) {
  const std::string text = ToUtf8(field.Text());
  LocalTime t;
  char extra = 0;
  if (std::sscanf(text.c_str(), "%4d-%2d-%2d %2d:%2d:%2d%c", &t.year, &t.month, &t.day, &t.hour,
                  &t.minute, &t.second, &extra) != 6 ||
      t.month < 1 || t.month > 12 || t.day < 1 || t.day > 31 || t.hour > 23 || t.minute > 59 ||
      t.second > 59) {
    field.Fail("\"" + text + "\" is not a date and time like \"2024-05-01 10:22:33\"");
  }
  return t;
}

// How long another program holds a mutex: a number of polls, or "always".
std::optional<int> ReadPolls(const Field& field) {
  if (field.Value().is_string()) {
    if (field.Value().get<std::string>() != "always") {
      field.Fail("expected a number of polls or the text \"always\"");
    }
    return std::nullopt;
  }
  return static_cast<int>(field.Integer(0, std::numeric_limits<int>::max()));
}

// "pin": "actions", an operation's name, or a list of them.
Pin ReadPin(const Field& field) {
  field.Expect(field.Value().is_string() || field.Value().is_array(),
               "\"actions\", an operation's name or a list of them");
  std::vector<Field> parts;
  if (field.Value().is_string()) {
    parts.push_back(field);
  } else {
    field.Items([&](const Field& item) { parts.push_back(item); });
    if (parts.empty()) {
      field.Fail(
          "an empty list would pin nothing; leave the field out to pin the whole transcript");
    }
  }
  Pin pin;
  pin.whole = false;
  for (const Field& part : parts) {
    part.Expect(part.Value().is_string(), "a text");
    const std::string name = part.Value().get<std::string>();
    bool known = false;
    for (const Operation& operation : Operations()) {
      if (name == operation.name || (name == "actions" && operation.kind == OpKind::Action)) {
        pin.ops.insert(operation.name);
        known = true;
      }
    }
    if (!known) {
      std::string list;
      for (const auto& op : OperationNames()) {
        list += ", " + op;
      }
      part.Fail("\"" + name + "\" is neither \"actions\" nor an operation (known: actions" + list +
                ")");
    }
  }
  return pin;
}

}  // namespace

const std::vector<Operation>& Operations() {
  constexpr OpKind kAction = OpKind::Action;
  constexpr OpKind kQuery = OpKind::Query;
  static const std::vector<Operation> kOperations = {
      {"MsgBox", kAction},
      {"InputBox", kAction},
      {"SetMousePointer", kAction},
      {"OwnFileName", kQuery},
      {"OwnFolder", kQuery},
      {"OwnTitle", kQuery},
      {"OwnVersion", kQuery},
      {"CommandLine", kQuery},
      {"WizardView", kAction},
      {"RunEventLoop", kAction},
      {"GetSetting", kQuery},
      {"SaveSetting", kAction},
      {"DeleteSetting", kAction},
      {"GetRegistryValue", kQuery},
      {"SetRegistryValue", kAction},
      {"DeleteRegistryValue", kAction},
      {"DeleteRegistryKey", kAction},
      {"CanWriteRegistryKey", kQuery},
      {"FindFirst", kQuery},
      {"FindNext", kQuery},
      {"MakeFolder", kAction},
      {"CreateEmptyFile", kAction},
      {"MoveFileTo", kAction},
      {"ShellOpen", kAction},
      {"StartProcess", kAction},
      // How a started process ended belongs to starting it.
      {"Wait", kAction},
      {"ExitCode", kAction},
      {"OsVersion", kQuery},
      {"FolderPath", kQuery},
      {"SpecialFolderPath", kQuery},
      {"SystemFolder", kQuery},
      {"BrowseForFolder", kAction},
      {"CreateInstaller", kQuery},
      {"ProductState", kQuery},
      {"ProductInfo", kQuery},
      {"SummaryProperty", kQuery},
      {"PackageProperty", kQuery},
      // Holding a file open only keeps others from changing it while it is checked.
      {"HoldFile", kQuery},
      {"Sha256", kQuery},
      {"RecordedPackageDigests", kQuery},
      {"PersonCanAnswer", kQuery},
      {"WriteStandardError", kAction},
      {"WriteStandardOutput", kAction},
      {"TempFolder", kQuery},
      {"AppendLine", kAction},
      {"Now", kQuery},
      {"Identity", kQuery},
      // A mutex leaves nothing behind and nobody sees it: claiming one only asks, in the
      // way Windows allows, whether another program holds it.
      {"NamedMutexExists", kQuery},
      {"ClaimNamedMutex", kQuery},
      {"Pause", kQuery},
  };
  return kOperations;
}

const std::vector<std::string>& OperationNames() {
  static const std::vector<std::string> kNames = [] {
    std::vector<std::string> names;
    for (const Operation& operation : Operations()) {
      names.emplace_back(operation.name);
    }
    return names;
  }();
  return kNames;
}

nlohmann::ordered_json OperationKinds() {
  nlohmann::ordered_json kinds = nlohmann::ordered_json::object();
  for (const Operation& operation : Operations()) {
    kinds[operation.name] = operation.kind == OpKind::Action ? "action" : "query";
  }
  return kinds;
}

bool PinKeeps(const Pin& pin, const nlohmann::ordered_json& line) {
  // Lines that are not calls (the user's events, snapshots, notes) are always kept, and so is
  // an operation missing from the list above: it may be an action.
  if (pin.whole || !line.contains("op")) {
    return true;
  }
  static const std::set<std::string> kListed(OperationNames().begin(), OperationNames().end());
  const std::string& op = line["op"].get_ref<const std::string&>();
  return pin.ops.count(op) > 0 || kListed.count(op) == 0;
}

const nlohmann::ordered_json& FailureResults() {
  static const nlohmann::ordered_json kResults = [] {
    nlohmann::ordered_json results = nlohmann::ordered_json::object();
    for (const ResultFailures& entry : ResultFailureTable()) {
      results[entry.op] = entry.failures;
    }
    return results;
  }();
  return kResults;
}

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
  Scenario s;
  s.osVersion = DefaultOsVersion();
  FolderAnswers folders;
  std::optional<std::optional<std::wstring>> tempFolder;
  const Field root(json, "");
  root.Members(
      {"description",
       "ownFolder",
       "ownFileName",
       "commandLine",
       "editionId",
       "userName",
       "osVersion",
       "folders",
       "folderPath",
       "specialFolderPath",
       "systemFolder",
       "standardFoldersExist",
       "installer",
       "settings",
       "registry",
       "administrator",
       "files",
       "answers",
       "processes",
       "shell",
       "faults",
       "events",
       "personCanAnswer",
       "tempFolder",
       "now",
       "installerBusy",
       "setupRunning",
       "computerName",
       "processId",
       "recordedDigests",
       "pin"},
      [&](const std::string& key, const Field& f) {
        if (key == "description") {
          f.Text();
        } else if (key == "ownFolder") {
          AbsolutePath(f);
          s.ownFolder = f.Text();
          while (s.ownFolder.size() > 2 &&
                 (s.ownFolder.back() == L'\\' || s.ownFolder.back() == L'/')) {
            s.ownFolder.pop_back();
          }
          // A root keeps its separator, as Windows writes it: "E:\", "\\server\share\".
          if (const auto parsed = ParsePath(s.ownFolder, WinPath{L"C:\\", {}, false}, false);
              parsed && parsed->IsRoot()) {
            s.ownFolder = parsed->Display();
          }
        } else if (key == "ownFileName") {
          s.ownFileName = f.Text();
          if (s.ownFileName.empty() ||
              s.ownFileName.find_first_of(L"\\/:*?\"<>|") != std::wstring::npos) {
            f.Fail(
                "a file name is needed, without folder and without characters \\ / : * ? \" "
                "< > |");
          }
        } else if (key == "commandLine") {
          s.commandLine = f.Text();
        } else if (key == "editionId") {
          s.editionId = f.Text();
          if (s.editionId->empty()) {
            f.Fail("the edition ID cannot be empty");
          }
        } else if (key == "userName") {
          s.userName = f.Text();
          if (s.userName.empty() ||
              s.userName.find_first_of(L"\\/:*?\"<>|") != std::wstring::npos) {
            f.Fail("a user name is needed, without characters \\ / : * ? \" < > |");
          }
        } else if (key == "osVersion") {
          ReadOsVersion(f, s);
        } else if (key == "folders") {
          folders = ReadFolders(f);
        } else if (key == "folderPath") {
          s.folderPath = ReadFolders(f);
        } else if (key == "specialFolderPath") {
          s.specialFolderPath = ReadFolders(f);
        } else if (key == "systemFolder") {
          s.systemFolder = f.TextOrNull();
        } else if (key == "standardFoldersExist") {
          s.standardFoldersExist = f.Bool();
        } else if (key == "installer") {
          ReadInstaller(f, s);
        } else if (key == "settings") {
          ReadSettings(f, s);
        } else if (key == "registry") {
          ReadRegistry(f, s);
        } else if (key == "administrator") {
          s.administrator = f.Bool();
        } else if (key == "files") {
          f.Items([&](const Field& item) { s.files.push_back(ReadFileEntry(item)); });
        } else if (key == "answers") {
          ReadAnswers(f, s);
        } else if (key == "processes") {
          f.Items([&](const Field& item) { s.processes.push_back(ReadProcessRule(item)); });
        } else if (key == "shell") {
          f.Items([&](const Field& item) { s.shell.push_back(ReadShellRule(item)); });
        } else if (key == "personCanAnswer") {
          s.personCanAnswer = f.Bool();
        } else if (key == "tempFolder") {
          tempFolder = f.TextOrNull();
        } else if (key == "now") {
          s.now = ReadTime(f);
        } else if (key == "installerBusy") {
          s.othersHold[kInstallerBusyMutex] = ReadPolls(f);
        } else if (key == "setupRunning") {
          s.othersHold[kSetupMutex] = ReadPolls(f);
        } else if (key == "computerName") {
          s.computerName = f.Text();
        } else if (key == "processId") {
          s.processId = static_cast<uint32_t>(f.Integer(0, 0xFFFFFFFFLL));
        } else if (key == "recordedDigests") {
          f.AnyMembers([&](const std::wstring& name, const Field& digest) {
            s.recordedDigests.Set(name, digest.Text());
          });
        } else if (key == "pin") {
          s.pin = ReadPin(f);
        } else if (key == "faults") {
          f.Items([&](const Field& item) { s.faults.push_back(ReadFault(item)); });
        } else {
          f.Items([&](const Field& item) { s.events.push_back(ReadUserEvent(item)); });
        }
      });
  // The scenario's folders replace the defaults one by one; the user name shapes the rest.
  s.folders = DefaultFolders(s.userName);
  for (auto& [id, path] : folders) {
    s.folders[id] = path;
  }
  s.tempFolder =
      tempFolder
          ? *tempFolder
          : std::optional<std::wstring>(L"C:\\users\\" + s.userName + L"\\AppData\\Local\\Temp");
  return s;
}

}  // namespace vtr::sim
