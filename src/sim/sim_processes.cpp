// The simulated shell and child processes, and the named mutexes of other programs.
#include "sim/machine.h"
#include "sim/sim_fakes.h"
#include "sim/sim_platform.h"

namespace vtr {

using sim::Line;
using sim::Text;

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
  return sim::MakeChildProcess(machine_, *number);
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

void SimPlatform::Pause(int32_t milliseconds) {
  machine_->Begin("Pause", Line{{"milliseconds", milliseconds}});
  machine_->Advance(milliseconds);
  machine_->FoldRepeats();
}

}  // namespace vtr
