#include "report/FieldNames.h"

namespace quorvane {

const std::vector<std::string> kFieldOptionNames = {
    "brand",          "model",      "motherboard", "cpu",      "internal-clock",
    "external-clock", "cache-size", "cache-type",  "ram-size", "ram-type",
    "ram-speed",      "os",         "threads",     "cpus"};

}  // namespace quorvane
