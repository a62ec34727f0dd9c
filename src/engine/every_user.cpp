// Settings for every user: planned after the settings a run records, applied, versioned.
#include "engine/every_user.h"

#include <algorithm>
#include <array>
#include <cstdint>

#include "detect/install_paths.h"
#include "util/text.h"

namespace vtr {
namespace {

// What takes back one registry write: the value as it was just before it.
Undo PutBack(RegistryHive hive, const std::wstring& key, const std::wstring& name,
             const std::optional<RegistryValue>& old) {
  return PutBackRegistryValue{hive, key, name, true, old};
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
    std::vector<Step> remove;
    remove.push_back(Step{RemoveEveryUser{e.settingsComponent},
                          CannotTakeBack{L"the settings for every user stay removed (each user's "
                                         L"own settings were left as they are)"}});
    // They go with the program: right after its removal, or where it would be when the
    // program is no longer installed.
    std::size_t at = plan.steps.size();
    for (std::size_t i = 0; i < plan.steps.size(); ++i) {
      const auto* run = std::get_if<RunPackage>(&plan.steps[i].action);
      if (run != nullptr && run->package == PackageId::Program) {
        at = i + 1;
        break;
      }
    }
    InsertSteps(plan, at, std::move(remove));
    return;
  }
  std::vector<Step> added;
  std::size_t after = 0;
  const std::wstring key = SettingsKey(e.gsEditionID);
  const auto copy = [&](const std::wstring& name, const std::wstring& value,
                        const std::wstring& valueIfRegistered) {
    added.push_back(
        Step{SaveMachineSetting{name, value, valueIfRegistered},
             PutBackRegistryValue{RegistryHive::Machine, key, name, false, std::nullopt}});
  };
  for (std::size_t i = 0; i < plan.steps.size(); ++i) {
    const Action& action = plan.steps[i].action;
    if (const auto* save = std::get_if<SaveSetting>(&action)) {
      copy(save->key, save->value, save->value);
      after = i + 1;
    } else if (const auto* form = std::get_if<SaveEmailForm>(&action)) {
      copy(L"EmailForm", form->value, form->valueIfRegistered);
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
  RegisterEveryUser component;
  component.component = e.settingsComponent;
  component.name = e.productName + L" settings";
  // Windows' own reg.exe, by its full path; Active Setup starts it as a native program, which
  // sees the copy in the machine's own view.
  component.program = f.nativeSystemDir + L"\\reg.exe";
  component.parameters = L"copy \"HKLM\\" + key + L"\" \"HKCU\\" + key + L"\" /s /f";
  added.push_back(Step{component, TakeBackEveryUser{e.settingsComponent}});
  // After the last setting the run records, before the database engine is offered.
  InsertSteps(plan, after, std::move(added));
}

std::wstring StubPath(const RegisterEveryUser& step) {
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

std::wstring ApplyMachineSetting(Platform& p, const PutBackRegistryValue& planned,
                                 const std::wstring& value, std::vector<Undo>& undo,
                                 bool& changed) {
  const std::optional<RegistryValue> old =
      p.GetRegistryValue(planned.hive, planned.key, planned.name);
  if (old == RegistryValue(value)) {
    return L"\"" + value + L"\", as it was";
  }
  undo.push_back(PutBack(planned.hive, planned.key, planned.name, old));
  p.SetRegistryValue(planned.hive, planned.key, planned.name, value);
  changed = true;
  return L"\"" + value + L"\"";
}

std::wstring ApplyEveryUserComponent(Platform& p, const RegisterEveryUser& step, bool changed,
                                     std::vector<Undo>& undo) {
  const std::wstring key = ActiveSetupKey(step.component);
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
  const std::array<RegistryValue, 4> wanted = {step.name, StubPath(step), uint32_t{1}, version};
  if (!existed) {
    // A component this run makes goes again as a whole.
    undo.push_back(RemoveRegistryKey{RegistryHive::Machine, key});
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

void ApplyRemoveEveryUser(Platform& p, const Plan& plan, const RemoveEveryUser& step) {
  p.DeleteRegistryKey(RegistryHive::Machine, ActiveSetupKey(step.component));
  p.DeleteRegistryKey(RegistryHive::Machine, EditionSettingsKey(plan.editionId));
}

}  // namespace vtr
