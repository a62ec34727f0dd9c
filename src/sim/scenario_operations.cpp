// The operations of the transcript (which are actions), the part of it a scenario pins, and
// the faults a scenario may inject into them.
#include <algorithm>
#include <limits>

#include "sim/scenario.h"
#include "sim/scenario_reading.h"

namespace vtr::sim {
namespace {

// What a call that reports failure through its result may be made to answer.
enum class ResultKind { Nothing, Flag, Code, ExitCode, Text, TextOrNothing, Launch };

struct ResultFailures {
  const char* op;
  ResultKind kind;
  nlohmann::ordered_json failures;  // the failing answers Windows gives
};

const std::vector<ResultFailures>& ResultFailureTable() {
  using List = nlohmann::ordered_json;
  static const std::vector<ResultFailures> kTable = {
      {"MoveFileTo", ResultKind::Flag, List::array({false})},
      // A link or junction found where a folder was to be.
      {"PathHasLink", ResultKind::Flag, List::array({true})},
      // Something already at a new file's name.
      {"CreateLogFile", ResultKind::Flag, List::array({false})},
      {"StartProcess", ResultKind::Nothing, List::array({nullptr})},
      // The program is not there; the desktop's shell could be asked but did not start it.
      {"StartAsDesktopUser", ResultKind::Launch, List::array({"notFound", "notStarted"})},
      {"Wait", ResultKind::Flag, List::array({false})},
      // Windows Installer failed, was cancelled or wants a restart; a child that crashed.
      {"ExitCode", ResultKind::ExitCode, List::array({1603, 1602, 3010, 3221225477U})},
      {"OsVersion", ResultKind::Nothing, List::array({nullptr})},
      {"FolderPath", ResultKind::TextOrNothing, List::array({nullptr})},
      {"SpecialFolderPath", ResultKind::Text, List::array({""})},
      {"SystemFolder", ResultKind::Text, List::array({""})},
      // A size Windows does not tell (or a size a test picks).
      {"FileSize", ResultKind::ExitCode, List::array({nullptr})},
      {"FolderSize", ResultKind::ExitCode, List::array({nullptr})},
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
    case ResultKind::Launch: {
      const std::wstring way = f.Text();
      f.Expect(way == L"desktopShell" || way == L"ownProcess" || way == L"notFound" ||
                   way == L"notStarted",
               "\"desktopShell\", \"ownProcess\", \"notFound\" or \"notStarted\"");
      return f.Value();
    }
  }
  return nullptr;
}

}  // namespace

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
      {"StartProcess", kAction},
      {"StartAsDesktopUser", kAction},
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
      {"MakeProtectedFolder", kAction},
      {"PathHasLink", kQuery},
      {"FileSize", kQuery},
      {"FolderSize", kQuery},
      {"CopyIntoFolder", kAction},
      {"RemoveFile", kAction},
      {"RemoveFolderTree", kAction},
      {"DeleteAtRestart", kAction},
      {"SetCurrentFolder", kAction},
      {"PersonCanAnswer", kQuery},
      {"WriteStandardError", kAction},
      {"WriteStandardOutput", kAction},
      {"TempFolder", kQuery},
      {"RunsElevated", kQuery},
      {"SystemTempFolder", kQuery},
      {"CreateLogFile", kAction},
      {"WriteLogLine", kAction},
      {"Now", kQuery},
      {"Identity", kQuery},
      // A mutex leaves nothing behind and nobody sees it: claiming one only asks, in the
      // way Windows allows, whether another program holds it.
      {"NamedMutexExists", kQuery},
      {"ClaimNamedMutex", kQuery},
      {"Pause", kQuery},
      {"ProgramRuns", kQuery},
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

}  // namespace vtr::sim
