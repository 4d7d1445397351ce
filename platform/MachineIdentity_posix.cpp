#include "platform/MachineIdentity.h"

#include <systemd/sd-id128.h>

namespace quorvane {

namespace {

// This program's key: the machine id is hashed with it (HMAC-SHA256, as the system's library
// derives application-specific ids), so other programs' ids of this machine do not match ours.
constexpr sd_id128_t kApplicationKey =
    SD_ID128_MAKE(6f, 1a, 94, 3c, 2d, 87, 4e, 5b, a0, 13, c9, 7e, 52, d4, 08, f1);

}  // namespace

std::string ThisMachineIdentity() {
  sd_id128_t identity{};
  if (sd_id128_get_machine_app_specific(kApplicationKey, &identity) < 0) return {};
  char text[SD_ID128_STRING_MAX];
  return sd_id128_to_string(identity, text);
}

}  // namespace quorvane
