// The scripted user at the wizard window: plays the scenario's events through the view, as a
// real window reports a user's actions, and writes each into the transcript before what it
// caused.
#pragma once

#include <functional>

#include "platform/recording_view.h"
#include "sim/machine.h"

namespace vtr::sim {

// Plays events until done() is true (the form was unloaded) or the script runs out; then the
// transcript says the user closed the window and the caller's loop ends.
void PlayEvents(Machine& machine, RecordingView& view, const std::function<bool()>& done);

}  // namespace vtr::sim
