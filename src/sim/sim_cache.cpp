// The simulated protected cache: protected folders, copies hashed as they are written, removal.
// The simulated disk keeps no contents: a file's size is 1 MB unless a fault says otherwise,
// and a copy's digest is the one the scenario gives its source.
#include <vector>

#include "sim/machine.h"
#include "sim/sim_fakes.h"
#include "sim/sim_platform.h"

namespace vtr {

using sim::Line;
using sim::Text;

namespace {

constexpr uint64_t kFileSize = 1 << 20;

const sim::FileEntry* EntryAt(sim::Machine& m, const std::wstring& path) {
  const auto parsed = m.Files().Parse(path, false);
  return parsed ? m.Files().Find(*parsed) : nullptr;
}

}  // namespace

void SimPlatform::MakeProtectedFolder(const std::wstring& path) {
  const std::size_t line = machine_->Begin("MakeProtectedFolder", Line{{"path", Text(path)}});
  const auto parsed = machine_->Files().Parse(path, false);
  if (!parsed) {
    machine_->Raise(line, RunError{76, L"Path not found"});
  }
  // The missing folders, from the nearest existing one down.
  std::vector<sim::WinPath> missing;
  for (sim::WinPath p = *parsed; !p.IsRoot(); p = p.Parent()) {
    const sim::FileEntry* entry = machine_->Files().Find(p);
    if (entry != nullptr) {
      if (!entry->folder) {
        machine_->Raise(line, RunError{75, L"Path/File access error"});
      }
      break;
    }
    missing.push_back(p);
  }
  for (auto it = missing.rbegin(); it != missing.rend(); ++it) {
    try {
      machine_->Files().MakeFolder(it->Display());
    } catch (const RunError& error) {
      machine_->Raise(line, error);
    }
  }
}

bool SimPlatform::PathHasLink(const std::wstring& path) {
  const std::size_t line = machine_->Begin("PathHasLink", Line{{"path", Text(path)}});
  const nlohmann::json* forced = machine_->Forced(line);
  const bool link = forced != nullptr && forced->get<bool>();
  machine_->Result(line, link);
  return link;
}

std::optional<uint64_t> SimPlatform::FileSize(const std::wstring& path) {
  const std::size_t line = machine_->Begin("FileSize", Line{{"path", Text(path)}});
  std::optional<uint64_t> size;
  if (const nlohmann::json* forced = machine_->Forced(line)) {
    if (!forced->is_null()) {
      size = forced->get<uint64_t>();
    }
  } else if (const sim::FileEntry* file = EntryAt(*machine_, path);
             file != nullptr && !file->folder) {
    size = kFileSize;
  }
  machine_->Result(line, size ? Line(*size) : Line(nullptr));
  return size;
}

// Each file inside counts as its 1 MB; a fault may answer another size, or nothing.
std::optional<uint64_t> SimPlatform::FolderSize(const std::wstring& folder) {
  const std::size_t line = machine_->Begin("FolderSize", Line{{"folder", Text(folder)}});
  std::optional<uint64_t> size;
  const auto parsed = machine_->Files().Parse(folder, false);
  if (const nlohmann::json* forced = machine_->Forced(line)) {
    if (!forced->is_null()) {
      size = forced->get<uint64_t>();
    }
  } else if (parsed && machine_->Files().IsFolder(*parsed)) {
    size = kFileSize * machine_->Files().FilesInside(*parsed);
  }
  machine_->Result(line, size ? Line(*size) : Line(nullptr));
  return size;
}

std::unique_ptr<HeldFile> SimPlatform::CopyIntoFolder(const std::wstring& source,
                                                      const std::wstring& folder,
                                                      const std::wstring& name) {
  const std::size_t line = machine_->Begin(
      "CopyIntoFolder",
      Line{{"source", Text(source)}, {"folder", Text(folder)}, {"name", Text(name)}});
  const sim::FileEntry* file = EntryAt(*machine_, source);
  if (file == nullptr || file->folder) {
    machine_->Raise(line, RunError{53, L"File not found"});
  }
  const std::wstring copy = folder + L"\\" + name;
  const auto target = machine_->Files().Parse(copy, false);
  if (!target || !machine_->Files().IsFolder(target->Parent())) {
    machine_->Raise(line, RunError{76, L"Path not found"});
  }
  machine_->Files().Place(sim::FileEntry{*target, false, false, false, false, true});
  machine_->RecordCopy(copy, source);
  return sim::MakeHeldFile(machine_, copy, source);
}

void SimPlatform::RemoveFile(const std::wstring& path) {
  const std::size_t line = machine_->Begin("RemoveFile", Line{{"path", Text(path)}});
  const auto parsed = machine_->Files().Parse(path, false);
  if (!parsed) {
    machine_->Raise(line, RunError{75, L"Path/File access error"});
  }
  if (machine_->Files().IsFolder(*parsed)) {
    machine_->Raise(line, RunError{75, L"Path/File access error"});
  }
  machine_->Files().Remove(*parsed);
}

void SimPlatform::RemoveFolderTree(const std::wstring& path) {
  const std::size_t line = machine_->Begin("RemoveFolderTree", Line{{"path", Text(path)}});
  const auto parsed = machine_->Files().Parse(path, false);
  if (!parsed || parsed->IsRoot()) {
    machine_->Raise(line, RunError{75, L"Path/File access error"});
  }
  machine_->Files().Remove(*parsed);
}

// The simulated program's current folder keeps no folder from being removed.
void SimPlatform::SetCurrentFolder(const std::wstring& path) {
  machine_->Begin("SetCurrentFolder", Line{{"path", Text(path)}});
}

// Nothing happens before the simulated Windows restarts, which it never does.
void SimPlatform::DeleteAtRestart(const std::wstring& path) {
  machine_->Begin("DeleteAtRestart", Line{{"path", Text(path)}});
}

}  // namespace vtr
