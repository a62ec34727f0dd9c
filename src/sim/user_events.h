// The user a scenario scripts: what they do to the wizard window, in order. Each event names
// a control of the form as the program does ("cmdOpt" with index 0); a snapshot is not an
// action but a look at the window at that moment.
#pragma once

#include <string>

#include <nlohmann/json.hpp>

#include "platform/window_view.h"
#include "sim/scenario_field.h"

namespace vtr::sim {

enum class UserAction {
  Click,     // a click on any control; a check box toggles, an option button is selected
  Check,     // a check box brought to a value, clicking it only when it shows another
  Select,    // a click on an option button
  Type,      // new text typed into a text box
  Key,       // Enter or Escape
  Close,     // the window's close box
  Snapshot,  // no action: the transcript records what the window shows
};

enum class UserKey { Enter, Escape };

struct UserEvent {
  UserAction action = UserAction::Click;
  ControlRef control;  // Click, Check, Select, Type
  int value = 0;       // Check: the value wanted
  std::wstring text;   // Type: the text typed; Snapshot: its label
  UserKey key = UserKey::Enter;
};

// Reads one event of the scenario's "events" list; anything wrong throws
// std::invalid_argument naming the field.
UserEvent ReadUserEvent(const Field& field);

// The event as the transcript writes it, in a fixed order: {"click": "cmdOpt", "index": 0}.
nlohmann::ordered_json EventText(const UserEvent& event);

}  // namespace vtr::sim
