// Steady measurement of the processor and memory tests: each test's work is sized so that one
// timed interval lasts at least a floor, the selected tests are measured in interleaved rounds,
// a round whose workers did not have the processors for the interval is set aside as disturbed,
// and a test's score is its best kept round, once its best rounds agree. (What slows a round
// down, from other programs to a virtual machine's neighbours, only ever slows it: the best
// rounds repeat from run to run, the median of a few rounds does not; see the README.) This unit
// holds the settings, what one interval tells, the record of each test's rounds and the decisions
// taken on it; the runner does the running. Pure data and arithmetic; no clock is read and no
// thread started here.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/KernelCheck.h"
#include "engine/TestSelection.h"

namespace quorvane {

// The figures below were chosen from runs on a 2-processor virtual machine (see the README).
struct SteadySettings {
  double floorSeconds = 1.0;      // one interval lasts at least this (twice with long tests)
  double tolerancePercent = 2.0;  // the best kept rounds agree within this spread
  int agreeingRounds = 3;         // how many of the best kept rounds must agree (and the rounds
                                  // every test is measured at least)
  int maxRounds = 8;              // rounds of one test at most, disturbed ones included
  double budgetSeconds = 50.0;    // a further round starts only within this (twice with long)
  // A round is disturbed when its workers ran for less than this share of the processor time
  // the interval offered them ...
  double disturbedShare = 0.9;
  // ... and the time they lacked exceeds this (it covers starting and ending the workers and
  // a coarse thread clock).
  double disturbedSlackSeconds = 0.03;
};

// What one timed interval of one test gave.
struct IntervalMeasure {
  std::int64_t ticks = 0;      // counter ticks from before the first worker to after the last
  std::int64_t frequency = 1;  // counter ticks per second
  double workerSeconds = 0.0;  // processor time of all workers together
  int workers = 0;
  int processors = 1;  // processors the process may use

  double Seconds() const { return static_cast<double>(ticks) / static_cast<double>(frequency); }
  // The processor time the interval offered the workers: its length times the workers that
  // could run at once.
  double OfferedSeconds() const;
  // The workers' processor time as a share of what was offered (1 when nothing was offered).
  double ProcessorShare() const;
  bool Disturbed(const SteadySettings& settings) const;
};

// One measured round of a test.
struct SteadySample {
  std::uint32_t score = 0;
  double seconds = 0.0;
  double processorShare = 1.0;
  bool disturbed = false;
};

// A test's rounds in one steady run.
struct SteadyTest {
  TestId test = TestId::Dhrystone;
  std::int32_t factor = 1;            // the specified passes are multiplied by this
  std::int32_t loopCount = 0;         // what each worker's kernel was given in one interval
  double calibrationSeconds = 0;      // the interval of the specified passes
  std::vector<SteadySample> samples;  // in round order; the sizing interval is the first when
                                      // its work needed no factor
  bool lostScore = false;             // a worker failed or computed a wrong result: no score
  bool agreed = false;                // the best kept rounds agreed within the tolerance
  // What worker 0 computed in the first kept round: every later round must compute the same.
  std::optional<KernelOutcome> firstOutcome;

  int Kept() const;
  int Disturbed() const;
  // The scores of the kept rounds, or of all rounds when none was kept.
  std::vector<std::uint32_t> ScoredSamples() const;
  // The best of ScoredSamples(); nullopt without a sample or after a lost score.
  std::optional<std::uint32_t> Score() const;
  // (max - min) / median of ScoredSamples() in percent; 0 with fewer than two.
  double SpreadPercent() const;
  // The same spread of the best `count` kept rounds (of all rounds when none was kept).
  double BestRoundsSpreadPercent(int count) const;
  // The length of the last measured interval, or of the calibration before any round.
  double LastSeconds() const;
};

// The floor and the budget grow with the length factor: 2 is the normal length, 4 the long one.
double LengthScale(std::int32_t lengthFactor);

// The factor that makes an interval of `calibrationSeconds` last at least `floorSeconds`: a
// whole number from 1 up to what keeps every loop count of the kernel within 32 bits; 1 when the
// interval measured no time.
std::int32_t SizingFactor(double calibrationSeconds, double floorSeconds, std::int32_t lengthFactor,
                          std::int32_t loopsPerLengthFactor, std::int32_t largestLoopCount);

// True when the best `settings.agreeingRounds` kept rounds of `test` lie within the tolerance.
bool RoundsAgree(const SteadyTest& test, const SteadySettings& settings);

// Whether `test` is measured once more: not once its score is lost, its rounds agree or it has
// `maxRounds` rounds; until it has `agreeingRounds` rounds always; beyond that only while
// `elapsedSeconds` plus `roundSeconds` (what the coming round's tests will take) stay within the
// budget.
bool MeasureAgain(const SteadyTest& test, double elapsedSeconds, double roundSeconds,
                  const SteadySettings& settings, std::int32_t lengthFactor);

// Where the workers of a steady run's next interval run: worker i on the processor that worker i
// of the last interval ended on (`endedOn`), so that each round finds its processor as the last
// one left it. Empty, leaving the placement to the system, when a worker's processor is unknown
// (-1), two workers ended on the same one, there are more workers than `processors`, or the
// interval was `disturbed` (kept on a processor that something else holds, a worker would stay
// there; left free, the system moves it).
std::vector<int> NextPlacement(const std::vector<int>& endedOn, int processors, bool disturbed);

// The lines a finished steady test gives the user, each naming it: its rounds did not agree, or
// most were disturbed. Empty when it settled.
std::vector<std::string> SteadyWarnings(const SteadyTest& test, const SteadySettings& settings);

// The line of a quick-mode interval that was disturbed (its score is still recorded).
std::string DisturbedIntervalWarning(TestId test, const IntervalMeasure& interval);

}  // namespace quorvane
