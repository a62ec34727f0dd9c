// The simulated system information (version, folders) and the Windows Installer object.
#include "sim/machine.h"
#include "sim/sim_fakes.h"
#include "sim/sim_platform.h"
#include "sim/utf8.h"

namespace vtr {

using sim::Line;
using sim::Text;
using sim::TextOrNull;

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

// --- Windows Installer ---

std::unique_ptr<InstallerObject> SimPlatform::CreateInstaller() {
  const std::size_t line = machine_->Begin("CreateInstaller");
  if (const auto& fails = machine_->Setup().installerFails) {
    machine_->Raise(line, *fails);
  }
  machine_->Result(line, "installer object");
  return sim::MakeInstaller(machine_);
}

}  // namespace vtr
