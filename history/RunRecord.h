// One finished run as the history keeps it: when and where it ran, how it was run, the bytes of
// the result file that saving it right afterwards would have written, and how the run went
// (samples, environment and build stamp, as the JSON of quorvane-cli gives them). Plain data.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace quorvane {

// What the front end knows about a run besides its tables.
struct RunFacts {
  std::int64_t timeUtc = 0;     // the end of the run, seconds since 1970-01-01 00:00 UTC
  std::string machineIdentity;  // the same for every run of one machine; never the system's id
  std::int32_t threads = 0;
  bool longTests = false;
  std::int32_t repetitions = 1;
  bool steady = true;       // steady measurement, or the quick tests' fixed work
  std::string detailsJson;  // samples, environment, build stamp; "{}" when there are none
};

// One result row of a run: its code and its value as stored ("%10u" read back).
struct RunScore {
  char code = '\0';
  std::uint32_t value = 0;
};

// A run in a listing: its facts, the name of its machine and its rows, without the file bytes.
struct RunSummary {
  std::int64_t id = 0;
  RunFacts facts;
  std::string machineName;       // brand and model, else the processor, as the description has them
  std::vector<RunScore> scores;  // in row order
};

// A run as it was recorded, enough to load, compare or save it as if it had just finished.
struct RunRecord {
  RunSummary summary;
  std::string resultFile;  // the bytes of the result file of the run's tables
};

}  // namespace quorvane
