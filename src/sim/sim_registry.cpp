// The simulated registry outside the settings store, read-only under HKEY_LOCAL_MACHINE
// without administrator rights.
#include "sim/machine.h"
#include "sim/sim_platform.h"
#include "util/text.h"

namespace vtr {

using sim::Line;
using sim::Text;
using sim::ValueLine;

namespace {

const char* HiveName(RegistryHive hive) {
  return hive == RegistryHive::Machine ? "HKLM" : "HKCU";
}

Line RegistryArgs(RegistryHive hive, const std::wstring& key) {
  return Line{{"hive", HiveName(hive)}, {"key", Text(key)}};
}

// Without administrator rights HKEY_LOCAL_MACHINE is read-only, as Windows keeps it.
void CheckWritable(sim::Machine& m, std::size_t line, RegistryHive hive, const std::wstring& key) {
  if (hive == RegistryHive::Machine && !m.Setup().administrator) {
    m.Raise(line,
            RunError{5, L"Unable to write HKEY_LOCAL_MACHINE\\" + key + L": Access is denied."});
  }
}

}  // namespace

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

}  // namespace vtr
