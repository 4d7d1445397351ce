// Test helper: a temporary folder filled for one test and used as the root that the system
// readers look below.
#pragma once

#include "tests/temp_folder.h"

namespace quorvane::test_support {

class FixtureTree : public TempFolder {
 public:
  const std::filesystem::path& root() const { return path(); }
};

}  // namespace quorvane::test_support
