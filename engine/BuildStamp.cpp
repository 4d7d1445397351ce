#include "engine/BuildStamp.h"

#include "generated/KernelFlags.h"
#include "generated/Version.h"
#include "platform/MachineEnvironment.h"

namespace quorvane {

namespace {

std::string CompilerName() {
#if defined(__clang__)
  return "clang " __clang_version__;
#elif defined(__GNUC__)
  return "GCC " __VERSION__;
#elif defined(_MSC_VER)
  return "MSVC " + std::to_string(_MSC_FULL_VER);
#else
  return kUnknown;
#endif
}

}  // namespace

BuildStamp ThisBuild() {
  return {CompilerName(), QUORVANE_KERNEL_FLAGS, CLibraryVersion(), MathLibraryVersion(),
          QUORVANE_VERSION};
}

}  // namespace quorvane
