// The names of the 14 description fields, in field order, as the JSON of a run and the --set
// option of quorvane-cli spell them ("brand", "internal-clock", ..., "cpus"). Constant data.
#pragma once

#include <string>
#include <vector>

namespace quorvane {

extern const std::vector<std::string> kFieldOptionNames;

}  // namespace quorvane
