#include "engine/every_user.h"

#include <algorithm>
#include <array>
#include <cstdint>

#include "detect/install_paths.h"
#include "util/text.h"

namespace vtr {
namespace {

Step PutBack(RegistryHive hive, const std::wstring& key, const std::wstring& name,
             const std::optional<RegistryValue>& old) {
  Step step;
  step.kind = StepKind::PutBackRegistryValue;
  step.hive = hive;
  step.what = key;
  step.valueName = name;
  step.registryValue = old;
  return step;
}

// "2026,1209,1530,45": the four numbers Active Setup compares, or nothing for another text.
std::optional<std::array<uint64_t, 4>> ParseVersion(const std::wstring& text) {
  std::array<uint64_t, 4> parts{};
  std::size_t part = 0;
  std::size_t digits = 0;
  for (const wchar_t c : text) {
    if (c == L',' && digits > 0 && part < 3) {
      ++part;
      digits = 0;
    } else if (c >= L'0' && c <= L'9' && digits < 9) {
      parts[part] = parts[part] * 10 + static_cast<uint64_t>(c - L'0');
      ++digits;
    } else {
      return std::nullopt;
    }
  }
  if (part != 3 || digits == 0) {
    return std::nullopt;
  }
  return parts;
}

}  // namespace

std::wstring HiveName(RegistryHive hive) {
  return hive == RegistryHive::Machine ? L"HKEY_LOCAL_MACHINE" : L"HKEY_CURRENT_USER";
}

void PlanEveryUser(const Edition& e, const Request& r, const EngineFacts& f, Plan& plan) {
  if (!f.machineAsked) {
    return;
  }
  if (r.bRemove) {
    if (!r.bProgram) {
      return;
    }
    if (!f.machineWritable) {
      plan.everyUserNote =
          L"settings for every user: the Active Setup component " + e.settingsComponent +
          L" and the machine-wide copy of the settings stay, since " + f.machineUnwritable + L".";
      return;
    }
    Step remove;
    remove.kind = StepKind::RemoveEveryUser;
    remove.what = e.settingsComponent;
    // They go with the program: right after its removal, or where it would be when the
    // program is no longer installed.
    auto at = std::find_if(plan.steps.begin(), plan.steps.end(), [](const Step& s) {
      return s.kind == StepKind::RunPackage && s.package == PackageId::Program;
    });
    plan.steps.insert(at == plan.steps.end() ? at : at + 1, remove);
    return;
  }
  std::vector<Step> added;
  std::size_t after = 0;
  for (std::size_t i = 0; i < plan.steps.size(); ++i) {
    const Step& step = plan.steps[i];
    if (step.kind == StepKind::SaveSetting || step.kind == StepKind::SaveEmailForm) {
      Step copy = step;
      copy.kind = StepKind::SaveMachineSetting;
      if (step.kind == StepKind::SaveSetting) {
        copy.valueIfRegistered = step.value;
      }
      added.push_back(copy);
      after = i + 1;
    }
  }
  if (added.empty()) {
    return;
  }
  if (!f.machineWritable) {
    plan.everyUserNote = L"settings for every user: recorded for this account only, since " +
                         f.machineUnwritable + L".";
    return;
  }
  Step component;
  component.kind = StepKind::RegisterEveryUser;
  component.what = e.settingsComponent;
  component.text = e.productName + L" settings";
  // Windows' own reg.exe, by its full path; Active Setup starts it as a native program, which
  // sees the copy in the machine's own view.
  component.program = f.nativeSystemDir + L"\\reg.exe";
  const std::wstring key = SettingsKey(e.gsEditionID);
  component.parameters = L"copy \"HKLM\\" + key + L"\" \"HKCU\\" + key + L"\" /s /f";
  added.push_back(component);
  // After the last setting the run records, before the database engine is offered.
  plan.steps.insert(plan.steps.begin() + static_cast<std::ptrdiff_t>(after), added.begin(),
                    added.end());
}

std::wstring StubPath(const Step& step) {
  return L"\"" + step.program + L"\" " + step.parameters;
}

std::wstring ComponentVersion(const LocalTime& now, const std::wstring& previous) {
  const auto number = [](int value) { return static_cast<uint64_t>(std::max(value, 0)); };
  std::array<uint64_t, 4> parts{number(now.year), number(now.month * 100 + now.day),
                                number(now.hour * 100 + now.minute), number(now.second)};
  if (const auto old = ParseVersion(previous); old && parts <= *old) {
    parts = *old;
    ++parts[3];
  }
  return std::to_wstring(parts[0]) + L"," + std::to_wstring(parts[1]) + L"," +
         std::to_wstring(parts[2]) + L"," + std::to_wstring(parts[3]);
}

std::wstring ApplyMachineSetting(Platform& p, const Plan& plan, const Step& step,
                                 const std::wstring& value, std::vector<Step>& undo,
                                 bool& changed) {
  const std::wstring key = SettingsKey(plan.editionId);
  const std::optional<RegistryValue> old =
      p.GetRegistryValue(RegistryHive::Machine, key, step.what);
  if (old == RegistryValue(value)) {
    return L"\"" + value + L"\", as it was";
  }
  undo.push_back(PutBack(RegistryHive::Machine, key, step.what, old));
  p.SetRegistryValue(RegistryHive::Machine, key, step.what, value);
  changed = true;
  return L"\"" + value + L"\"";
}

std::wstring ApplyEveryUserComponent(Platform& p, const Step& step, bool changed,
                                     std::vector<Step>& undo) {
  const std::wstring key = ActiveSetupKey(step.what);
  const std::array<std::wstring, 4> names = {L"", L"StubPath", L"IsInstalled", L"Version"};
  std::array<std::optional<RegistryValue>, 4> old;
  bool existed = false;
  for (std::size_t i = 0; i < names.size(); ++i) {
    old[i] = p.GetRegistryValue(RegistryHive::Machine, key, names[i]);
    existed |= old[i].has_value();
  }
  const std::wstring previous = old[3] && std::holds_alternative<std::wstring>(*old[3])
                                    ? std::get<std::wstring>(*old[3])
                                    : L"";
  // Users who ran the component before run it again only when its version rises.
  const bool raise = changed || previous.empty();
  const std::wstring version = raise ? ComponentVersion(p.Now(), previous) : previous;
  const std::array<RegistryValue, 4> wanted = {step.text, StubPath(step), uint32_t{1}, version};
  if (!existed) {
    // A component this run makes goes again as a whole.
    Step remove;
    remove.kind = StepKind::RemoveRegistryKey;
    remove.what = key;
    undo.push_back(remove);
  }
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (old[i] != wanted[i]) {
      if (existed) {
        undo.push_back(PutBack(RegistryHive::Machine, key, names[i], old[i]));
      }
      p.SetRegistryValue(RegistryHive::Machine, key, names[i], wanted[i]);
    }
  }
  // The account that ran setup has the values in its own store already.
  const std::optional<RegistryValue> mark = p.GetRegistryValue(RegistryHive::User, key, L"Version");
  if (mark != RegistryValue(version)) {
    undo.push_back(PutBack(RegistryHive::User, key, L"Version", mark));
    p.SetRegistryValue(RegistryHive::User, key, L"Version", version);
  }
  return L"version \"" + version + (raise ? L"\", raised" : L"\", as it was");
}

void ApplyRemoveEveryUser(Platform& p, const Plan& plan, const Step& step) {
  p.DeleteRegistryKey(RegistryHive::Machine, ActiveSetupKey(step.what));
  p.DeleteRegistryKey(RegistryHive::Machine, EditionSettingsKey(plan.editionId));
}

void TakeBackRegistry(Platform& p, const Step& step) {
  if (step.kind == StepKind::RemoveRegistryKey) {
    p.DeleteRegistryKey(step.hive, step.what);
  } else if (step.registryValue) {
    p.SetRegistryValue(step.hive, step.what, step.valueName, *step.registryValue);
  } else {
    p.DeleteRegistryValue(step.hive, step.what, step.valueName);
  }
}

}  // namespace vtr
