// The view without a screen: its copy of the form and the line it records for every call.
#include "platform/recording_view.h"

#include <algorithm>
#include <stdexcept>
#include <utility>

namespace vtr {

std::wstring ColourText(const Colour& colour) {
  switch (colour.system) {
    case SystemColour::WindowText:
      return L"WindowText";
    case SystemColour::ButtonText:
      return L"ButtonText";
    case SystemColour::ButtonFace:
      return L"ButtonFace";
    case SystemColour::Window:
      return L"Window";
    case SystemColour::None:
      break;
  }
  return std::to_wstring(colour.red) + L"," + std::to_wstring(colour.green) + L"," +
         std::to_wstring(colour.blue);
}

const ControlState& RecordingView::Control(const ControlRef& ref) const {
  const auto found = std::find_if(controls_.begin(), controls_.end(),
                                  [&](const ControlState& c) { return c.ref == ref; });
  if (found == controls_.end()) {
    // A call about a control the form never drew is a fault of the model, not of the form.
    throw std::out_of_range("the view has no control of that name");
  }
  return *found;
}

ControlState& RecordingView::Find(const ControlRef& ref) {
  return const_cast<ControlState&>(std::as_const(*this).Control(ref));
}

void RecordingView::Record(const std::wstring& what, const ControlRef& ref,
                           const std::wstring& value) {
  calls_.push_back(what + L" " + ControlName(ref) + L": " + value);
}

bool RecordingView::Type(const ControlRef& control, const std::wstring& text) {
  const auto found = std::find_if(controls_.begin(), controls_.end(),
                                  [&](const ControlState& c) { return c.ref == control; });
  if (Events() == nullptr || found == controls_.end()) {
    return false;
  }
  ControlState& box = *found;
  const std::wstring before = box.caption;
  box.caption = text;
  if (!events_->TextChanged(control, text)) {
    box.caption = before;
    return false;
  }
  return true;
}

void RecordingView::CreateForm(const WindowState& window, const std::vector<ControlState>& controls,
                               WizardEvents& events) {
  window_ = window;
  controls_ = controls;
  events_ = &events;
  for (const ControlState& c : controls_) {
    topZ_ = std::max(topZ_, c.zOrder);
  }
  calls_.push_back(L"CreateForm: " + std::to_wstring(controls.size()) + L" controls");
}

void RecordingView::SetWindowSize(int widthTwips, int heightTwips) {
  window_.width = widthTwips;
  window_.height = heightTwips;
  calls_.push_back(L"SetWindowSize: " + std::to_wstring(widthTwips) + L" x " +
                   std::to_wstring(heightTwips));
}

void RecordingView::SetWindowTitle(const std::wstring& title) {
  window_.title = title;
  calls_.push_back(L"SetWindowTitle: " + title);
}

void RecordingView::ShowWindow() {
  window_.visible = true;
  calls_.push_back(L"ShowWindow");
}

void RecordingView::HideWindow() {
  window_.visible = false;
  focus_.reset();
  calls_.push_back(L"HideWindow");
}

void RecordingView::UnloadWindow() {
  window_.visible = false;
  unloaded_ = true;
  focus_.reset();
  calls_.push_back(L"UnloadWindow");
}

void RecordingView::SetCaption(const ControlRef& control, const std::wstring& caption) {
  Find(control).caption = caption;
  Record(L"SetCaption", control, caption);
}

void RecordingView::SetValue(const ControlRef& control, int value) {
  Find(control).value = value;
  Record(L"SetValue", control, std::to_wstring(value));
}

void RecordingView::SetEnabled(const ControlRef& control, bool enabled) {
  Find(control).enabled = enabled;
  Record(L"SetEnabled", control, enabled ? L"true" : L"false");
}

void RecordingView::SetVisible(const ControlRef& control, bool visible) {
  Find(control).visible = visible;
  Record(L"SetVisible", control, visible ? L"true" : L"false");
}

void RecordingView::MoveTo(const ControlRef& control, int leftTwips, int topTwips) {
  ControlState& c = Find(control);
  c.left = leftTwips;
  c.top = topTwips;
  Record(L"MoveTo", control, std::to_wstring(leftTwips) + L", " + std::to_wstring(topTwips));
}

void RecordingView::SetForeColour(const ControlRef& control, const Colour& colour) {
  Find(control).foreColour = colour;
  Record(L"SetForeColour", control, ColourText(colour));
}

void RecordingView::BringToFront(const ControlRef& control) {
  Find(control).zOrder = ++topZ_;
  Record(L"BringToFront", control, L"");
}

void RecordingView::SetDefaultButton(const ControlRef& control) {
  for (ControlState& c : controls_) {
    c.isDefault = c.ref == control;
  }
  Record(L"SetDefaultButton", control, L"");
}

void RecordingView::SetCancelButton(const ControlRef& control) {
  for (ControlState& c : controls_) {
    c.isCancel = c.ref == control;
  }
  Record(L"SetCancelButton", control, L"");
}

void RecordingView::SetFocus(const ControlRef& control) {
  Find(control);
  focus_ = control;
  Record(L"SetFocus", control, L"");
}

}  // namespace vtr
