// The design of fmMain: the window, the banner, the eight panels with their controls and the
// button row, each with its initial caption, state, colours and position in twips.
#pragma once

#include "wizard/form_model.h"

namespace vtr {

// Adds every control of the wizard to an empty form, containers first.
void LayOutForm(FormModel& form);

}  // namespace vtr
