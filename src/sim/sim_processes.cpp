// The simulated child processes, the launch for the desktop's user, and the named mutexes of other
// programs.
#include "sim/machine.h"
#include "sim/sim_fakes.h"
#include "sim/sim_platform.h"

namespace vtr {

using sim::Line;
using sim::Text;

// --- Shell and processes ---

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
  return sim::MakeChildProcess(machine_, *number);
}

DesktopLaunch SimPlatform::StartAsDesktopUser(const std::wstring& program,
                                              const std::wstring& workFolder) {
  const std::size_t line = machine_->Begin(
      "StartAsDesktopUser", Line{{"program", Text(program)}, {"workFolder", Text(workFolder)}});
  std::string way = machine_->Setup().desktopShell ? "desktopShell" : "ownProcess";
  if (const nlohmann::json* forced = machine_->Forced(line)) {
    way = forced->get<std::string>();
  }
  machine_->Result(line, way);
  DesktopLaunch launch;
  if (way == "desktopShell") {
    launch.way = LaunchWay::DesktopShell;
  } else if (way == "ownProcess") {
    launch.way = LaunchWay::OwnProcess;
    launch.detail = L"no desktop shell runs";
  } else if (way == "notFound") {
    launch.way = LaunchWay::NotFound;
    launch.detail = L"the program is not there";
  } else {
    launch.detail = L"the desktop's shell did not start it";
  }
  return launch;
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
  return sim::MakeHeldMutex(machine_, name);
}

bool SimPlatform::ProgramRuns(const std::wstring& programPath) {
  const std::size_t line = machine_->Begin("ProgramRuns", Line{{"program", Text(programPath)}});
  const bool runs = machine_->ProgramRunning(programPath);
  machine_->Result(line, runs);
  return runs;
}

void SimPlatform::Pause(int32_t milliseconds) {
  machine_->Begin("Pause", Line{{"milliseconds", milliseconds}});
  machine_->Advance(milliseconds);
  machine_->FoldRepeats();
}

}  // namespace vtr
