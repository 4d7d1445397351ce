// What this program was built with, for the record beside a run's results: the compiler, the
// kernels' compile flags, the C and mathematical libraries it runs with, and its version.
#pragma once

#include <string>

namespace quorvane {

struct BuildStamp {
  std::string compiler;     // e.g. "GCC 12.2.0"
  std::string kernelFlags;  // the compile options of the kernels library, as CMake gave them
  std::string cLibrary;     // e.g. "glibc 2.36"
  std::string mathLibrary;  // e.g. "glibc 2.36 (libm is part of glibc)"
  std::string version;      // the program's version
};

BuildStamp ThisBuild();

}  // namespace quorvane
