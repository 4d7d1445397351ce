// The description view of the report: the two machine descriptions and their described drives
// side by side, and the toggle between this view and the results view. Reads the description
// tables; writes only the report lines and `descriptionShown`. It repaints nothing.
#pragma once

#include "engine/BenchmarkState.h"

namespace quorvane {

// Empties all 100 lines, writes the description view and sets `descriptionShown` to true.
// Drive blocks that would not fit above line 100 are left out.
void BuildDescriptionView(BenchmarkState& state);

// Toggles `descriptionShown`, then builds the view it now names: the results view
// (`BuildReport`) when false, the description view when true. Returns the new flag.
bool ShowDescription(BenchmarkState& state);

}  // namespace quorvane
