// Steady measurement's decisions: sizing factors at the 32-bit limits, which rounds are
// disturbed, when rounds agree, when a test is measured again, the score of a test whose rounds
// were all disturbed, and the lines the user is told.
#include <gtest/gtest.h>

#include <climits>

#include "engine/SteadyMeasurement.h"
#include "engine/TestTable.h"
#include "engine/Workers.h"

namespace quorvane {
namespace {

SteadySample Sample(std::uint32_t score, bool disturbed = false) {
  SteadySample sample;
  sample.score = score;
  sample.seconds = 1.0;
  sample.disturbed = disturbed;
  return sample;
}

SteadyTest WithSamples(std::initializer_list<SteadySample> samples) {
  SteadyTest test;
  test.test = TestId::Whetstone;
  test.samples = samples;
  return test;
}

TEST(SteadyMeasurement, SizingReachesTheFloorWithinThirtyTwoBitLoopCounts) {
  const TestInfo& whetstone = InfoOf(TestId::Whetstone);
  // 0.3 s at the fixed work: 4 times the work lasts 1.2 s, the first whole factor past 1 s.
  EXPECT_EQ(SizingFactor(0.3, 1.0, 2, 4000000, INT32_MAX), 4);
  EXPECT_EQ(SizingFactor(0.25, 1.0, 2, 4000000, INT32_MAX), 4);
  EXPECT_EQ(SizingFactor(2.0, 1.0, 2, 10000, INT32_MAX), 1);  // already long enough
  // Whetstone's module 8 repeats its count 899 times: the loop count stays at most 2,388,770,
  // so with the length factor 2 the factor stops at 59 (59 x 40,000 = 2,360,000).
  const std::int32_t largest =
      SizingFactor(1e-6, 1.0, 2, whetstone.loopsPerLengthFactor, whetstone.largestLoopCount);
  EXPECT_EQ(largest, 59);
  EXPECT_LE(static_cast<std::int64_t>(WorkerLoopCount(TestId::Whetstone, 2 * largest)) * 899,
            INT32_MAX);
  EXPECT_GT(static_cast<std::int64_t>(WorkerLoopCount(TestId::Whetstone, 2 * (largest + 1))) * 899,
            INT32_MAX);
  // A calibration that measured no time at all, or nonsense, sizes nothing.
  EXPECT_EQ(SizingFactor(0.0, 1.0, 2, whetstone.loopsPerLengthFactor, whetstone.largestLoopCount),
            1);
  EXPECT_EQ(SizingFactor(-1.0, 1.0, 4, 4000000, INT32_MAX), 1);
  EXPECT_EQ(SizingFactor(1e-9, 1.0, 4, 4000000, INT32_MAX), 134);  // 16,000,000 x 134 < 2^31
  // The floor and budget scale: twice with long tests.
  EXPECT_DOUBLE_EQ(LengthScale(4), 2.0 * LengthScale(2));
}

TEST(SteadyMeasurement, ARoundIsDisturbedWhenItsWorkersLackedClearlyMoreThanTheSlack) {
  const SteadySettings settings;
  IntervalMeasure interval;
  interval.frequency = 1000;
  interval.ticks = 1000;  // one second
  interval.workers = 2;
  interval.processors = 2;
  interval.workerSeconds = 1.9;
  EXPECT_FALSE(interval.Disturbed(settings));
  EXPECT_NEAR(interval.ProcessorShare(), 0.95, 1e-12);
  interval.workerSeconds = 1.7;  // one worker lost 0.3 s: a paused process, another program
  EXPECT_TRUE(interval.Disturbed(settings));
  // More workers than processors: only two can run at once.
  interval.workers = 8;
  interval.workerSeconds = 1.9;
  EXPECT_FALSE(interval.Disturbed(settings));
  interval.workers = 1;
  interval.workerSeconds = 0.5;  // stopped for half the interval
  EXPECT_TRUE(interval.Disturbed(settings));
  // A share far below the threshold but less time lacking than the slack: starting and ending
  // the workers of a very short interval.
  interval.ticks = 20;
  interval.workerSeconds = 0.001;
  EXPECT_FALSE(interval.Disturbed(settings));
  interval.ticks = 0;
  EXPECT_DOUBLE_EQ(interval.ProcessorShare(), 1.0);
}

TEST(SteadyMeasurement, TheBestKeptRoundsMustAgreeAndTheScoreIsTheBestKeptRound) {
  SteadySettings settings;  // the best three within 2 %
  SteadyTest test = WithSamples({Sample(1000), Sample(1200), Sample(1010)});
  EXPECT_FALSE(RoundsAgree(test, settings));   // 1200, 1010, 1000: 19 % apart
  test.samples.push_back(Sample(5000, true));  // a disturbed round counts for nothing
  test.samples.push_back(Sample(1190));
  EXPECT_FALSE(RoundsAgree(test, settings));  // 1200, 1190, 1010
  test.samples.push_back(Sample(900));        // a slow round changes nothing
  EXPECT_FALSE(RoundsAgree(test, settings));
  test.samples.push_back(Sample(1180));
  EXPECT_TRUE(RoundsAgree(test, settings));  // 1200, 1190, 1180: 1.7 %
  EXPECT_EQ(test.Kept(), 6);
  EXPECT_EQ(test.Disturbed(), 1);
  EXPECT_EQ(test.Score(), 1200u);
  EXPECT_NEAR(test.BestRoundsSpreadPercent(3), 20.0 * 100.0 / 1190.0, 1e-9);
  EXPECT_NEAR(test.SpreadPercent(), 300.0 * 100.0 / 1095.0, 1e-9);  // of 900 ... 1200, median 1095
  // Fewer kept rounds than must agree never agree, however close.
  EXPECT_FALSE(RoundsAgree(WithSamples({Sample(10), Sample(10), Sample(10, true)}), settings));
  // Rounds that were all disturbed still give a score: their best.
  const SteadyTest allDisturbed =
      WithSamples({Sample(500, true), Sample(700, true), Sample(600, true)});
  EXPECT_EQ(allDisturbed.Score(), 700u);
  EXPECT_FALSE(RoundsAgree(allDisturbed, settings));
  // No score without a sample, or once a worker went wrong.
  EXPECT_EQ(WithSamples({}).Score(), std::nullopt);
  test.lostScore = true;
  EXPECT_EQ(test.Score(), std::nullopt);
}

TEST(SteadyMeasurement, ATestIsMeasuredAgainUntilItAgreesWithinTheRoundCapAndTheBudget) {
  SteadySettings settings;
  settings.maxRounds = 5;
  settings.budgetSeconds = 20.0;
  SteadyTest test = WithSamples({Sample(1000), Sample(1000, true)});
  // Until a test has three rounds it is measured whatever the time.
  EXPECT_TRUE(MeasureAgain(test, 100.0, 10.0, settings, 2));
  test.samples.push_back(Sample(990));
  // Then only while the coming round fits in the budget, which doubles with long tests.
  EXPECT_TRUE(MeasureAgain(test, 12.0, 8.0, settings, 2));
  EXPECT_FALSE(MeasureAgain(test, 12.5, 8.0, settings, 2));
  EXPECT_TRUE(MeasureAgain(test, 30.0, 8.0, settings, 4));
  test.samples.push_back(Sample(980));
  EXPECT_TRUE(MeasureAgain(test, 0.0, 0.0, settings, 2));
  test.samples.push_back(Sample(970));
  EXPECT_FALSE(MeasureAgain(test, 0.0, 0.0, settings, 2));  // the cap: five rounds
  test.samples.resize(1);
  test.agreed = true;
  EXPECT_FALSE(MeasureAgain(test, 0.0, 0.0, settings, 2));
  test.agreed = false;
  test.lostScore = true;
  EXPECT_FALSE(MeasureAgain(test, 0.0, 0.0, settings, 2));
}

TEST(SteadyMeasurement, TheNextIntervalKeepsEachWorkerOnItsOwnProcessorOfTheLastOne) {
  EXPECT_EQ(NextPlacement({3}, 4, false), std::vector<int>{3});
  EXPECT_EQ(NextPlacement({1, 0}, 2, false), (std::vector<int>{1, 0}));  // worker order kept
  EXPECT_TRUE(NextPlacement({1, 0}, 2, true).empty());      // disturbed: the system moves them
  EXPECT_TRUE(NextPlacement({2, 0, 2}, 4, false).empty());  // two on one processor
  EXPECT_TRUE(NextPlacement({0, 1, 2}, 2, false).empty());  // more workers than processors
  EXPECT_TRUE(NextPlacement({0, -1}, 2, false).empty());    // a processor not known
  EXPECT_TRUE(NextPlacement({}, 2, false).empty());
}

TEST(SteadyMeasurement, TheUserIsToldOfRoundsThatDidNotAgreeOrWereMostlyDisturbed) {
  const SteadySettings settings;
  SteadyTest settled = WithSamples({Sample(1000), Sample(1001), Sample(999)});
  settled.agreed = true;
  EXPECT_TRUE(SteadyWarnings(settled, settings).empty());

  const SteadyTest unsettled =
      WithSamples({Sample(1000), Sample(1100), Sample(950), Sample(10, true)});
  ASSERT_EQ(SteadyWarnings(unsettled, settings).size(), 1u);
  EXPECT_EQ(SteadyWarnings(unsettled, settings)[0],
            "The test Whetstone did not settle: the best 3 of its 4 rounds spread 15.0 % (it "
            "settles when 3 agree within 2.0 %). Its score is its best round.");

  SteadyTest disturbed = WithSamples({Sample(900, true), Sample(1000), Sample(800, true)});
  const std::vector<std::string> lines = SteadyWarnings(disturbed, settings);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].rfind("The test Whetstone was disturbed in 2 of its 3 rounds: ", 0), 0u)
      << lines[0];
  EXPECT_NE(lines[0].find("best of the 1 undisturbed round."), std::string::npos) << lines[0];
  EXPECT_NE(lines[1].find("the best 1 of its 3 rounds spread 0.0 %"), std::string::npos)
      << lines[1];
  disturbed.samples[1].disturbed = true;
  EXPECT_NE(
      SteadyWarnings(disturbed, settings)[0].find("best of all its rounds and is likely too low"),
      std::string::npos);
  // A test that lost its score has its error message already.
  disturbed.lostScore = true;
  EXPECT_TRUE(SteadyWarnings(disturbed, settings).empty());

  IntervalMeasure paused;
  paused.frequency = 1;
  paused.ticks = 4;
  paused.workers = 1;
  paused.workerSeconds = 1.0;
  EXPECT_EQ(DisturbedIntervalWarning(TestId::Queens, paused),
            "The test Eight queens problem was disturbed: its workers ran for 25.0 % of the time "
            "measured (other programs, a virtual machine's host or a pause took the rest). Its "
            "score is likely too low.");
}

}  // namespace
}  // namespace quorvane
