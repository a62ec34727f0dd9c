// The objects the simulated Windows hands out, each recording its calls in the machine's
// transcript. They keep a weak reference to the machine, so one that outlives it does no harm.
#pragma once

#include <memory>
#include <string>

#include "platform/platform.h"

namespace vtr::sim {

class Machine;

// A started process: its effects happen when it is waited for, or when its handle goes.
std::unique_ptr<ChildProcess> MakeChildProcess(std::weak_ptr<Machine> machine, int number);
// A mutex the program made, held until the object goes.
std::unique_ptr<HeldMutex> MakeHeldMutex(std::weak_ptr<Machine> machine, std::wstring name);
// A file held open, whose SHA-256 is the scenario's.
// A held file whose digest is the one given for digestSource (the file it was copied from), or
// for path itself when that is empty.
std::unique_ptr<HeldFile> MakeHeldFile(std::weak_ptr<Machine> machine, std::wstring path,
                                       std::wstring digestSource = {});
// The Windows Installer automation object, answering from the machine's product states.
std::unique_ptr<InstallerObject> MakeInstaller(std::weak_ptr<Machine> machine);

}  // namespace vtr::sim
