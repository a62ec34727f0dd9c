#include "sim/sim_platform.h"

#include "detect/installed.h"
#include "engine/msi_command.h"
#include "sim/event_player.h"
#include "sim/machine.h"
#include "sim/scenario.h"
#include "sim/utf8.h"
#include "startup/edition.h"
#include "startup/setup_log.h"
#include "util/text.h"

namespace vtr {

using sim::Line;
using sim::Text;
using sim::TextOrNull;

namespace {

const char* ButtonsName(MsgButtons buttons) {
  switch (buttons) {
    case MsgButtons::Ok:
      return "OK";
    case MsgButtons::OkCancel:
      return "OKCancel";
    case MsgButtons::YesNo:
      return "YesNo";
    case MsgButtons::YesNoCancel:
      return "YesNoCancel";
    case MsgButtons::RetryCancel:
      return "RetryCancel";
  }
  return "?";
}

const char* IconName(MsgIcon icon) {
  switch (icon) {
    case MsgIcon::None:
      return "None";
    case MsgIcon::Critical:
      return "Critical";
    case MsgIcon::Question:
      return "Question";
    case MsgIcon::Exclamation:
      return "Exclamation";
    case MsgIcon::Information:
      return "Information";
  }
  return "?";
}

const char* AnswerName(MsgAnswer answer) {
  switch (answer) {
    case MsgAnswer::Ok:
      return "OK";
    case MsgAnswer::Cancel:
      return "Cancel";
    case MsgAnswer::Yes:
      return "Yes";
    case MsgAnswer::No:
      return "No";
    case MsgAnswer::Retry:
      return "Retry";
  }
  return "?";
}

bool IsButtonOf(MsgAnswer answer, MsgButtons buttons) {
  switch (buttons) {
    case MsgButtons::Ok:
      return answer == MsgAnswer::Ok;
    case MsgButtons::OkCancel:
      return answer == MsgAnswer::Ok || answer == MsgAnswer::Cancel;
    case MsgButtons::YesNo:
      return answer == MsgAnswer::Yes || answer == MsgAnswer::No;
    case MsgButtons::YesNoCancel:
      return answer == MsgAnswer::Yes || answer == MsgAnswer::No || answer == MsgAnswer::Cancel;
    case MsgButtons::RetryCancel:
      return answer == MsgAnswer::Retry || answer == MsgAnswer::Cancel;
  }
  return false;
}

std::string ButtonList(MsgButtons buttons) {
  switch (buttons) {
    case MsgButtons::Ok:
      return "OK";
    case MsgButtons::OkCancel:
      return "OK, Cancel";
    case MsgButtons::YesNo:
      return "Yes, No";
    case MsgButtons::YesNoCancel:
      return "Yes, No, Cancel";
    case MsgButtons::RetryCancel:
      return "Retry, Cancel";
  }
  return "?";
}

// The program as the scenario's child processes see it: each call is recorded, and the
// process's effects happen when it is waited for, or at the latest when its handle goes.
class SimChildProcess : public ChildProcess {
 public:
  SimChildProcess(std::weak_ptr<sim::Machine> machine, int number)
      : machine_(std::move(machine)), number_(number) {}
  ~SimChildProcess() override {
    if (const auto m = machine_.lock()) {
      m->EndProcess(number_);
    }
  }
  SimChildProcess(const SimChildProcess&) = delete;
  SimChildProcess& operator=(const SimChildProcess&) = delete;

  bool Wait(int32_t timeoutMs) override {
    const auto m = machine_.lock();
    if (!m) {
      return true;
    }
    const std::size_t line = m->Begin("Wait", Line{{"process", number_}, {"timeoutMs", timeoutMs}});
    // Every simulated process has finished by the time it is waited for, unless its rule or a
    // fault makes the wait fail.
    const nlohmann::json* forced = m->Forced(line);
    const bool ended = !m->WaitFails(number_) && (forced == nullptr || forced->get<bool>());
    if (ended) {
      m->EndProcess(number_);
    }
    m->Result(line, ended);
    return ended;
  }

  std::optional<uint32_t> ExitCode() override {
    const auto m = machine_.lock();
    if (!m) {
      return std::nullopt;
    }
    const std::size_t line = m->Begin("ExitCode", Line{{"process", number_}});
    std::optional<uint32_t> code = m->ExitCodeOf(number_);
    if (const nlohmann::json* forced = m->Forced(line)) {
      code = forced->is_null() ? std::nullopt : std::optional(forced->get<uint32_t>());
    }
    m->Result(line, code ? Line(*code) : Line(nullptr));
    return code;
  }

 private:
  std::weak_ptr<sim::Machine> machine_;
  int number_;
};

// A mutex the program made: the machine knows it held until the program lets go.
class SimHeldMutex : public HeldMutex {
 public:
  SimHeldMutex(std::weak_ptr<sim::Machine> machine, std::wstring name)
      : machine_(std::move(machine)), name_(std::move(name)) {}
  ~SimHeldMutex() override {
    if (const auto m = machine_.lock()) {
      m->ReleaseMutex(name_);
    }
  }
  SimHeldMutex(const SimHeldMutex&) = delete;
  SimHeldMutex& operator=(const SimHeldMutex&) = delete;

 private:
  std::weak_ptr<sim::Machine> machine_;
  std::wstring name_;
};

class SimHeldFile : public HeldFile {
 public:
  SimHeldFile(std::weak_ptr<sim::Machine> machine, std::wstring path)
      : machine_(std::move(machine)), path_(std::move(path)) {}

  std::wstring Sha256() override {
    const auto m = machine_.lock();
    if (!m) {
      throw RunError{75, L"Path/File access error"};
    }
    const std::size_t line = m->Begin("Sha256", Line{{"path", Text(path_)}});
    std::wstring digest(64, L'0');
    if (const std::wstring* given = m->Setup().packageFileDigests.Find(path_)) {
      digest = *given;
    } else {
      const std::size_t slash = path_.find_last_of(L"\\/");
      const std::wstring name = slash == std::wstring::npos ? path_ : path_.substr(slash + 1);
      if (const std::wstring* recorded = m->Setup().recordedDigests.Find(name)) {
        digest = *recorded;
      }
    }
    m->Result(line, Text(digest));
    return digest;
  }

 private:
  std::weak_ptr<sim::Machine> machine_;
  std::wstring path_;
};

class SimInstaller : public InstallerObject {
 public:
  explicit SimInstaller(std::weak_ptr<sim::Machine> machine) : machine_(std::move(machine)) {}

  int32_t ProductState(const std::wstring& productCode) override {
    const auto m = machine_.lock();
    if (!m) {
      throw RunError{-2147417848, L"The object invoked has disconnected from its clients."};
    }
    const std::size_t line = m->Begin("ProductState", Line{{"productCode", Text(productCode)}});
    if (const RunError* error = m->Setup().productStateFails.Find(productCode)) {
      m->Raise(line, *error);
    }
    // A product Windows Installer has never heard of is unknown (-1).
    const int32_t* known = m->ProductStates().Find(productCode);
    const int32_t state = known != nullptr ? *known : -1;
    m->Result(line, state);
    return state;
  }

  std::wstring ProductInfo(const std::wstring& productCode,
                           const std::wstring& attribute) override {
    const auto m = Connected();
    const std::size_t line = m->Begin(
        "ProductInfo", Line{{"productCode", Text(productCode)}, {"attribute", Text(attribute)}});
    // Windows Installer keeps nothing of a product that is not installed.
    const int32_t* state = m->ProductStates().Find(productCode);
    if (state == nullptr || !IsInstalledState(*state)) {
      m->Raise(line, RunError{-2147023291,
                              L"This action is only valid for products that are "
                              L"currently installed."});
    }
    std::wstring value;
    if (EqualsNoCase(attribute, L"PackageCode")) {
      const std::wstring* code = m->Setup().installedPackageCodes.Find(productCode);
      value = code != nullptr ? *code : sim::kSamePackageCode;
    }
    m->Result(line, Text(value));
    return value;
  }

  std::wstring SummaryProperty(const std::wstring& packagePath, int32_t propertyId) override {
    const auto m = Connected();
    const std::size_t line =
        m->Begin("SummaryProperty", Line{{"path", Text(packagePath)}, {"property", propertyId}});
    const auto path = m->Files().Parse(packagePath, false);
    const sim::FileEntry* file = path ? m->Files().Find(*path) : nullptr;
    if (file == nullptr || file->folder) {
      m->Raise(line, RunError{-2147024894, L"The system cannot find the file specified."});
    }
    std::wstring value;
    if (propertyId == 9) {
      const std::wstring* code = m->Setup().packageFileCodes.Find(packagePath);
      value = code != nullptr ? *code : sim::kSamePackageCode;
    }
    m->Result(line, Text(value));
    return value;
  }

  std::wstring PackageProperty(const std::wstring& packagePath,
                               const std::wstring& property) override {
    const auto m = Connected();
    const std::size_t line = m->Begin(
        "PackageProperty", Line{{"path", Text(packagePath)}, {"property", Text(property)}});
    const auto path = m->Files().Parse(packagePath, false);
    const sim::FileEntry* file = path ? m->Files().Find(*path) : nullptr;
    if (file == nullptr || file->folder) {
      m->Raise(line, RunError{-2147024894, L"The system cannot find the file specified."});
    }
    std::wstring value;
    if (EqualsNoCase(property, L"ProductCode")) {
      const std::wstring* code = m->Setup().packageProductCodes.Find(packagePath);
      value = code != nullptr ? *code : BuiltProductCode(packagePath);
    }
    m->Result(line, Text(value));
    return value;
  }

 private:
  // The product code the build gives the package of this file name; "" for another file.
  static std::wstring BuiltProductCode(const std::wstring& packagePath) {
    const std::size_t slash = packagePath.find_last_of(L"\\/");
    const std::wstring name =
        slash == std::wstring::npos ? packagePath : packagePath.substr(slash + 1);
    for (const bool pro : {true, false}) {
      for (const bool update : {false, true}) {
        const Edition e = EditionFor(pro ? L"VTRPRO" : L"VTR", update);
        if (EqualsNoCase(name, ProgramPackageName(pro, update))) {
          return e.gsProdID;
        }
        if (EqualsNoCase(name, DatabasePackageName(pro, update))) {
          return e.gsDBProdID;
        }
      }
    }
    return {};
  }

  std::shared_ptr<sim::Machine> Connected() const {
    auto m = machine_.lock();
    if (!m) {
      throw RunError{-2147417848, L"The object invoked has disconnected from its clients."};
    }
    return m;
  }

  std::weak_ptr<sim::Machine> machine_;
};

const char* HiveName(RegistryHive hive) {
  return hive == RegistryHive::Machine ? "HKLM" : "HKCU";
}

Line RegistryArgs(RegistryHive hive, const std::wstring& key) {
  return Line{{"hive", HiveName(hive)}, {"key", Text(key)}};
}

Line ValueLine(const RegistryValue& value) {
  if (const auto* text = std::get_if<std::wstring>(&value)) {
    return Text(*text);
  }
  return std::get<uint32_t>(value);
}

// Without administrator rights HKEY_LOCAL_MACHINE is read-only, as Windows keeps it.
void CheckWritable(sim::Machine& m, std::size_t line, RegistryHive hive, const std::wstring& key) {
  if (hive == RegistryHive::Machine && !m.Setup().administrator) {
    m.Raise(line,
            RunError{5, L"Unable to write HKEY_LOCAL_MACHINE\\" + key + L": Access is denied."});
  }
}

}  // namespace

SimPlatform::SimPlatform(const nlohmann::json& scenario)
    : machine_(std::make_shared<sim::Machine>(sim::ParseScenario(scenario))) {}

SimPlatform::~SimPlatform() = default;

std::wstring SimPlatform::EditionId() const {
  return machine_->Setup().editionId.value_or(VTR_EDITION_ID);
}

const std::vector<nlohmann::ordered_json>& SimPlatform::Transcript() const {
  return machine_->Transcript();
}

bool SimPlatform::Pins(const nlohmann::ordered_json& line) const {
  return sim::PinKeeps(machine_->Setup().pin, line);
}

std::vector<nlohmann::ordered_json> SimPlatform::Calls(std::string_view op) const {
  std::vector<nlohmann::ordered_json> calls;
  for (const auto& line : machine_->Transcript()) {
    // Events, snapshots and notes stand between the calls: they have no "op".
    if (line.contains("op") && line["op"] == op) {
      calls.push_back(line);
    }
  }
  return calls;
}

nlohmann::ordered_json SimPlatform::FinalState() const {
  Line settings = Line::object();
  machine_->Settings().ForEach([&](const std::wstring& app, const auto& sections) {
    Line appLine = Line::object();
    sections.ForEach([&](const std::wstring& section, const auto& keys) {
      Line sectionLine = Line::object();
      keys.ForEach([&](const std::wstring& key, const std::wstring& value) {
        sectionLine[sim::ToUtf8(key)] = Text(value);
      });
      appLine[sim::ToUtf8(section)] = std::move(sectionLine);
    });
    settings[sim::ToUtf8(app)] = std::move(appLine);
  });

  Line files = Line::array();
  for (const sim::FileEntry* entry : machine_->Files().Listed()) {
    Line item{{"path", Text(entry->path.Display())}};
    for (const auto& [flag, name] : {std::pair{entry->folder, "folder"},
                                     {entry->readOnly, "readOnly"},
                                     {entry->hidden, "hidden"},
                                     {entry->system, "system"}}) {
      if (flag) {
        item[name] = true;
      }
    }
    files.push_back(std::move(item));
  }

  Line states = Line::object();
  machine_->ProductStates().ForEach(
      [&](const std::wstring& code, int32_t state) { states[sim::ToUtf8(code)] = state; });
  Line final{{"settings", std::move(settings)},
             {"files", std::move(files)},
             {"productStates", std::move(states)}};
  // Only a machine whose registry holds something shows it.
  if (!machine_->Registry().empty()) {
    Line registry = Line::object();
    machine_->Registry().ForEach([&](const std::wstring& key, const auto& values) {
      Line valuesLine = Line::object();
      values.ForEach([&](const std::wstring& name, const RegistryValue& value) {
        valuesLine[sim::ToUtf8(name)] = ValueLine(value);
      });
      registry[sim::ToUtf8(key)] = std::move(valuesLine);
    });
    final["registry"] = std::move(registry);
  }
  return final;
}

int SimPlatform::UnscriptedDialogs() const {
  return machine_->Unscripted();
}

std::vector<std::string> SimPlatform::ScenarioErrors() const {
  std::vector<std::string> errors = machine_->ScenarioErrors();
  if (auto unplayed = machine_->UnplayedEvents()) {
    errors.push_back(std::move(*unplayed));
  }
  return errors;
}

std::vector<std::string> SimPlatform::UnusedAnswers() const {
  return machine_->UnusedAnswers();
}

// --- User dialogs ---

MsgAnswer SimPlatform::MsgBox(const std::wstring& text, MsgButtons buttons, MsgIcon icon,
                              const std::optional<std::wstring>& title) {
  const std::size_t line = machine_->Begin("MsgBox", Line{{"text", Text(text)},
                                                          {"buttons", ButtonsName(buttons)},
                                                          {"icon", IconName(icon)},
                                                          {"title", TextOrNull(title)}});
  // Without a script the box is answered with its first button, as Enter would.
  // An unscripted box is answered as a user who agrees would; a Retry is never assumed, since
  // it could ask again for ever.
  const MsgAnswer fallback = buttons == MsgButtons::Ok || buttons == MsgButtons::OkCancel
                                 ? MsgAnswer::Ok
                             : buttons == MsgButtons::RetryCancel ? MsgAnswer::Cancel
                                                                  : MsgAnswer::Yes;
  const std::optional<MsgAnswer> scripted = machine_->NextMsgBoxAnswer();
  MsgAnswer answer = fallback;
  std::optional<std::string> error;
  if (!scripted) {
    machine_->CountUnscripted();
  } else if (IsButtonOf(*scripted, buttons)) {
    answer = *scripted;
  } else {
    error = std::string("the scripted answer ") + AnswerName(*scripted) +
            " is not a button of this box (" + ButtonList(buttons) + "); answered " +
            AnswerName(fallback);
    machine_->ScenarioError("MsgBox: " + *error);
  }
  machine_->Result(line, AnswerName(answer));
  if (!scripted) {
    machine_->Note(line, "unscripted", true);
  }
  if (error) {
    machine_->Note(line, "error", *error);
  }
  return answer;
}

std::wstring SimPlatform::InputBox(const std::wstring& prompt, const std::wstring& title,
                                   const std::wstring& defaultText) {
  const std::size_t line = machine_->Begin(
      "InputBox",
      Line{{"prompt", Text(prompt)}, {"title", Text(title)}, {"default", Text(defaultText)}});
  const auto scripted = machine_->NextInputBoxAnswer();
  // Without a script the user accepts the proposed text; a scripted null is Cancel.
  const std::wstring answer = scripted ? scripted->value_or(L"") : defaultText;
  machine_->Result(line, Text(answer));
  if (!scripted) {
    machine_->CountUnscripted();
    machine_->Note(line, "unscripted", true);
  }
  return answer;
}

void SimPlatform::SetMousePointer(MousePointer pointer) {
  machine_->Begin("SetMousePointer",
                  Line{{"pointer", pointer == MousePointer::Busy ? "Busy" : "Default"}});
}

// --- Program identity and session input ---

std::wstring SimPlatform::OwnFileName() {
  const std::size_t line = machine_->Begin("OwnFileName");
  machine_->Result(line, Text(machine_->Setup().ownFileName));
  return machine_->Setup().ownFileName;
}

std::wstring SimPlatform::OwnFolder() {
  const std::size_t line = machine_->Begin("OwnFolder");
  machine_->Result(line, Text(machine_->Setup().ownFolder));
  return machine_->Setup().ownFolder;
}

std::wstring SimPlatform::OwnTitle() {
  const std::size_t line = machine_->Begin("OwnTitle");
  const std::wstring title = L"VTR Setup";
  machine_->Result(line, Text(title));
  return title;
}

AppVersion SimPlatform::OwnVersion() {
  const std::size_t line = machine_->Begin("OwnVersion");
  // The version this setup program is built as (its Windows version resource says the same).
  const AppVersion version{1, 6, 0};
  machine_->Result(
      line,
      Line{{"major", version.major}, {"minor", version.minor}, {"revision", version.revision}});
  return version;
}

std::wstring SimPlatform::CommandLine() {
  const std::size_t line = machine_->Begin("CommandLine");
  machine_->Result(line, Text(machine_->Setup().commandLine));
  return machine_->Setup().commandLine;
}

WindowView& SimPlatform::WizardView() {
  machine_->Begin("WizardView");
  return view_;
}

void SimPlatform::RunEventLoop(const std::function<bool()>& done) {
  machine_->Begin("RunEventLoop");
  sim::PlayEvents(*machine_, view_, done);
}

// --- Settings store ---

namespace {

void CheckSettingNames(sim::Machine& m, std::size_t line, const std::wstring& application,
                       const std::wstring& section) {
  // The store has no place without an application and a section name.
  if (application.empty() || section.empty()) {
    m.Raise(line, RunError{5, L"Invalid procedure call or argument"});
  }
}

}  // namespace

std::wstring SimPlatform::GetSetting(const std::wstring& application, const std::wstring& section,
                                     const std::wstring& key, const std::wstring& defaultValue) {
  const std::size_t line = machine_->Begin("GetSetting", Line{{"application", Text(application)},
                                                              {"section", Text(section)},
                                                              {"key", Text(key)},
                                                              {"default", Text(defaultValue)}});
  CheckSettingNames(*machine_, line, application, section);
  std::wstring value = defaultValue;
  if (const auto* app = machine_->Settings().Find(application)) {
    if (const auto* sec = app->Find(section)) {
      if (const std::wstring* stored = sec->Find(key)) {
        value = *stored;
      }
    }
  }
  machine_->Result(line, Text(value));
  return value;
}

void SimPlatform::SaveSetting(const std::wstring& application, const std::wstring& section,
                              const std::wstring& key, const std::wstring& value) {
  const std::size_t line = machine_->Begin("SaveSetting", Line{{"application", Text(application)},
                                                               {"section", Text(section)},
                                                               {"key", Text(key)},
                                                               {"value", Text(value)}});
  CheckSettingNames(*machine_, line, application, section);
  machine_->Settings().Entry(application).Entry(section).Set(key, value);
}

void SimPlatform::DeleteSetting(const std::wstring& application, const std::wstring& section,
                                const std::wstring& key) {
  const std::size_t line = machine_->Begin(
      "DeleteSetting",
      Line{{"application", Text(application)}, {"section", Text(section)}, {"key", Text(key)}});
  CheckSettingNames(*machine_, line, application, section);
  if (auto* app = machine_->Settings().Find(application)) {
    if (auto* sec = app->Find(section)) {
      sec->Remove(key);
    }
  }
}

// --- The registry outside the settings store ---

std::optional<RegistryValue> SimPlatform::GetRegistryValue(RegistryHive hive,
                                                           const std::wstring& key,
                                                           const std::wstring& name) {
  Line args = RegistryArgs(hive, key);
  args["name"] = Text(name);
  const std::size_t line = machine_->Begin("GetRegistryValue", std::move(args));
  std::optional<RegistryValue> value;
  if (const auto* values = machine_->Registry().Find(sim::RegistryKeyName(hive, key))) {
    if (const RegistryValue* stored = values->Find(name)) {
      value = *stored;
    }
  }
  machine_->Result(line, value ? ValueLine(*value) : Line(nullptr));
  return value;
}

void SimPlatform::SetRegistryValue(RegistryHive hive, const std::wstring& key,
                                   const std::wstring& name, const RegistryValue& value) {
  Line args = RegistryArgs(hive, key);
  args["name"] = Text(name);
  args["value"] = ValueLine(value);
  const std::size_t line = machine_->Begin("SetRegistryValue", std::move(args));
  CheckWritable(*machine_, line, hive, key);
  machine_->Registry().Entry(sim::RegistryKeyName(hive, key)).Set(name, value);
}

void SimPlatform::DeleteRegistryValue(RegistryHive hive, const std::wstring& key,
                                      const std::wstring& name) {
  Line args = RegistryArgs(hive, key);
  args["name"] = Text(name);
  const std::size_t line = machine_->Begin("DeleteRegistryValue", std::move(args));
  auto* values = machine_->Registry().Find(sim::RegistryKeyName(hive, key));
  if (values != nullptr && values->Find(name) != nullptr) {
    CheckWritable(*machine_, line, hive, key);
    values->Remove(name);
  }
}

void SimPlatform::DeleteRegistryKey(RegistryHive hive, const std::wstring& key) {
  const std::size_t line = machine_->Begin("DeleteRegistryKey", RegistryArgs(hive, key));
  const std::wstring full = sim::RegistryKeyName(hive, key);
  std::vector<std::wstring> doomed;
  machine_->Registry().ForEach([&](const std::wstring& name, const auto&) {
    if (EqualsNoCase(name, full) || (name.size() > full.size() && name[full.size()] == L'\\' &&
                                     EqualsNoCase(name.substr(0, full.size()), full))) {
      doomed.push_back(name);
    }
  });
  if (!doomed.empty()) {
    CheckWritable(*machine_, line, hive, key);
  }
  for (const std::wstring& name : doomed) {
    machine_->Registry().Remove(name);
  }
}

bool SimPlatform::CanWriteRegistryKey(RegistryHive hive, const std::wstring& key) {
  const std::size_t line = machine_->Begin("CanWriteRegistryKey", RegistryArgs(hive, key));
  const bool writable = hive == RegistryHive::User || machine_->Setup().administrator;
  machine_->Result(line, writable);
  return writable;
}

// --- Files and folders ---

std::wstring SimPlatform::FindFirst(const std::wstring& pathOrPattern, int attributes) {
  const std::size_t line =
      machine_->Begin("FindFirst", Line{{"path", Text(pathOrPattern)}, {"attributes", attributes}});
  const std::wstring name = machine_->Files().FindFirst(pathOrPattern, attributes);
  machine_->Result(line, Text(name));
  return name;
}

std::wstring SimPlatform::FindNext() {
  const std::size_t line = machine_->Begin("FindNext");
  const std::wstring name = machine_->Files().FindNext();
  machine_->Result(line, Text(name));
  return name;
}

void SimPlatform::MakeFolder(const std::wstring& path) {
  const std::size_t line = machine_->Begin("MakeFolder", Line{{"path", Text(path)}});
  try {
    machine_->Files().MakeFolder(path);
  } catch (const RunError& error) {
    machine_->Raise(line, error);
  }
}

void SimPlatform::CreateEmptyFile(const std::wstring& path) {
  const std::size_t line = machine_->Begin("CreateEmptyFile", Line{{"path", Text(path)}});
  try {
    machine_->Files().CreateEmptyFile(path);
  } catch (const RunError& error) {
    machine_->Raise(line, error);
  }
}

bool SimPlatform::MoveFileTo(const std::wstring& existingPath, const std::wstring& newPath) {
  const std::size_t line =
      machine_->Begin("MoveFileTo", Line{{"from", Text(existingPath)}, {"to", Text(newPath)}});
  const nlohmann::json* forced = machine_->Forced(line);
  const bool moved =
      forced != nullptr ? forced->get<bool>() : machine_->Files().MoveFileTo(existingPath, newPath);
  machine_->Result(line, moved);
  return moved;
}

std::unique_ptr<HeldFile> SimPlatform::HoldFile(const std::wstring& path, bool digest) {
  const std::size_t line =
      machine_->Begin("HoldFile", Line{{"path", Text(path)}, {"digest", digest}});
  const auto parsed = machine_->Files().Parse(path, false);
  const sim::FileEntry* file = parsed ? machine_->Files().Find(*parsed) : nullptr;
  if (file == nullptr || file->folder) {
    machine_->Raise(line, RunError{53, L"File not found"});
  }
  machine_->Result(line, true);
  return std::make_unique<SimHeldFile>(machine_, path);
}

std::wstring SimPlatform::RecordedPackageDigests() {
  const std::size_t line = machine_->Begin("RecordedPackageDigests");
  std::wstring text;
  machine_->Setup().recordedDigests.ForEach(
      [&](const std::wstring& name, const std::wstring& digest) {
        text += digest + L"  " + name + L"\n";
      });
  machine_->Result(line, Text(text));
  return text;
}

// --- Shell and processes ---

int32_t SimPlatform::ShellOpen(const std::wstring& verb, const std::wstring& file,
                               const std::wstring& parameters, const std::wstring& workFolder,
                               int showCommand) {
  const std::size_t line = machine_->Begin("ShellOpen", Line{{"verb", Text(verb)},
                                                             {"file", Text(file)},
                                                             {"parameters", Text(parameters)},
                                                             {"workFolder", Text(workFolder)},
                                                             {"show", showCommand}});
  int32_t result = 42;  // any value from 32 on means started
  for (const sim::ShellRule& rule : machine_->Setup().shell) {
    if (sim::ContainsIgnoringCase(file, rule.match)) {
      result = rule.result;
      break;
    }
  }
  if (const nlohmann::json* forced = machine_->Forced(line)) {
    result = forced->get<int32_t>();
  }
  machine_->Result(line, result);
  return result;
}

std::unique_ptr<ChildProcess> SimPlatform::StartProcess(const std::wstring& applicationPath,
                                                        const std::wstring& commandLine,
                                                        const std::wstring& workFolder) {
  const std::size_t line =
      machine_->Begin("StartProcess", Line{{"application", Text(applicationPath)},
                                           {"commandLine", Text(commandLine)},
                                           {"workFolder", Text(workFolder)}});
  // A fault's result (null) is a process that did not start.
  const std::optional<int> number = machine_->Forced(line) != nullptr
                                        ? std::nullopt
                                        : machine_->StartProcess(applicationPath, commandLine);
  machine_->Result(line, number ? Line(*number) : Line(nullptr));
  if (!number) {
    return nullptr;
  }
  return std::make_unique<SimChildProcess>(machine_, *number);
}

// --- System information ---

OsVersionRecord SimPlatform::OsVersion() {
  const std::size_t line = machine_->Begin("OsVersion");
  // A failing query (the scenario's or a fault's) fills in nothing.
  const OsVersionRecord record = machine_->Forced(line) != nullptr
                                     ? OsVersionRecord{}
                                     : machine_->Setup().osVersion.value_or(OsVersionRecord{});
  // The service-pack field is shown up to its NUL; the blanks after it are always the same.
  const std::wstring servicePack = record.servicePack.substr(0, record.servicePack.find(L'\0'));
  machine_->Result(line, Line{{"platformId", record.platformId},
                              {"major", record.major},
                              {"minor", record.minor},
                              {"build", record.build},
                              {"servicePack", Text(servicePack)}});
  return record;
}

std::optional<std::wstring> SimPlatform::FolderPath(int csidl) {
  const std::size_t line = machine_->Begin("FolderPath", Line{{"csidl", csidl}});
  const auto& setup = machine_->Setup();
  std::optional<std::wstring> path;
  if (const auto it = setup.folderPath.find(csidl); it != setup.folderPath.end()) {
    path = it->second;
  } else if (const auto f = setup.folders.find(csidl); f != setup.folders.end()) {
    path = f->second;
  }
  if (const nlohmann::json* forced = machine_->Forced(line)) {
    path = forced->is_null() ? std::nullopt
                             : std::optional(sim::FromUtf8(forced->get<std::string>(), "result"));
  }
  machine_->Result(line, TextOrNull(path));
  return path;
}

std::wstring SimPlatform::SpecialFolderPath(int csidl) {
  const std::size_t line = machine_->Begin("SpecialFolderPath", Line{{"csidl", csidl}});
  const auto& setup = machine_->Setup();
  std::optional<std::wstring> path;
  if (const auto it = setup.specialFolderPath.find(csidl); it != setup.specialFolderPath.end()) {
    path = it->second;
  } else if (const auto f = setup.folders.find(csidl); f != setup.folders.end()) {
    path = f->second;
  }
  if (const nlohmann::json* forced = machine_->Forced(line)) {
    path = sim::FromUtf8(forced->get<std::string>(), "result");
  }
  const std::wstring result = path.value_or(L"");
  machine_->Result(line, Text(result));
  return result;
}

std::wstring SimPlatform::SystemFolder() {
  const std::size_t line = machine_->Begin("SystemFolder");
  const nlohmann::json* forced = machine_->Forced(line);
  const std::wstring folder = forced != nullptr
                                  ? sim::FromUtf8(forced->get<std::string>(), "result")
                                  : machine_->Setup().systemFolder.value_or(L"");
  machine_->Result(line, Text(folder));
  return folder;
}

std::optional<std::wstring> SimPlatform::BrowseForFolder(const std::wstring& title,
                                                         bool programFilesRoot) {
  const std::size_t line = machine_->Begin(
      "BrowseForFolder", Line{{"title", Text(title)}, {"programFilesRoot", programFilesRoot}});
  const auto scripted = machine_->NextFolderPickerAnswer();
  // Without a script the user closes the picker.
  const std::optional<std::wstring> chosen = scripted ? *scripted : std::nullopt;
  machine_->Result(line, TextOrNull(chosen));
  if (!scripted) {
    machine_->CountUnscripted();
    machine_->Note(line, "unscripted", true);
  }
  return chosen;
}

// --- Windows Installer ---

std::unique_ptr<InstallerObject> SimPlatform::CreateInstaller() {
  const std::size_t line = machine_->Begin("CreateInstaller");
  if (const auto& fails = machine_->Setup().installerFails) {
    machine_->Raise(line, *fails);
  }
  machine_->Result(line, "installer object");
  return std::make_unique<SimInstaller>(machine_);
}

// --- Unattended runs and the setup log ---

bool SimPlatform::PersonCanAnswer() {
  const std::size_t line = machine_->Begin("PersonCanAnswer");
  machine_->Result(line, machine_->Setup().personCanAnswer);
  return machine_->Setup().personCanAnswer;
}

void SimPlatform::WriteStandardError(const std::wstring& text) {
  machine_->Begin("WriteStandardError", Line{{"line", Text(text)}});
}

void SimPlatform::WriteStandardOutput(const std::wstring& text) {
  machine_->Begin("WriteStandardOutput", Line{{"line", Text(text)}});
}

std::wstring SimPlatform::TempFolder() {
  const std::size_t line = machine_->Begin("TempFolder");
  std::wstring folder = machine_->Setup().tempFolder.value_or(L"");
  while (folder.size() > 3 && (folder.back() == L'\\' || folder.back() == L'/')) {
    folder.pop_back();
  }
  machine_->Result(line, Text(folder));
  return folder;
}

void SimPlatform::AppendLine(const std::wstring& path, const std::wstring& text) {
  const std::size_t line =
      machine_->Begin("AppendLine", Line{{"path", Text(path)}, {"line", Text(text)}});
  // The disks hold no contents: the file is made, or found writable, as CreateFile would.
  try {
    machine_->Files().CreateEmptyFile(path);
  } catch (const RunError& error) {
    machine_->Raise(line, error);
  }
}

LocalTime SimPlatform::Now() {
  const std::size_t line = machine_->Begin("Now");
  const LocalTime t = machine_->Clock();
  machine_->Result(line, Text(FormatTime(t)));
  return t;
}

ProcessIdentity SimPlatform::Identity() {
  const std::size_t line = machine_->Begin("Identity");
  const sim::Scenario& setup = machine_->Setup();
  ProcessIdentity identity{setup.computerName, setup.computerName + L"\\" + setup.userName,
                           setup.processId};
  machine_->Result(line, Line{{"computer", Text(identity.computer)},
                              {"account", Text(identity.account)},
                              {"processId", identity.processId}});
  return identity;
}

// --- Other programs running at the same time ---

bool SimPlatform::NamedMutexExists(const std::wstring& name) {
  const std::size_t line = machine_->Begin("NamedMutexExists", Line{{"name", Text(name)}});
  const bool exists = machine_->MutexTaken(name);
  machine_->Result(line, exists);
  return exists;
}

std::unique_ptr<HeldMutex> SimPlatform::ClaimNamedMutex(const std::wstring& name) {
  const std::size_t line = machine_->Begin("ClaimNamedMutex", Line{{"name", Text(name)}});
  const bool claimed = !machine_->MutexTaken(name);
  machine_->Result(line, claimed);
  if (!claimed) {
    return nullptr;
  }
  machine_->HoldMutex(name);
  return std::make_unique<SimHeldMutex>(machine_, name);
}

void SimPlatform::Pause(int32_t milliseconds) {
  machine_->Begin("Pause", Line{{"milliseconds", milliseconds}});
  machine_->Advance(milliseconds);
  machine_->FoldRepeats();
}

}  // namespace vtr
