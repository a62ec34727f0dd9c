// Playing the scripted user's events at the wizard window, each written before what it caused.
#include "sim/event_player.h"

#include <optional>
#include <string>

#include "sim/form_snapshot.h"
#include "sim/utf8.h"
#include "wizard/form_model.h"

namespace vtr::sim {
namespace {

const ControlState* FindControl(const RecordingView& view, const ControlRef& ref) {
  for (const ControlState& c : view.Controls()) {
    if (c.ref == ref) {
      return &c;
    }
  }
  return nullptr;
}

// What the form does have under that name, to help a writer who got the index wrong:
// "; cmdOpt has the indexes 0, 1, 2, 3, 4, 5" or "; cmdNext has no index".
std::string Neighbours(const RecordingView& view, const ControlRef& wanted) {
  std::string indexes;
  bool plain = false;
  for (const ControlState& c : view.Controls()) {
    if (c.ref.name != wanted.name) {
      continue;
    }
    if (c.ref.index < 0) {
      plain = true;
    } else {
      indexes += (indexes.empty() ? "" : ", ") + std::to_string(c.ref.index);
    }
  }
  const std::string name = ToUtf8(wanted.name);
  if (plain) {
    return "; " + name + " has no index";
  }
  if (!indexes.empty()) {
    return "; " + name + " has the " +
           (indexes.find(',') == std::string::npos ? "index " : "indexes ") + indexes;
  }
  return "";
}

// Why the event cannot be meant for this form (a misspelt control, a check box that is not
// one), or nothing when it fits. A control that exists but is disabled or hidden fits: the
// form itself refuses the action then, and that refusal is what a test wants to see.
std::optional<std::string> Misfit(const RecordingView& view, const UserEvent& e) {
  if (e.action == UserAction::Key || e.action == UserAction::Close) {
    return std::nullopt;
  }
  const ControlState* c = FindControl(view, e.control);
  const std::string name = ToUtf8(ControlName(e.control));
  if (c == nullptr) {
    return "the form has no control " + name + Neighbours(view, e.control);
  }
  if (e.action == UserAction::Check && c->kind != ControlKind::CheckBox) {
    return name + " is not a check box";
  }
  if (e.action == UserAction::Select && c->kind != ControlKind::OptionButton) {
    return name + " is not an option button";
  }
  if (e.action == UserAction::Type && c->kind != ControlKind::TextBox) {
    return name + " is not a text box";
  }
  return std::nullopt;
}

struct Outcome {
  bool accepted = false;
  bool already = false;  // a check box that already showed the value wanted: no click
};

Outcome Deliver(RecordingView& view, WizardEvents& events, const UserEvent& e) {
  switch (e.action) {
    case UserAction::Click:
    case UserAction::Select:
      return {events.Click(e.control)};
    case UserAction::Check:
      // The user clicks only a box that does not show the value wanted yet.
      if (view.Control(e.control).value == e.value) {
        return {true, true};
      }
      return {events.Click(e.control)};
    case UserAction::Type:
      return {view.Type(e.control, e.text)};
    case UserAction::Key:
      return {e.key == UserKey::Enter ? events.PressDefault() : events.PressCancel()};
    case UserAction::Close:
      events.CloseRequested();  // never refused
      return {true};
    case UserAction::Snapshot:
      break;
  }
  return {};
}

}  // namespace

void PlayEvents(Machine& machine, RecordingView& view, const std::function<bool()>& done) {
  while (!done()) {
    const std::size_t number = machine.EventsPlayed();
    const UserEvent* e = machine.NextEvent();
    if (e == nullptr) {
      // Nobody is left to finish the wizard: the session ends as if the user closed it.
      machine.Append(Line{{"unscripted", "no more events: the user closes the window"}});
      return;
    }
    if (e->action == UserAction::Snapshot) {
      machine.Append(Line{{"snapshot", ToUtf8(e->text)}, {"form", FormSnapshot(view)}});
      continue;
    }

    // The event's line comes first, so that what it caused follows it in the transcript.
    const std::size_t line = machine.Append(Line{{"event", EventText(*e)}});
    if (const auto misfit = Misfit(view, *e)) {
      machine.Note(line, "accepted", false);
      machine.Note(line, "error", *misfit);
      machine.ScenarioError("events[" + std::to_string(number) + "]: " + *misfit);
      continue;
    }
    WizardEvents* events = view.Events();
    const Outcome outcome = events != nullptr ? Deliver(view, *events, *e) : Outcome{};
    machine.Note(line, "accepted", outcome.accepted);
    if (outcome.already) {
      machine.Note(line, "already", true);
    }
  }
}

}  // namespace vtr::sim
