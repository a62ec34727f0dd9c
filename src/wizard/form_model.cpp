// The headless form toolkit: adding controls, reading them, and every change, mirrored to the
// view, with the click handler that a value set from code runs.
#include "wizard/form_model.h"

namespace vtr {

void FormModel::Add(ControlState control) {
  if (!control.container.name.empty()) {
    At(control.container);  // a container is added before what it holds
  }
  control.zOrder = ++topZ_;
  index_[{control.ref.name, control.ref.index}] = controls_.size();
  controls_.push_back(std::move(control));
  clickHandlers_.emplace_back();
}

void FormModel::SetClickHandler(const std::wstring& name, const std::function<void(int)>& handler) {
  for (std::size_t i = 0; i < controls_.size(); ++i) {
    if (controls_[i].ref.name == name) {
      clickHandlers_[i] = handler;
    }
  }
}

void FormModel::RunClickHandler(const ControlRef& ref) {
  const auto found = index_.find({ref.name, ref.index});
  if (found != index_.end() && clickHandlers_[found->second]) {
    clickHandlers_[found->second](ref.index);
  }
}

void FormModel::Draw(WizardEvents& events) {
  view_.CreateForm(window_, controls_, events);
}

bool FormModel::Exists(const ControlRef& ref) const {
  return index_.contains({ref.name, ref.index});
}

const ControlState& FormModel::At(const ControlRef& ref) const {
  const auto found = index_.find({ref.name, ref.index});
  if (found != index_.end()) {
    return controls_[found->second];
  }
  // The toolkit's own errors for a control that is not there.
  if (ref.index >= 0) {
    throw RunError{340,
                   L"Control array element '" + std::to_wstring(ref.index) + L"' doesn't exist"};
  }
  throw RunError{730, L"Control not found: " + ControlName(ref)};
}

ControlState& FormModel::Find(const ControlRef& ref) {
  return const_cast<ControlState&>(std::as_const(*this).At(ref));
}

bool FormModel::OnScreen(const ControlRef& ref) const {
  if (!window_.visible || unloaded_) {
    return false;
  }
  for (const ControlState* c = &At(ref);; c = &At(c->container)) {
    if (!c->visible) {
      return false;
    }
    if (c->container.name.empty()) {
      return true;
    }
  }
}

bool FormModel::Reachable(const ControlRef& ref) const {
  if (!OnScreen(ref)) {
    return false;
  }
  for (const ControlState* c = &At(ref);; c = &At(c->container)) {
    if (!c->enabled) {
      return false;
    }
    if (c->container.name.empty()) {
      return true;
    }
  }
}

void FormModel::DropFocusIfUnreachable() {
  if (focus_ && !Reachable(*focus_)) {
    focus_.reset();
  }
}

void FormModel::SetCaption(const ControlRef& ref, const std::wstring& caption) {
  ControlState& c = Find(ref);
  if (unloaded_) {
    return;
  }
  c.caption = caption;
  view_.SetCaption(ref, caption);
}

void FormModel::SetValue(const ControlRef& ref, int value) {
  ControlState& c = Find(ref);
  if (unloaded_) {
    return;
  }
  if (c.kind == ControlKind::OptionButton) {
    if (value != 0) {
      Select(ref);
    } else if (c.value != 0) {
      c.value = 0;
      view_.SetValue(ref, 0);
    }
    return;
  }
  if (c.kind != ControlKind::CheckBox || value < 0 || value > 2) {
    throw RunError{380, L"Invalid property value"};
  }
  if (c.value == value) {
    return;
  }
  c.value = value;
  view_.SetValue(ref, value);
  RunClickHandler(ref);
}

void FormModel::Select(const ControlRef& ref) {
  ControlState& chosen = Find(ref);
  if (unloaded_) {
    return;
  }
  if (chosen.kind != ControlKind::OptionButton) {
    throw RunError{380, L"Invalid property value"};
  }
  if (chosen.value == 1) {
    return;
  }
  // Option buttons are exclusive among the members of one group in one container.
  for (ControlState& other : controls_) {
    if (other.kind == ControlKind::OptionButton && other.ref.name == ref.name &&
        other.container == chosen.container && other.value != 0) {
      other.value = 0;
      view_.SetValue(other.ref, 0);
    }
  }
  chosen.value = 1;
  view_.SetValue(ref, 1);
  RunClickHandler(ref);
}

void FormModel::SetEnabled(const ControlRef& ref, bool enabled) {
  ControlState& c = Find(ref);
  if (unloaded_) {
    return;
  }
  c.enabled = enabled;
  view_.SetEnabled(ref, enabled);
  DropFocusIfUnreachable();
}

void FormModel::SetVisible(const ControlRef& ref, bool visible) {
  ControlState& c = Find(ref);
  if (unloaded_) {
    return;
  }
  c.visible = visible;
  view_.SetVisible(ref, visible);
  DropFocusIfUnreachable();
}

void FormModel::MoveTo(const ControlRef& ref, int left, int top) {
  ControlState& c = Find(ref);
  if (unloaded_) {
    return;
  }
  c.left = left;
  c.top = top;
  view_.MoveTo(ref, left, top);
}

void FormModel::SetForeColour(const ControlRef& ref, const Colour& colour) {
  ControlState& c = Find(ref);
  if (unloaded_) {
    return;
  }
  c.foreColour = colour;
  view_.SetForeColour(ref, colour);
}

void FormModel::BringToFront(const ControlRef& ref) {
  ControlState& c = Find(ref);
  if (unloaded_) {
    return;
  }
  c.zOrder = ++topZ_;
  view_.BringToFront(ref);
}

std::optional<ControlRef> FormModel::ButtonWith(bool ControlState::*flag) const {
  for (const ControlState& c : controls_) {
    if (c.*flag) {
      return c.ref;
    }
  }
  return std::nullopt;
}

std::optional<ControlRef> FormModel::DefaultButton() const {
  return ButtonWith(&ControlState::isDefault);
}

std::optional<ControlRef> FormModel::CancelButton() const {
  return ButtonWith(&ControlState::isCancel);
}

// Only one button of the form is the default (or the cancel) button at a time.
void FormModel::MakeOnly(const ControlRef& ref, bool ControlState::*flag) {
  if (Find(ref).kind != ControlKind::Button) {
    throw RunError{438, L"Object doesn't support this property or method"};
  }
  for (ControlState& c : controls_) {
    c.*flag = c.ref == ref;
  }
}

void FormModel::SetDefaultButton(const ControlRef& ref) {
  if (unloaded_) {
    return;
  }
  MakeOnly(ref, &ControlState::isDefault);
  view_.SetDefaultButton(ref);
}

void FormModel::SetCancelButton(const ControlRef& ref) {
  if (unloaded_) {
    return;
  }
  MakeOnly(ref, &ControlState::isCancel);
  view_.SetCancelButton(ref);
}

void FormModel::SetFocus(const ControlRef& ref) {
  const ControlState& c = At(ref);
  if (unloaded_ || c.kind == ControlKind::Label || c.kind == ControlKind::Frame ||
      c.kind == ControlKind::Image || !Reachable(ref)) {
    throw RunError{5, L"Invalid procedure call or argument"};
  }
  focus_ = ref;
  view_.SetFocus(ref);
}

void FormModel::StoreUserText(const ControlRef& ref, const std::wstring& text) {
  Find(ref).caption = text;
}

void FormModel::StoreUserFocus(const ControlRef& ref) {
  At(ref);
  focus_ = ref;
}

void FormModel::SetWindowTitle(const std::wstring& title) {
  if (unloaded_) {
    return;
  }
  window_.title = title;
  view_.SetWindowTitle(title);
}

void FormModel::SetWindowSize(int width, int height) {
  if (unloaded_) {
    return;
  }
  window_.width = width;
  window_.height = height;
  view_.SetWindowSize(width, height);
}

void FormModel::ShowWindow() {
  if (unloaded_) {
    return;
  }
  window_.visible = true;
  view_.ShowWindow();
}

void FormModel::HideWindow() {
  if (unloaded_) {
    return;
  }
  window_.visible = false;
  view_.HideWindow();
  focus_.reset();
}

void FormModel::UnloadWindow() {
  if (unloaded_) {
    return;
  }
  unloaded_ = true;
  window_.visible = false;
  focus_.reset();
  view_.UnloadWindow();
}

}  // namespace vtr
