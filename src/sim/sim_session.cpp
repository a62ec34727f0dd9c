// The simulated program's identity and session input, and what an unattended run and the
// setup log ask of Windows.
#include "sim/event_player.h"
#include "sim/machine.h"
#include "sim/sim_platform.h"
#include "startup/setup_log.h"

namespace vtr {

using sim::Line;
using sim::Text;

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

bool SimPlatform::RunsElevated() {
  const std::size_t line = machine_->Begin("RunsElevated");
  machine_->Result(line, machine_->Setup().administrator);
  return machine_->Setup().administrator;
}

std::wstring SimPlatform::SystemTempFolder() {
  const std::size_t line = machine_->Begin("SystemTempFolder");
  const std::wstring folder = machine_->Setup().systemTempFolder;
  machine_->Result(line, Text(folder));
  return folder;
}

namespace {

// The setup log as the program holds it: each line written is recorded (the disks keep no
// contents).
class SimLogFile final : public LogFile {
 public:
  explicit SimLogFile(std::weak_ptr<sim::Machine> machine) : machine_(std::move(machine)) {}

  void WriteLine(const std::wstring& text) override {
    if (const auto m = machine_.lock()) {
      m->Begin("WriteLogLine", Line{{"line", Text(text)}});
    }
  }

 private:
  std::weak_ptr<sim::Machine> machine_;
};

// Makes the new file of a CreateLogFile call; false when anything is at the name
// already (which Windows would answer with ERROR_FILE_EXISTS), raises as making a file raises.
bool MakeNewFile(sim::Machine& m, std::size_t line, const std::wstring& path) {
  const nlohmann::json* forced = m.Forced(line);
  const auto parsed = m.Files().Parse(path, false);
  bool made = false;
  if (forced != nullptr) {
    made = forced->get<bool>();
  } else if (!parsed || m.Files().Find(*parsed) == nullptr) {
    try {
      m.Files().CreateEmptyFile(path);
    } catch (const RunError& error) {
      m.Raise(line, error);
    }
    made = true;
  }
  m.Result(line, made);
  return made;
}

}  // namespace

std::unique_ptr<LogFile> SimPlatform::CreateLogFile(const std::wstring& path) {
  const std::size_t line = machine_->Begin("CreateLogFile", Line{{"path", Text(path)}});
  if (!MakeNewFile(*machine_, line, path)) {
    return nullptr;
  }
  return std::make_unique<SimLogFile>(machine_);
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

}  // namespace vtr
