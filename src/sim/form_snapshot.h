// What the wizard window shows at one moment, as a transcript writes it. It is read from the
// view's own copy of the form, which changes only through the calls a real window receives,
// so a snapshot shows what a user would see, not what the model believes.
#pragma once

#include <nlohmann/json.hpp>

#include "platform/recording_view.h"

namespace vtr::sim {

// {"window", "panel", "caption", "buttons", "focus", "controls", "banner"}, always in that
// order and with the controls in the form's order, so that expected files stay stable.
// docs/scenarios.md describes each field.
nlohmann::ordered_json FormSnapshot(const RecordingView& view);

}  // namespace vtr::sim
