// The simulated platform as vtrsim and the tests read it after a run: the transcript, the
// final state of the machine and the scripting mistakes.
#include "sim/sim_platform.h"

#include "sim/machine.h"
#include "sim/scenario.h"
#include "sim/utf8.h"

namespace vtr {

using sim::Line;
using sim::Text;

SimPlatform::SimPlatform(const nlohmann::json& scenario)
    : machine_(std::make_shared<sim::Machine>(sim::ParseScenario(scenario))) {}

SimPlatform::~SimPlatform() = default;

std::wstring SimPlatform::EditionId() const {
  return machine_->Setup().editionId.value_or(VTR_EDITION_ID);
}

const std::vector<nlohmann::ordered_json>& SimPlatform::Transcript() const {
  return machine_->Transcript();
}

bool SimPlatform::Pins(const nlohmann::ordered_json& line) const {
  return sim::PinKeeps(machine_->Setup().pin, line);
}

std::vector<nlohmann::ordered_json> SimPlatform::Calls(std::string_view op) const {
  std::vector<nlohmann::ordered_json> calls;
  for (const auto& line : machine_->Transcript()) {
    // Events, snapshots and notes stand between the calls: they have no "op".
    if (line.contains("op") && line["op"] == op) {
      calls.push_back(line);
    }
  }
  return calls;
}

nlohmann::ordered_json SimPlatform::FinalState() const {
  Line settings = Line::object();
  machine_->Settings().ForEach([&](const std::wstring& app, const auto& sections) {
    Line appLine = Line::object();
    sections.ForEach([&](const std::wstring& section, const auto& keys) {
      Line sectionLine = Line::object();
      keys.ForEach([&](const std::wstring& key, const std::wstring& value) {
        sectionLine[sim::ToUtf8(key)] = Text(value);
      });
      appLine[sim::ToUtf8(section)] = std::move(sectionLine);
    });
    settings[sim::ToUtf8(app)] = std::move(appLine);
  });

  Line files = Line::array();
  for (const sim::FileEntry* entry : machine_->Files().Listed()) {
    Line item{{"path", Text(entry->path.Display())}};
    for (const auto& [flag, name] : {std::pair{entry->folder, "folder"},
                                     {entry->readOnly, "readOnly"},
                                     {entry->hidden, "hidden"},
                                     {entry->system, "system"}}) {
      if (flag) {
        item[name] = true;
      }
    }
    files.push_back(std::move(item));
  }

  Line states = Line::object();
  machine_->ProductStates().ForEach(
      [&](const std::wstring& code, int32_t state) { states[sim::ToUtf8(code)] = state; });
  Line final{{"settings", std::move(settings)},
             {"files", std::move(files)},
             {"productStates", std::move(states)}};
  // Only a machine whose registry holds something shows it.
  if (!machine_->Registry().empty()) {
    Line registry = Line::object();
    machine_->Registry().ForEach([&](const std::wstring& key, const auto& values) {
      Line valuesLine = Line::object();
      values.ForEach([&](const std::wstring& name, const RegistryValue& value) {
        valuesLine[sim::ToUtf8(name)] = sim::ValueLine(value);
      });
      registry[sim::ToUtf8(key)] = std::move(valuesLine);
    });
    final["registry"] = std::move(registry);
  }
  return final;
}

int SimPlatform::UnscriptedDialogs() const {
  return machine_->Unscripted();
}

std::vector<std::string> SimPlatform::ScenarioErrors() const {
  std::vector<std::string> errors = machine_->ScenarioErrors();
  if (auto unplayed = machine_->UnplayedEvents()) {
    errors.push_back(std::move(*unplayed));
  }
  return errors;
}

std::vector<std::string> SimPlatform::UnusedAnswers() const {
  return machine_->UnusedAnswers();
}

}  // namespace vtr
