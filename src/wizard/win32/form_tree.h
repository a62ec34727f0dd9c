// The Win32 view's own copy of the form: every control as the model last described it, and
// what follows from the frames for a view that puts every control straight onto the window
// (so GetDlgItem finds each one): where a control stands on the form, whether it shows and can
// be used, what a frame carries, the stacking order, and the order the Tab key walks. Plain
// data, so it is checked natively as well as under Windows.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cwctype>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/window_view.h"

namespace vtr::win32 {

struct TwipPoint {
  int left = 0;
  int top = 0;
  friend bool operator==(const TwipPoint&, const TwipPoint&) = default;
};

// The access key of a caption: the character after a lone "&" ("&&" shows one "&"), in
// upper case; nothing when the caption has none.
inline std::optional<wchar_t> AccessKey(const std::wstring& caption) {
  for (std::size_t i = 0; i + 1 < caption.size(); ++i) {
    if (caption[i] != L'&') {
      continue;
    }
    if (caption[i + 1] == L'&') {
      ++i;
      continue;
    }
    return static_cast<wchar_t>(std::towupper(static_cast<wint_t>(caption[i + 1])));
  }
  return std::nullopt;
}

class FormTree {
 public:
  FormTree() = default;
  // Controls in the order the form added them: containers come before what they hold.
  explicit FormTree(std::vector<ControlState> controls) : controls_(std::move(controls)) {
    for (std::size_t i = 0; i < controls_.size(); ++i) {
      index_[{controls_[i].ref.name, controls_[i].ref.index}] = i;
      topZ_ = std::max(topZ_, controls_[i].zOrder);
    }
  }

  std::size_t Size() const { return controls_.size(); }
  const std::vector<ControlState>& Controls() const { return controls_; }
  const ControlState& operator[](std::size_t i) const { return controls_[i]; }
  ControlState& operator[](std::size_t i) { return controls_[i]; }

  std::optional<std::size_t> IndexOf(const ControlRef& ref) const {
    const auto found = index_.find({ref.name, ref.index});
    return found == index_.end() ? std::nullopt : std::optional<std::size_t>(found->second);
  }

  // The control's container; nothing for a control that stands on the form itself.
  std::optional<std::size_t> ContainerOf(std::size_t i) const {
    const ControlRef& container = controls_[i].container;
    return container.name.empty() ? std::nullopt : IndexOf(container);
  }

  // Where the control stands on the form: its own position plus that of every container.
  TwipPoint FormPosition(std::size_t i) const {
    TwipPoint at{controls_[i].left, controls_[i].top};
    for (auto c = ContainerOf(i); c; c = ContainerOf(*c)) {
      at.left += controls_[*c].left;
      at.top += controls_[*c].top;
    }
    return at;
  }

  // Shown when the control and every container are visible.
  bool Shown(std::size_t i) const { return AllUp(i, &ControlState::visible); }
  // Enabled when the control and every container are enabled; a disabled frame disables what
  // it holds.
  bool Enabled(std::size_t i) const { return AllUp(i, &ControlState::enabled); }
  bool Usable(std::size_t i) const { return Shown(i) && Enabled(i); }

  // Everything a control holds, at any depth, in the order the form added it.
  std::vector<std::size_t> Contents(std::size_t i) const {
    std::vector<std::size_t> inside;
    for (std::size_t j = 0; j < controls_.size(); ++j) {
      if (j != i && IsWithin(j, i)) {
        inside.push_back(j);
      }
    }
    return inside;
  }

  // Raises the control above everything else in its container.
  void BringToFront(std::size_t i) { controls_[i].zOrder = ++topZ_; }

  // Every control from the bottom of the window's stack to the top: the controls of one
  // container by their z-order, each followed at once by what it holds, so a frame is always
  // drawn below its contents and a frame brought to the front takes its contents with it.
  std::vector<std::size_t> StackingOrder() const {
    std::vector<std::size_t> order;
    order.reserve(controls_.size());
    AppendStack({}, order);
    return order;
  }

  // The control keeps the keyboard focus: buttons, check boxes, option buttons, text boxes.
  bool TakesFocus(std::size_t i) const {
    switch (controls_[i].kind) {
      case ControlKind::Button:
      case ControlKind::CheckBox:
      case ControlKind::OptionButton:
      case ControlKind::TextBox:
        return true;
      default:
        return false;
    }
  }

  // The Tab key's stops, in the order the form added the controls (the panel on show, then
  // the button row): every usable control that takes the focus, except that a group of option
  // buttons is one stop, at its selected member (or its first usable one when none is).
  std::vector<std::size_t> TabStops() const {
    std::vector<std::size_t> stops;
    for (std::size_t i = 0; i < controls_.size(); ++i) {
      if (!TakesFocus(i) || !Usable(i)) {
        continue;
      }
      if (controls_[i].kind == ControlKind::OptionButton && GroupStop(i) != i) {
        continue;
      }
      stops.push_back(i);
    }
    return stops;
  }

  // The stop after (or before) a control, round the end; the first (or last) stop when no
  // control has the focus. Nothing when there is no stop at all.
  std::optional<std::size_t> NextTabStop(std::optional<std::size_t> from, bool forward) const {
    const std::vector<std::size_t> stops = TabStops();
    if (stops.empty()) {
      return std::nullopt;
    }
    if (!from) {
      return forward ? stops.front() : stops.back();
    }
    if (forward) {
      const auto next = std::upper_bound(stops.begin(), stops.end(), *from);
      return next == stops.end() ? stops.front() : *next;
    }
    const auto next = std::lower_bound(stops.begin(), stops.end(), *from);
    return next == stops.begin() ? stops.back() : *(next - 1);
  }

  // The next (or previous) usable option button of the same group, round the end, as the
  // arrow keys move through a group; nothing when the control is no option button.
  std::optional<std::size_t> NextInGroup(std::size_t from, bool forward) const {
    if (controls_[from].kind != ControlKind::OptionButton) {
      return std::nullopt;
    }
    std::vector<std::size_t> members;
    for (std::size_t i = 0; i < controls_.size(); ++i) {
      if (i == from || (SameGroup(i, from) && Usable(i))) {
        members.push_back(i);
      }
    }
    const auto at = std::find(members.begin(), members.end(), from);
    if (forward) {
      return at + 1 == members.end() ? members.front() : *(at + 1);
    }
    return at == members.begin() ? members.back() : *(at - 1);
  }

  // The usable controls whose caption has the access key (any case), in the order the form
  // added them. A text box's text is the user's, never an access key.
  std::vector<std::size_t> AccessKeyMatches(wchar_t key) const {
    const wchar_t upper = static_cast<wchar_t>(std::towupper(static_cast<wint_t>(key)));
    std::vector<std::size_t> matches;
    for (std::size_t i = 0; i < controls_.size(); ++i) {
      if (controls_[i].kind != ControlKind::TextBox && Usable(i) &&
          AccessKey(controls_[i].caption) == upper) {
        matches.push_back(i);
      }
    }
    return matches;
  }

  // The top-left margin of the form (the smallest position of a control on the form itself)
  // and the right and bottom edges its controls reach; panels parked out of sight and
  // controls without a size do not count.
  TwipPoint Margin() const { return Bounds().first; }
  TwipPoint Extent() const { return Bounds().second; }

 private:
  bool AllUp(std::size_t i, bool ControlState::*flag) const {
    for (std::optional<std::size_t> c = i; c; c = ContainerOf(*c)) {
      if (!(controls_[*c].*flag)) {
        return false;
      }
    }
    return true;
  }

  bool IsWithin(std::size_t i, std::size_t container) const {
    for (auto c = ContainerOf(i); c; c = ContainerOf(*c)) {
      if (*c == container) {
        return true;
      }
    }
    return false;
  }

  bool SameGroup(std::size_t a, std::size_t b) const {
    return controls_[a].kind == ControlKind::OptionButton &&
           controls_[b].kind == ControlKind::OptionButton &&
           controls_[a].ref.name == controls_[b].ref.name &&
           controls_[a].container == controls_[b].container;
  }

  // The member of an option group that takes the group's Tab stop.
  std::size_t GroupStop(std::size_t member) const {
    std::optional<std::size_t> first;
    for (std::size_t i = 0; i < controls_.size(); ++i) {
      if (!SameGroup(i, member) || !Usable(i)) {
        continue;
      }
      if (controls_[i].value == 1) {
        return i;
      }
      if (!first) {
        first = i;
      }
    }
    return first.value_or(member);
  }

  void AppendStack(const ControlRef& container, std::vector<std::size_t>& order) const {
    std::vector<std::size_t> level;
    for (std::size_t i = 0; i < controls_.size(); ++i) {
      if (controls_[i].container == container) {
        level.push_back(i);
      }
    }
    std::stable_sort(level.begin(), level.end(), [this](std::size_t a, std::size_t b) {
      return controls_[a].zOrder < controls_[b].zOrder;
    });
    for (std::size_t i : level) {
      order.push_back(i);
      AppendStack(controls_[i].ref, order);
    }
  }

  std::pair<TwipPoint, TwipPoint> Bounds() const {
    std::optional<TwipPoint> low;
    TwipPoint high;
    for (const ControlState& c : controls_) {
      if (!c.container.name.empty() || c.left < 0 || c.top < 0 || c.width <= 0 || c.height <= 0) {
        continue;
      }
      if (!low) {
        low = TwipPoint{c.left, c.top};
      }
      low->left = std::min(low->left, c.left);
      low->top = std::min(low->top, c.top);
      high.left = std::max(high.left, c.left + c.width);
      high.top = std::max(high.top, c.top + c.height);
    }
    return {low.value_or(TwipPoint{}), high};
  }

  std::vector<ControlState> controls_;
  std::map<std::pair<std::wstring, int>, std::size_t> index_;
  int topZ_ = 0;
};

}  // namespace vtr::win32
