// The simulated settings store: per user, strings only, by application, section and key.
#include "sim/machine.h"
#include "sim/sim_platform.h"

namespace vtr {

using sim::Line;
using sim::Text;

namespace {

void CheckSettingNames(sim::Machine& m, std::size_t line, const std::wstring& application,
                       const std::wstring& section) {
  // The store has no place without an application and a section name.
  if (application.empty() || section.empty()) {
    m.Raise(line, RunError{5, L"Invalid procedure call or argument"});
  }
}

}  // namespace

std::wstring SimPlatform::GetSetting(const std::wstring& application, const std::wstring& section,
                                     const std::wstring& key, const std::wstring& defaultValue) {
  const std::size_t line = machine_->Begin("GetSetting", Line{{"application", Text(application)},
                                                              {"section", Text(section)},
                                                              {"key", Text(key)},
                                                              {"default", Text(defaultValue)}});
  CheckSettingNames(*machine_, line, application, section);
  std::wstring value = defaultValue;
  if (const auto* app = machine_->Settings().Find(application)) {
    if (const auto* sec = app->Find(section)) {
      if (const std::wstring* stored = sec->Find(key)) {
        value = *stored;
      }
    }
  }
  machine_->Result(line, Text(value));
  return value;
}

void SimPlatform::SaveSetting(const std::wstring& application, const std::wstring& section,
                              const std::wstring& key, const std::wstring& value) {
  const std::size_t line = machine_->Begin("SaveSetting", Line{{"application", Text(application)},
                                                               {"section", Text(section)},
                                                               {"key", Text(key)},
                                                               {"value", Text(value)}});
  CheckSettingNames(*machine_, line, application, section);
  machine_->Settings().Entry(application).Entry(section).Set(key, value);
}

void SimPlatform::DeleteSetting(const std::wstring& application, const std::wstring& section,
                                const std::wstring& key) {
  const std::size_t line = machine_->Begin(
      "DeleteSetting",
      Line{{"application", Text(application)}, {"section", Text(section)}, {"key", Text(key)}});
  CheckSettingNames(*machine_, line, application, section);
  if (auto* app = machine_->Settings().Find(application)) {
    if (auto* sec = app->Find(section)) {
      sec->Remove(key);
    }
  }
}

}  // namespace vtr
