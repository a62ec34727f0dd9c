// Reading the scripted user's events from a scenario, and their text in the transcript.
#include "sim/user_events.h"

#include <array>
#include <optional>

#include "sim/win_path.h"

namespace vtr::sim {
namespace {

struct ActionName {
  const char* name;
  UserAction action;
};

constexpr std::array<ActionName, 7> kActions = {{{"click", UserAction::Click},
                                                 {"check", UserAction::Check},
                                                 {"select", UserAction::Select},
                                                 {"type", UserAction::Type},
                                                 {"key", UserAction::Key},
                                                 {"close", UserAction::Close},
                                                 {"snapshot", UserAction::Snapshot}}};

const char* NameOf(UserAction action) {
  for (const ActionName& a : kActions) {
    if (a.action == action) {
      return a.name;
    }
  }
  return "?";
}

bool NamesAControl(UserAction action) {
  return action == UserAction::Click || action == UserAction::Check ||
         action == UserAction::Select || action == UserAction::Type;
}

std::wstring ControlName(const Field& f) {
  std::wstring name = f.Text();
  if (name.empty()) {
    f.Fail("the name of a control is needed, like \"cmdNext\" or \"cmdOpt\"");
  }
  return name;
}

}  // namespace

UserEvent ReadUserEvent(const Field& field) {
  std::optional<UserEvent> event;
  std::optional<int> index;
  std::optional<int> value;
  std::optional<std::wstring> text;

  field.Members(
      {"click", "check", "select", "type", "key", "close", "snapshot", "index", "value", "text"},
      [&](const std::string& key, const Field& f) {
        if (key == "index") {
          // Control arrays of the form are indexed by 16-bit numbers.
          index = static_cast<int>(f.Integer(0, 32767));
          return;
        }
        if (key == "value") {
          value = static_cast<int>(f.Integer(0, 1));
          return;
        }
        if (key == "text") {
          text = f.Text();
          return;
        }
        if (event) {
          field.Fail(std::string("an event is one action, but it has both \"") +
                     NameOf(event->action) + "\" and \"" + key + "\"");
        }
        UserEvent e;
        for (const ActionName& a : kActions) {
          if (key == a.name) {
            e.action = a.action;
          }
        }
        switch (e.action) {
          case UserAction::Key: {
            const std::wstring pressed = f.Text();
            if (EqualsIgnoringCase(pressed, L"Enter")) {
              e.key = UserKey::Enter;
            } else if (EqualsIgnoringCase(pressed, L"Escape")) {
              e.key = UserKey::Escape;
            } else {
              f.Fail("the keys are \"Enter\" and \"Escape\", not \"" + ToUtf8(pressed) + "\"");
            }
            break;
          }
          case UserAction::Close:
            if (!f.Bool()) {
              f.Fail("write \"close\": true for the close box, or leave the event out");
            }
            break;
          case UserAction::Snapshot:
            e.text = f.Text();
            if (e.text.empty()) {
              f.Fail("a snapshot needs a label, so the transcript line can be found");
            }
            break;
          default:
            e.control.name = ControlName(f);
            break;
        }
        event = std::move(e);
      });

  if (!event) {
    field.Fail(
        "an event needs one of \"click\", \"check\", \"select\", \"type\", \"key\", \"close\" "
        "or \"snapshot\"");
  }
  const UserAction action = event->action;
  if (index) {
    if (!NamesAControl(action)) {
      field.Fail(std::string("\"index\" belongs to a control, and \"") + NameOf(action) +
                 "\" names none");
    }
    event->control.index = *index;
  }
  if (action == UserAction::Check) {
    if (!value) {
      field.Fail("\"check\" needs the \"value\" wanted: 1 ticked, 0 cleared");
    }
    event->value = *value;
  } else if (value) {
    field.Fail("\"value\" belongs to \"check\" only");
  }
  if (action == UserAction::Type) {
    if (!text) {
      field.Fail("\"type\" needs the \"text\" typed (\"\" clears the box)");
    }
    event->text = *text;
  } else if (text) {
    field.Fail("\"text\" belongs to \"type\" only");
  }
  return *event;
}

nlohmann::ordered_json EventText(const UserEvent& event) {
  nlohmann::ordered_json line;
  const char* name = NameOf(event.action);
  switch (event.action) {
    case UserAction::Key:
      line[name] = event.key == UserKey::Enter ? "Enter" : "Escape";
      return line;
    case UserAction::Close:
      line[name] = true;
      return line;
    case UserAction::Snapshot:
      line[name] = ToUtf8(event.text);
      return line;
    default:
      break;
  }
  line[name] = ToUtf8(event.control.name);
  if (event.control.index >= 0) {
    line["index"] = event.control.index;
  }
  if (event.action == UserAction::Check) {
    line["value"] = event.value;
  } else if (event.action == UserAction::Type) {
    line["text"] = ToUtf8(event.text);
  }
  return line;
}

}  // namespace vtr::sim
