// The simulated files and folders, held files and the package digests the release recorded.
#include "sim/machine.h"
#include "sim/sim_fakes.h"
#include "sim/sim_platform.h"

namespace vtr {

using sim::Line;
using sim::Text;

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
  return sim::MakeHeldFile(machine_, path);
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

}  // namespace vtr
