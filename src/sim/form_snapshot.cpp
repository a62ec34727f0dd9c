// Writing what the wizard window shows as a transcript line, read from the view's own copy.
#include "sim/form_snapshot.h"

#include <string>
#include <vector>

#include "sim/utf8.h"
#include "wizard/controls.h"
#include "wizard/form_model.h"

namespace vtr::sim {
namespace {

using Line = nlohmann::ordered_json;

std::string NameOf(const ControlRef& ref) {
  return ToUtf8(ControlName(ref));
}

// True when the control lies inside one of the containers, with every container between
// them visible: a control in a hidden frame is not on screen, whatever its own state.
bool ShownInside(const RecordingView& view, const ControlState& c,
                 const std::vector<ControlRef>& containers) {
  for (ControlRef holder = c.container; !holder.name.empty();) {
    for (const ControlRef& wanted : containers) {
      if (holder == wanted) {
        return true;
      }
    }
    const ControlState& h = view.Control(holder);
    if (!h.visible) {
      return false;
    }
    holder = h.container;
  }
  return false;
}

// Whether the user could reach the control: window, control and containers shown and enabled.
// Windows moves the focus away from a control that is disabled or hidden.
bool Reachable(const RecordingView& view, const ControlRef& ref) {
  if (!view.Window().visible) {
    return false;
  }
  for (ControlRef at = ref; !at.name.empty();) {
    const ControlState& c = view.Control(at);
    if (!c.visible || !c.enabled) {
      return false;
    }
    at = c.container;
  }
  return true;
}

// One control: its text, its value, and only what differs from an ordinary control on show
// (disabled, hidden, a colour of its own). A hidden control shows no text, only its value.
Line ControlLine(const ControlState& c) {
  Line line = Line::object();
  const bool hasValue = c.kind == ControlKind::CheckBox || c.kind == ControlKind::OptionButton;
  if (c.visible) {
    if (c.kind == ControlKind::TextBox) {
      line["text"] = ToUtf8(c.caption);
    } else if (!c.caption.empty() ||
               (c.kind != ControlKind::Frame && c.kind != ControlKind::Image)) {
      line["caption"] = ToUtf8(c.caption);
    }
  }
  if (hasValue) {
    line["value"] = c.value;
  }
  if (!c.visible) {
    line["visible"] = false;
    return line;
  }
  if (!c.enabled) {
    line["enabled"] = false;
  }
  if (c.foreColour.system == SystemColour::None) {
    line["colour"] = ToUtf8(ColourText(c.foreColour));
  }
  if (line.empty()) {
    line["visible"] = true;  // a frame without caption: only whether it is there to see
  }
  return line;
}

// A button of the row in words: "hidden disabled", "enabled front default".
std::string ButtonWords(const RecordingView& view, const ControlRef& ref) {
  const ControlState& c = view.Control(ref);
  std::string words = c.visible ? "" : "hidden ";
  words += c.enabled ? "enabled" : "disabled";
  // Next and Finish share one place: the one drawn above the other is the one seen.
  const ControlRef other = ref == ctl::cmdNext()     ? ctl::cmdFinish()
                           : ref == ctl::cmdFinish() ? ctl::cmdNext()
                                                     : ControlRef{};
  if (!other.name.empty() && c.zOrder > view.Control(other).zOrder) {
    words += " front";
  }
  if (c.isDefault) {
    words += " default";
  }
  if (c.isCancel) {
    words += " cancel";
  }
  return words;
}

Line ControlsInside(const RecordingView& view, const std::vector<ControlRef>& containers) {
  Line controls = Line::object();
  for (const ControlState& c : view.Controls()) {
    if (c.kind != ControlKind::Image && ShownInside(view, c, containers)) {
      controls[NameOf(c.ref)] = ControlLine(c);
    }
  }
  return controls;
}

}  // namespace

Line FormSnapshot(const RecordingView& view) {
  Line form;
  form["window"] = Line{{"title", ToUtf8(view.Window().title)}, {"visible", view.Window().visible}};

  // One panel is on show at a time; anything else is a fault the snapshot must not hide.
  std::vector<ControlRef> panels;
  for (const ControlState& c : view.Controls()) {
    if (c.ref.name == ctl::frWiz(0).name && c.visible) {
      panels.push_back(c.ref);
    }
  }
  if (panels.size() == 1) {
    form["panel"] = panels.front().index;
    form["caption"] = ToUtf8(view.Control(panels.front()).caption);
  } else {
    Line numbers = Line::array();
    for (const ControlRef& panel : panels) {
      numbers.push_back(panel.index);
    }
    form["panel"] = std::move(numbers);
  }

  Line buttons = Line::object();
  for (const ControlRef& b : {ctl::cmdCancel(), ctl::cmdBack(), ctl::cmdNext(), ctl::cmdFinish()}) {
    buttons[NameOf(b)] = ButtonWords(view, b);
  }
  form["buttons"] = std::move(buttons);

  const auto focus = view.Focus();
  form["focus"] = focus && Reachable(view, *focus) ? Line(NameOf(*focus)) : Line(nullptr);
  form["controls"] = ControlsInside(view, panels);
  // The banner's own lines; what stands inside its frames (the maker's name and slogan)
  // never changes, and whether it is on show is the frame's visibility.
  Line banner = Line::object();
  for (const ControlState& c : view.Controls()) {
    if (c.kind != ControlKind::Image && c.container == ctl::frBanner()) {
      banner[NameOf(c.ref)] = ControlLine(c);
    }
  }
  form["banner"] = std::move(banner);
  return form;
}

}  // namespace vtr::sim
