#include "engine/SteadyMeasurement.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>

#include "engine/RepeatedRuns.h"
#include "engine/TestTable.h"

namespace quorvane {

namespace {

// The samples as a repeated run's row, for its median and spread.
RepeatedRow RowOf(const std::vector<std::uint32_t>& samples) {
  RepeatedRow row;
  row.samples.assign(samples.begin(), samples.end());
  return row;
}

std::string Percent(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f %%", value);
  return text;
}

}  // namespace

double IntervalMeasure::OfferedSeconds() const {
  return Seconds() * static_cast<double>(std::min(workers, std::max(processors, 1)));
}

double IntervalMeasure::ProcessorShare() const {
  const double offered = OfferedSeconds();
  return offered > 0.0 ? workerSeconds / offered : 1.0;
}

std::vector<int> NextPlacement(const std::vector<int>& endedOn, int processors, bool disturbed) {
  if (disturbed || endedOn.empty() || static_cast<int>(endedOn.size()) > processors) return {};
  std::vector<int> sorted = endedOn;
  std::sort(sorted.begin(), sorted.end());
  if (sorted.front() < 0 || std::adjacent_find(sorted.begin(), sorted.end()) != sorted.end())
    return {};
  return endedOn;
}

bool IntervalMeasure::Disturbed(const SteadySettings& settings) const {
  return ProcessorShare() < settings.disturbedShare &&
         OfferedSeconds() - workerSeconds > settings.disturbedSlackSeconds;
}

int SteadyTest::Kept() const {
  return static_cast<int>(std::count_if(samples.begin(), samples.end(),
                                        [](const SteadySample& s) { return !s.disturbed; }));
}

int SteadyTest::Disturbed() const { return static_cast<int>(samples.size()) - Kept(); }

std::vector<std::uint32_t> SteadyTest::ScoredSamples() const {
  const bool anyKept = Kept() > 0;
  std::vector<std::uint32_t> scores;
  for (const SteadySample& sample : samples) {
    if (!anyKept || !sample.disturbed) scores.push_back(sample.score);
  }
  return scores;
}

std::optional<std::uint32_t> SteadyTest::Score() const {
  if (lostScore || samples.empty()) return std::nullopt;
  const std::vector<std::uint32_t> scores = ScoredSamples();
  return *std::max_element(scores.begin(), scores.end());
}

double SteadyTest::SpreadPercent() const {
  const std::vector<std::uint32_t> scores = ScoredSamples();
  return scores.size() < 2 ? 0.0 : RowOf(scores).SpreadPercent();
}

double SteadyTest::BestRoundsSpreadPercent(int count) const {
  std::vector<std::uint32_t> scores = ScoredSamples();
  std::sort(scores.begin(), scores.end(), std::greater<>());
  if (static_cast<int>(scores.size()) > count)
    scores.resize(static_cast<std::size_t>(std::max(count, 0)));
  return scores.size() < 2 ? 0.0 : RowOf(scores).SpreadPercent();
}

double SteadyTest::LastSeconds() const {
  return samples.empty() ? calibrationSeconds : samples.back().seconds;
}

double LengthScale(std::int32_t lengthFactor) { return static_cast<double>(lengthFactor) / 2.0; }

std::int32_t SizingFactor(double calibrationSeconds, double floorSeconds, std::int32_t lengthFactor,
                          std::int32_t loopsPerLengthFactor, std::int32_t largestLoopCount) {
  const std::int64_t perFactor =
      static_cast<std::int64_t>(std::max(lengthFactor, 1)) * std::max(loopsPerLengthFactor, 1);
  const std::int64_t largest = std::max<std::int64_t>(1, largestLoopCount / perFactor);
  if (!(calibrationSeconds > 0.0)) return 1;  // nothing to size by: the fixed work as it is
  const double wanted = std::ceil(floorSeconds / calibrationSeconds);
  if (!(wanted < static_cast<double>(largest))) return static_cast<std::int32_t>(largest);
  return static_cast<std::int32_t>(std::max(1.0, wanted));
}

bool RoundsAgree(const SteadyTest& test, const SteadySettings& settings) {
  if (test.Kept() < settings.agreeingRounds) return false;
  return test.BestRoundsSpreadPercent(settings.agreeingRounds) <= settings.tolerancePercent;
}

bool MeasureAgain(const SteadyTest& test, double elapsedSeconds, double roundSeconds,
                  const SteadySettings& settings, std::int32_t lengthFactor) {
  const auto rounds = static_cast<int>(test.samples.size());
  if (test.lostScore || test.agreed || rounds >= settings.maxRounds) return false;
  if (rounds < settings.agreeingRounds) return true;
  return elapsedSeconds + roundSeconds <= settings.budgetSeconds * LengthScale(lengthFactor);
}

std::vector<std::string> SteadyWarnings(const SteadyTest& test, const SteadySettings& settings) {
  std::vector<std::string> lines;
  if (test.lostScore || test.samples.empty()) return lines;
  const std::string name(InfoOf(test.test).name);
  const int rounds = static_cast<int>(test.samples.size());
  const int kept = test.Kept();
  if (test.Disturbed() * 2 > rounds) {
    lines.push_back("The test " + name + " was disturbed in " + std::to_string(test.Disturbed()) +
                    " of its " + std::to_string(rounds) +
                    " rounds: other programs, a virtual machine's host or a pause took the "
                    "processors from its workers. " +
                    (kept > 0 ? "Its score is the best of the " + std::to_string(kept) +
                                    " undisturbed " + (kept == 1 ? "round." : "rounds.")
                              : std::string("Its score is the best of all its rounds and is "
                                            "likely too low.")));
  }
  if (!test.agreed) {
    const int best = std::min(settings.agreeingRounds, kept > 0 ? kept : rounds);
    lines.push_back("The test " + name + " did not settle: the best " + std::to_string(best) +
                    " of its " + std::to_string(rounds) + " rounds spread " +
                    Percent(test.BestRoundsSpreadPercent(settings.agreeingRounds)) +
                    " (it settles when " + std::to_string(settings.agreeingRounds) +
                    " agree within " + Percent(settings.tolerancePercent) +
                    "). Its score is its best round.");
  }
  return lines;
}

std::string DisturbedIntervalWarning(TestId test, const IntervalMeasure& interval) {
  return "The test " + std::string(InfoOf(test).name) + " was disturbed: its workers ran for " +
         Percent(interval.ProcessorShare() * 100.0) +
         " of the time measured (other programs, a virtual machine's host or a pause took the "
         "rest). Its score is likely too low.";
}

}  // namespace quorvane
