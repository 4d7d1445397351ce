// The test runner with a scripted host and stand-in workers: confirmation, row order, worker
// counts, no overlap between tests, refused threads and failed allocations.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cmath>
#include <memory>
#include <mutex>
#include <new>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "engine/TestRunner.h"
#include "engine/TestTable.h"
#include "platform/Priority.h"
#include "platform/ProcessorPlacement.h"

#if defined(__linux__)
#include <sched.h>
#endif

namespace quorvane {
namespace {

// What the stand-in workers saw; a fresh one for every test.
struct WorkerRecord {
  std::array<std::atomic<int>, kTestCount> started{};
  std::array<std::atomic<int>, kTestCount> finished{};
  std::atomic<bool> overlap{false};
  std::atomic<int> lengthFactorSeen{0};
};

std::unique_ptr<WorkerRecord> workerRecord;

template <int Test>
void StandInWorker(WorkerSlots& slots, int index) {
  WorkerRecord& record = *workerRecord;
  for (int earlier = 0; earlier < Test; ++earlier) {
    if (record.started[earlier] != record.finished[earlier]) record.overlap = true;
  }
  ++record.started[Test];
  record.lengthFactorSeen = *slots.LengthFactor;
  std::this_thread::sleep_for(std::chrono::microseconds(100 * (index % 4)));
  slots.WorkerResults[static_cast<std::size_t>(index)] = 1;
  ++record.finished[Test];
  slots.WorkerDoneEvents[static_cast<std::size_t>(index)].Set();
}

const WorkerRoutineTable kStandIns = {StandInWorker<0>, StandInWorker<1>, StandInWorker<2>,
                                      StandInWorker<3>, StandInWorker<4>, StandInWorker<5>,
                                      StandInWorker<6>};

// A stand-in disk test: the drives named in `failing` fail with a message, the others give
// fixed results.
struct DiskRecord {
  std::string failing;
  std::string noting;  // drives whose test meets something to note (a leftover file) and goes on
  std::vector<std::pair<char, std::int32_t>> calls;
} disks;

std::optional<DiskResults> StandInDiskTest(char letter, std::int32_t passes,
                                           const DiskTestEnvironment& environment) {
  disks.calls.emplace_back(letter, passes);
  if (disks.failing.find(letter) != std::string::npos) {
    environment.showMessage("Can't write test file", "Error writing to test file");
    return std::nullopt;
  }
  if (disks.noting.find(letter) != std::string::npos) {
    (environment.showNote ? environment.showNote : environment.showMessage)(
        "The test file was left by a test that ended abnormally: it was removed.", "Note");
  }
  return DiskResults{700, 600, 500, 400, 300, 200, 12};
}

class ScriptedHost : public RunHost {
 public:
  ScriptedHost(BenchmarkState& state, std::string threads, bool confirm)
      : state_(state), threads_(std::move(threads)), confirm_(confirm) {}

  void ConfirmDescription() override {
    log.push_back("confirm");
    if (confirm_) SetField(state_.thisMachine.threads, threads_);
    state_.descriptionConfirmed = confirm_;
  }
  void RunStarted() override { log.push_back("started"); }
  void ShowReport() override { log.push_back("shown"); }
  void ResultsChanged() override {
    if (!state_.testSelection.quickTests) {  // a steady run rewrites all its rows each time
      log.push_back("rows " + std::to_string(state_.resultCount));
      return;
    }
    const ResultEntry& row = state_.thisResults[static_cast<std::size_t>(state_.resultCount)];
    if (row.code == '\0') {  // a drive block, counted before the report is rebuilt
      log.push_back(std::string("block ") +
                    state_.thisResults[static_cast<std::size_t>(state_.resultCount - 7)].code);
      return;
    }
    log.push_back(std::string("row ") + row.code);
    // A row is written only after every worker of its test has finished.
    const TestInfo* info = FindTestByCode(row.code);
    ASSERT_NE(info, nullptr);
    const auto t = static_cast<std::size_t>(info->id);
    if (workerRecord->started[t] != workerRecord->finished[t]) rowBeforeWorkersEnded = true;
  }
  void Progress(const RunProgress& progress) override {
    log.push_back("progress " + ProgressPrefix(progress) + std::to_string(progress.step) + "/" +
                  std::to_string(progress.steps) + " " + std::string(progress.name));
    if (stop != nullptr && stopAt == log.back()) stop->RequestStop();
  }
  void ShowError(std::string_view text, std::string_view) override { errors.emplace_back(text); }
  void ShowMeasurementWarning(std::string_view text) override { warnings.emplace_back(text); }
  void RunFinished() override { log.push_back("finished"); }

  std::vector<std::string> log;
  std::vector<std::string> errors;
  std::vector<std::string> warnings;
  bool rowBeforeWorkersEnded = false;
  // The progress line (as logged) at which the host asks `stop` to end the run.
  std::string stopAt;
  TestRunner* stop = nullptr;
  BenchmarkState& state_;
  std::string threads_;
  bool confirm_;
};

// Runs the selected tests of `state` on `runner`; the description is confirmed with `threads`,
// or cancelled.
ScriptedHost RunTests(BenchmarkState& state, std::string threads, TestRunner& runner,
                      bool confirm = true) {
  ScriptedHost host(state, std::move(threads), confirm);
  runner.OnRunSelectedTests(state, host);
  return host;
}

class TestRunnerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    workerRecord = std::make_unique<WorkerRecord>();
    disks = DiskRecord{};
    state.testSelection.RealTimePriority = false;
    state.testSelection.quickTests = true;  // the steady runs have tests of their own below
  }

  BenchmarkState state;  // the fixture lives on the heap
  TestRunner standIns{StartThread, kStandIns};
};

// Selects exactly `tests`.
void Select(TestSelection& selection, std::initializer_list<TestId> tests) {
  DeselectAllTests(selection);
  for (TestId test : tests) ToggleTest(selection, test);
}

std::vector<char> Codes(const ResultTable& table) {
  std::vector<char> codes;
  for (const ResultEntry& row : table) {
    if (row.code == '\0') break;
    codes.push_back(row.code);
  }
  return codes;
}

TEST_F(TestRunnerTest, ACancelledDescriptionOrAThreadCountOutsideOneTo128RunsNothingAnd128Runs) {
  SelectAllTests(state.testSelection);
  SetRow(state.thisResults[0], 'd', 5);
  state.ReportText[0][0] = 'x';
  state.testSelection.RealTimePriority = true;
  EXPECT_EQ(RunTests(state, "2", standIns, false).log, std::vector<std::string>{"confirm"});
  EXPECT_FALSE(IsRealTimePriority());
  for (const char* threads : {"0", "129", "", "many"}) {
    // A refused count still ends the confirmed run in the normal class.
    const bool raised = SetRealTimePriority();
    const ScriptedHost host = RunTests(state, threads, standIns);
    EXPECT_FALSE(raised && IsRealTimePriority()) << threads;
    EXPECT_EQ(host.errors.size(), 1u) << threads;
  }
  EXPECT_EQ(state.thisResults[0].code, 'd');
  EXPECT_EQ(state.ReportText[0][0], 'x');
  for (int t = 0; t < kTestCount; ++t) EXPECT_EQ(workerRecord->started[t], 0);
  // 128 itself runs.
  Select(state.testSelection, {TestId::Dhrystone});
  RunTests(state, "128", standIns);
  EXPECT_EQ(workerRecord->finished[0], 128);
}

TEST_F(TestRunnerTest, RowsFollowTheFixedOrderAfterEveryWorkerAndTestsNeverOverlap) {
  Select(state.testSelection, {TestId::Memory, TestId::Whetstone});
  // What an earlier run left goes: its rows (a NUL code empties a row; values stay), its count
  // and its report.
  SetRow(state.thisResults[2], 'd', 1234);
  state.resultCount = 9;
  state.ReportText[5][0] = 'y';
  TestRunner runner(StartThread, kStandIns);
  RunTests(state, " 3 threads", runner);
  EXPECT_EQ(Codes(state.thisResults), (std::vector<char>{'w', 'm'}));
  EXPECT_EQ(std::string(ValueText(state.thisResults[2])), "      1234");
  EXPECT_EQ(state.ReportText[5][0], '\0');
  EXPECT_EQ(workerRecord->started[static_cast<int>(TestId::Whetstone)], 3);
  EXPECT_EQ(runner.MemoryWorkerCount(), 4);

  // A hundred workers a test (the memory test's next power of two), the long length factor.
  SelectAllTests(state.testSelection);
  ToggleLongTests(state.testSelection);
  workerRecord = std::make_unique<WorkerRecord>();
  const ScriptedHost hundred = RunTests(state, "100", runner);
  EXPECT_EQ(Codes(state.thisResults), (std::vector<char>{'d', 'w', 'q', 'c', 'n', 'f', 'm'}));
  for (int t = 0; t < kTestCount - 1; ++t) EXPECT_EQ(workerRecord->finished[t], 100) << t;
  EXPECT_EQ(workerRecord->finished[kTestCount - 1], 128);
  EXPECT_FALSE(workerRecord->overlap);
  EXPECT_FALSE(hundred.rowBeforeWorkersEnded);
  EXPECT_EQ(workerRecord->lengthFactorSeen, 4);
}

// A memory kernel whose allocation the system refuses.
struct NoMemoryKernel : MemoryKernel {
  std::int32_t Run(std::int32_t) { throw std::bad_alloc(); }
};

TEST_F(TestRunnerTest, AWorkerThatCannotStartOrGetItsMemorySkipsOnlyItsTest) {
  Select(state.testSelection, {TestId::Dhrystone, TestId::Whetstone, TestId::Queens, TestId::Matrix,
                               TestId::NumberCrunch});
  int calls = 0;
  TestRunner runner(
      [&calls](std::function<void()> routine) -> std::optional<std::thread> {
        if (++calls == 3) return std::nullopt;   // the first Whetstone worker
        if (calls == 7) throw std::bad_alloc();  // the second Matrix worker
        if (calls == 8)
          throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again));
        return StartThread(std::move(routine));
      },
      kStandIns);
  const ScriptedHost host = RunTests(state, "2", runner);
  EXPECT_EQ(Codes(state.thisResults), (std::vector<char>{'d', 'q'}));
  // Refused, or an exception while wrapping the routine or creating the thread: each the same.
  ASSERT_EQ(host.errors.size(), 3u);
  for (const auto& [error, words] : {std::pair{0, "thread 1 of 2 of the test Whetstone"},
                                     {1, "thread 2 of 2 of the test Matrix operations"},
                                     {2, "of the test Number crunch"}}) {
    EXPECT_NE(host.errors[error].find(words), std::string::npos) << host.errors[error];
  }
  // The workers started before a refusal ran to their end and were joined.
  EXPECT_EQ(workerRecord->finished[static_cast<int>(TestId::Matrix)], 1);
  EXPECT_EQ(host.log.back(), "finished");
  EXPECT_EQ(workerRecord->started[static_cast<int>(TestId::Whetstone)], 0);

  // Real workers whose kernel cannot get its memory: every one of the memory test's four.
  Select(state.testSelection, {TestId::Matrix, TestId::Memory});
  WorkerRoutineTable routines = kStandIns;
  routines[6] = [](WorkerSlots& slots, int index) {
    RunKernelWorker<NoMemoryKernel>(slots, index, TestId::Memory);
  };
  TestRunner noMemoryRunner(StartThread, routines);
  const ScriptedHost noMemory = RunTests(state, "3", noMemoryRunner);
  EXPECT_EQ(Codes(state.thisResults), (std::vector<char>{'c'}));
  ASSERT_EQ(noMemory.errors.size(), 1u);
  EXPECT_NE(noMemory.errors[0].find("Memory throughput: 4 of its 4"), std::string::npos)
      << noMemory.errors[0];
}

TEST_F(TestRunnerTest, DrivesFollowTheTestsAFailedDriveLeavesNoGapAndBlocksFillTheLastRow) {
  Select(state.testSelection, {TestId::Dhrystone, TestId::Whetstone});
  for (char letter = 'C'; letter <= 'R'; ++letter) ToggleDrive(state.testSelection, letter);
  ToggleLongTests(state.testSelection);
  disks.failing = "D";
  disks.noting = "E";
  TestRunner runner(StartThread, kStandIns, DiskTestEnvironment{}, StandInDiskTest);
  const ScriptedHost host = RunTests(state, "1", runner);
  disks.noting.clear();
  const std::vector<std::string> expected = {"confirm", "started",
                                             "shown",   "progress 1/18 Dhrystone 2.1",
                                             "row d",   "progress 2/18 Whetstone",
                                             "row w",   "progress 3/18 Disk throughput, drive C",
                                             "block C", "progress 4/18 Disk throughput, drive D",
                                             "shown",   "progress 5/18 Disk throughput, drive E",
                                             "block E"};
  ASSERT_EQ(host.log.size(), 38u);  // no progress for drive R
  EXPECT_EQ(std::vector<std::string>(host.log.begin(), host.log.begin() + 13), expected);
  EXPECT_EQ(host.log.back(), "finished");
  // 2 test rows and 14 blocks (C, E to Q) fill rows 0 to 99; drive R's block would not fit.
  ASSERT_EQ(disks.calls.size(), 15u);
  EXPECT_EQ(disks.calls[1], (std::pair<char, std::int32_t>{'D', 40}));
  ASSERT_EQ(host.errors.size(), 2u);
  EXPECT_EQ(host.errors[0], "Can't write test file");
  EXPECT_NE(host.errors[1].find("drive R"), std::string::npos);
  // A note of the disk test is no error: its drive's block stands, the note is a warning line.
  ASSERT_EQ(host.warnings.size(), 1u);
  EXPECT_NE(host.warnings[0].find("left by a test that ended abnormally"), std::string::npos);
  const std::vector<char> codes = Codes(state.thisResults);
  ASSERT_EQ(codes.size(), 100u);
  EXPECT_EQ(std::string(codes.begin(), codes.begin() + 10), "dwC      E");
  EXPECT_EQ(codes[93], 'Q');
  std::string blockC;  // drive C's seven results, in the order of its rows
  for (std::size_t row = 2; row < 9; ++row) blockC += ValueText(state.thisResults[row]);
  EXPECT_EQ(blockC, "       700       600       500       400       300       200        12");
  EXPECT_EQ(state.resultCount, 100);
}

// Kernels that compute a wrong result after doing their work, as a failing processor would.
// Each spoils one value that its test's check covers.
template <class Kernel, void (*Spoil)(Kernel&)>
struct SpoiledKernel : Kernel {
  std::int32_t Run(std::int32_t passes) {
    const std::int32_t result = Kernel::Run(passes);
    Spoil(*this);
    return result;
  }
};
void SpoilDhrystone(DhrystoneKernel& k) { ++const_cast<DhrystoneState&>(k.lastState()).Int_Glob; }
void SpoilWhetstone(WhetstoneKernel& k) { k.X1 = std::nextafter(k.X1, 1e300); }
void SpoilQueens(QueensKernel& k) {
  const_cast<std::array<std::int32_t, 10>&>(k.QueenColumn())[3] ^= 1;
}
void SpoilMatrix(MatrixKernel& k) { const_cast<std::int32_t*>(k.result())[164] = 1; }
void SpoilCrunch(NumberCrunchKernel& k) {
  const_cast<NumberCrunchState&>(k.lastState()).y = 1e-300;
}
void SpoilCrunchInteger(NumberCrunchKernel& k) {
  const_cast<NumberCrunchState&>(k.lastState()).q = 1;
}
void SpoilFloatingPoint(FloatingPointKernel& k) {
  ++const_cast<FloatingPointState&>(k.lastState()).K;
}

// A Whetstone kernel whose trigonometric module went wrong (its multiplications off by the least
// step) while every working variable ends as a right run leaves it: the later modules overwrite
// everything that module computed.
struct TrigonometryGoesWrong : WhetstoneKernel {
  std::int32_t Run(std::int32_t LOOP) {
    const std::int32_t result = WhetstoneKernel::Run(LOOP);
    const double x = X, y = Y, t = T;
    const std::int32_t i = I;
    T = std::nextafter(T, 1.0);
    Module7();
    T = t;
    X = x;
    Y = y;
    I = i;
    return result;
  }
};
void TrigonometryWrongInSecondThread(WorkerSlots& slots, int index) {
  if (index == 1) {
    RunKernelWorker<TrigonometryGoesWrong>(slots, index, TestId::Whetstone);
  } else {
    RunKernelWorker<WhetstoneKernel>(slots, index, TestId::Whetstone);
  }
}

// Worker 1 runs the spoiled kernel, every other worker the right one.
template <TestId Test, class Kernel, void (*Spoil)(Kernel&)>
void WrongInSecondThread(WorkerSlots& slots, int index) {
  if (index == 1) {
    RunKernelWorker<SpoiledKernel<Kernel, Spoil>>(slots, index, Test);
  } else {
    RunKernelWorker<Kernel>(slots, index, Test);
  }
}

TEST_F(TestRunnerTest, RealWorkersCheckTheirResultsAndAWrongOneInOneThreadCostsItsTestTheScore) {
  SelectAllTests(state.testSelection);
  state.testSelection.LengthFactor = 1;  // the shortest real run
  TestRunner right;                      // one thread: the memory test's single worker included
  const ScriptedHost host = RunTests(state, "1", right);
  EXPECT_EQ(Codes(state.thisResults), (std::vector<char>{'d', 'w', 'q', 'c', 'n', 'f', 'm'}));
  for (int row = 0; row < 7; ++row) EXPECT_GT(ReadValue(ValueText(state.thisResults[row])), 0);
  EXPECT_TRUE(host.errors.empty());

  // One of two workers computes a wrong value: a value known in advance (Dhrystone, Queens,
  // Matrix, Number crunch's integers) or one that must agree with worker 0 bit for bit. Each
  // such test loses its score with the message; the run goes on to the memory test.
  WorkerRoutineTable routines = kWorkerRoutines;
  routines[0] = WrongInSecondThread<TestId::Dhrystone, DhrystoneKernel, SpoilDhrystone>;
  routines[1] = WrongInSecondThread<TestId::Whetstone, WhetstoneKernel, SpoilWhetstone>;
  routines[2] = WrongInSecondThread<TestId::Queens, QueensKernel, SpoilQueens>;
  routines[3] = WrongInSecondThread<TestId::Matrix, MatrixKernel, SpoilMatrix>;
  routines[4] = WrongInSecondThread<TestId::NumberCrunch, NumberCrunchKernel, SpoilCrunch>;
  routines[5] = WrongInSecondThread<TestId::FloatingPoint, FloatingPointKernel, SpoilFloatingPoint>;
  TestRunner wrong(StartThread, routines);
  const ScriptedHost spoiled = RunTests(state, "2", wrong);
  EXPECT_EQ(Codes(state.thisResults), (std::vector<char>{'m'}));
  ASSERT_EQ(spoiled.errors.size(), 6u);
  for (int test = 0; test < 6; ++test) {
    EXPECT_EQ(spoiled.errors[static_cast<std::size_t>(test)],
              "The processor computed a wrong result in the test " +
                  std::string(kTestTable[static_cast<std::size_t>(test)].name) +
                  " (worker thread 2 of 2): the processor may be unstable or overclocked, or the "
                  "program was built wrongly. The test records no score.");
  }

  Select(state.testSelection, {TestId::Whetstone, TestId::NumberCrunch});
  routines[4] = WrongInSecondThread<TestId::NumberCrunch, NumberCrunchKernel, SpoilCrunchInteger>;
  // Whetstone's final working variables are right; what its trigonometric module computed is not.
  routines[1] = TrigonometryWrongInSecondThread;
  TestRunner wrongInteger(StartThread, routines);
  const ScriptedHost integer = RunTests(state, "2", wrongInteger);
  ASSERT_EQ(integer.errors.size(), 2u);
  EXPECT_NE(integer.errors[0].find("Whetstone (worker thread 2 of 2)"), std::string::npos);
  EXPECT_NE(integer.errors[1].find("Number crunch (worker thread 2 of 2)"), std::string::npos);
  EXPECT_TRUE(Codes(state.thisResults).empty());
}

// What the steady stand-ins are to do; a fresh one for every test.
struct SteadyScript {
  std::array<std::atomic<int>, kTestCount> calls{};
  std::array<int, kTestCount> pausedCall{};     // this call sleeps instead of working
  std::array<int, kTestCount> wrongFromCall{};  // from this call on the result differs
};
std::unique_ptr<SteadyScript> steadyScript;

// Works on the processor for 2 ms whatever work it is given; a paused call is off the processor
// for 80 ms, as a stopped process is.
template <int Test>
void SpinningWorker(WorkerSlots& slots, int index) {
  SteadyScript& script = *steadyScript;
  const int call = ++script.calls[Test];
  const auto slot = static_cast<std::size_t>(index);
  if (call == script.pausedCall[Test]) {
    std::this_thread::sleep_for(std::chrono::milliseconds(80));
  } else {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(2);
    while (std::chrono::steady_clock::now() < end) {
    }
  }
  slots.WorkerResults[slot] = 1;
  slots.WorkerDoneEvents[slot].Set();
  if (script.wrongFromCall[Test] > 0 && call >= script.wrongFromCall[Test])
    slots.outcomes[slot].bits[0] = 1;
}

const WorkerRoutineTable kSpinning = {SpinningWorker<0>, SpinningWorker<1>, SpinningWorker<2>,
                                      SpinningWorker<3>, SpinningWorker<4>, SpinningWorker<5>,
                                      SpinningWorker<6>};

class SteadyRunTest : public TestRunnerTest {
 protected:
  void SetUp() override {
    TestRunnerTest::SetUp();
    state.testSelection.quickTests = false;
    steadyScript = std::make_unique<SteadyScript>();
    // No stand-in interval reaches the floor: every test is sized, and its sizing interval is
    // never its first round.
    settings.floorSeconds = 10.0;
    settings.tolerancePercent = 1e9;  // any three kept rounds agree, however far apart
    settings.maxRounds = 8;
    settings.budgetSeconds = 30.0;
  }
  SteadySettings settings;
};

TEST_F(SteadyRunTest, WorkIsSizedToTheFloorAndAPausedRoundIsNotKeptButMeasuredAgain) {
  Select(state.testSelection, {TestId::Dhrystone, TestId::Whetstone});
  steadyScript->pausedCall[0] = 3;  // Dhrystone's second round (the first call sizes)
  TestRunner runner(StartThread, kSpinning, {}, MeasureDrive, settings);
  const ScriptedHost host = RunTests(state, "1", runner);

  const std::vector<std::string> progress = [&] {
    std::vector<std::string> lines;
    for (const std::string& line : host.log) {
      if (line.rfind("progress", 0) == 0) lines.push_back(line);
    }
    return lines;
  }();
  // Sizing, then rounds of every test still measuring, in test order; each test at least three.
  const std::vector<std::string> expected = {
      "progress Sizing: 1/2 Dhrystone 2.1",  "progress Sizing: 2/2 Whetstone",
      "progress Round 1: 1/2 Dhrystone 2.1", "progress Round 1: 2/2 Whetstone",
      "progress Round 2: 1/2 Dhrystone 2.1", "progress Round 2: 2/2 Whetstone",
      "progress Round 3: 1/2 Dhrystone 2.1"};
  ASSERT_GE(progress.size(), expected.size());
  EXPECT_EQ(std::vector<std::string>(progress.begin(), progress.begin() + 7), expected);
  EXPECT_EQ(host.log.back(), "finished");

  ASSERT_EQ(runner.SteadyTests().size(), 2u);
  const SteadyTest& dhrystone = runner.SteadyTests()[0];
  const SteadyTest& whetstone = runner.SteadyTests()[1];
  // The paused round was set aside and the test measured until three rounds were kept (a busy
  // machine may set aside more).
  ASSERT_GE(dhrystone.samples.size(), 4u);
  EXPECT_TRUE(dhrystone.samples[1].disturbed);
  EXPECT_LT(dhrystone.samples[1].processorShare, 0.5);
  EXPECT_EQ(dhrystone.Kept(), 3);
  EXPECT_EQ(whetstone.Kept(), 3);
  EXPECT_TRUE(dhrystone.agreed && whetstone.agreed);
  for (const SteadyTest* test : {&dhrystone, &whetstone}) {
    const std::string name(InfoOf(test->test).name);
    EXPECT_EQ(static_cast<std::size_t>(
                  std::count_if(progress.begin(), progress.end(),
                                [&](const std::string& line) { return line.ends_with(name); })),
              1 + test->samples.size())
        << name;
  }
  // Only the number of passes grew, by the factor sized from the fixed work's interval.
  EXPECT_GE(dhrystone.factor, 2);
  EXPECT_EQ(dhrystone.loopCount, WorkerLoopCount(TestId::Dhrystone, 2 * dhrystone.factor));

  // Each row holds the best of its test's kept rounds, which the paused round was not.
  EXPECT_EQ(Codes(state.thisResults), (std::vector<char>{'d', 'w'}));
  EXPECT_EQ(static_cast<std::uint32_t>(ReadValue(ValueText(state.thisResults[0]))),
            *dhrystone.Score());
  EXPECT_GT(*dhrystone.Score(), dhrystone.samples[1].score);
  EXPECT_EQ(state.resultCount, 2);
  EXPECT_TRUE(host.errors.empty());
  EXPECT_TRUE(host.warnings.empty());
}

TEST_F(SteadyRunTest, WorkThatAlreadyLastsTheFloorTakesItsSizingIntervalAsItsFirstRound) {
  Select(state.testSelection, {TestId::Queens});
  settings.floorSeconds = 0.0005;  // the fixed work's 2 ms already last longer
  TestRunner runner(StartThread, kSpinning, {}, MeasureDrive, settings);
  const ScriptedHost host = RunTests(state, "1", runner);
  EXPECT_EQ(
      std::count(host.log.begin(), host.log.end(), "progress Sizing: 1/1 Eight queens problem"), 1);
  EXPECT_EQ(
      std::count(host.log.begin(), host.log.end(), "progress Round 2: 1/1 Eight queens problem"),
      1);
  EXPECT_EQ(
      std::count(host.log.begin(), host.log.end(), "progress Round 3: 1/1 Eight queens problem"),
      0);
  EXPECT_EQ(steadyScript->calls[2], 3);
  ASSERT_EQ(runner.SteadyTests().size(), 1u);
  EXPECT_EQ(runner.SteadyTests()[0].factor, 1);
  EXPECT_EQ(runner.SteadyTests()[0].samples.size(), 3u);
  EXPECT_EQ(Codes(state.thisResults), (std::vector<char>{'q'}));
}

TEST_F(SteadyRunTest, AWorkerThatGoesWrongInALaterRoundLosesTheScoreAlsoAlone) {
  Select(state.testSelection, {TestId::Dhrystone, TestId::Queens});
  steadyScript->wrongFromCall[0] = 3;  // right while sized and in round 1
  settings.tolerancePercent = 0.0;     // no agreement: every round is measured up to the cap
  settings.maxRounds = 3;
  TestRunner runner(StartThread, kSpinning, {}, MeasureDrive, settings);
  const ScriptedHost host = RunTests(state, "1", runner);
  ASSERT_EQ(host.errors.size(), 1u);
  EXPECT_NE(host.errors[0].find("wrong result in the test Dhrystone 2.1 (worker thread 1 of 1)"),
            std::string::npos)
      << host.errors[0];
  EXPECT_EQ(Codes(state.thisResults), (std::vector<char>{'q'}));
  EXPECT_TRUE(runner.SteadyTests()[0].lostScore);
  EXPECT_EQ(steadyScript->calls[0], 3);  // not measured after the wrong round
  // Queens reached the cap without agreeing: said, with its best round recorded all the same.
  EXPECT_EQ(steadyScript->calls[2], 4);
  EXPECT_EQ(std::count_if(host.warnings.begin(), host.warnings.end(),
                          [](const std::string& line) {
                            return line.starts_with(
                                "The test Eight queens problem did not settle: the best ");
                          }),
            1);
}

TEST_F(SteadyRunTest, AQuickRunKeepsItsFixedWorkAndWarnsOfADisturbedInterval) {
  state.testSelection.quickTests = true;
  Select(state.testSelection, {TestId::Queens, TestId::Matrix});
  steadyScript->pausedCall[2] = 1;
  TestRunner runner(StartThread, kSpinning, {}, MeasureDrive, settings);
  const ScriptedHost host = RunTests(state, "1", runner);
  EXPECT_EQ(Codes(state.thisResults), (std::vector<char>{'q', 'c'}));  // the score stays
  EXPECT_TRUE(runner.SteadyTests().empty());
  EXPECT_EQ(steadyScript->calls[2], 1);
  ASSERT_GE(host.warnings.size(), 1u);  // Matrix's 2 ms may be disturbed too on a busy machine
  EXPECT_EQ(host.warnings[0].rfind(
                "The test Eight queens problem was disturbed: its workers ran for ", 0),
            0u)
      << host.warnings[0];
  EXPECT_EQ(std::count(host.log.begin(), host.log.end(), "progress 1/2 Eight queens problem"), 1);
}

#if defined(__linux__)
// Where each call of the hopping stand-in started, per test; the processor it hops to.
struct PlacementScript {
  std::mutex mutex;  // two workers of one interval note where they started at once
  std::array<std::vector<int>, kTestCount> startedOn;
  int hopTo = -1;
  int pausedCall = 0;  // of Dhrystone
};
std::unique_ptr<PlacementScript> placementScript;

// Notes the processor it starts on; a call that starts elsewhere than on `hopTo` moves there, so
// that it ends there. Works for 2 ms, or sleeps 80 ms on the paused call.
template <int Test>
void HoppingWorker(WorkerSlots& slots, int index) {
  PlacementScript& script = *placementScript;
  const int processor = CurrentProcessor();
  int call = 0;
  {
    const std::lock_guard<std::mutex> lock(script.mutex);
    script.startedOn[Test].push_back(processor);
    call = static_cast<int>(script.startedOn[Test].size());
  }
  if (processor != script.hopTo) KeepThreadOnProcessor(script.hopTo);
  if (Test == 0 && call == script.pausedCall) {
    std::this_thread::sleep_for(std::chrono::milliseconds(80));
  } else {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(2);
    while (std::chrono::steady_clock::now() < end) {
    }
  }
  slots.WorkerResults[static_cast<std::size_t>(index)] = 1;
  slots.WorkerDoneEvents[static_cast<std::size_t>(index)].Set();
}

// Each worker of a steady run starts on the processor its predecessor ended on; a disturbed
// interval, another worker count or a quick run leaves the workers where the system starts them.
// The run's thread is kept on one processor, which its new threads inherit; the stand-in hops
// to another.
TEST_F(SteadyRunTest, AWorkerStartsOnTheProcessorThatTheLastIntervalsWorkerEndedOn) {
  cpu_set_t original;
  ASSERT_EQ(sched_getaffinity(0, sizeof original, &original), 0);
  std::vector<int> usable;
  for (int cpu = 0; cpu < CPU_SETSIZE; ++cpu) {
    if (CPU_ISSET(cpu, &original)) usable.push_back(cpu);
  }
  if (usable.size() < 2) GTEST_SKIP() << "needs two processors";
  struct OriginalAffinity {
    cpu_set_t set;
    ~OriginalAffinity() { sched_setaffinity(0, sizeof set, &set); }
  } restore{original};
  EXPECT_FALSE(KeepThreadOnProcessor(-1));
  EXPECT_FALSE(KeepThreadOnProcessor(CPU_SETSIZE));
  const int home = usable[0];
  ASSERT_TRUE(KeepThreadOnProcessor(home));
  EXPECT_EQ(CurrentProcessor(), home);

  placementScript = std::make_unique<PlacementScript>();
  placementScript->hopTo = usable[1];
  placementScript->pausedCall = 3;  // Dhrystone's second round
  const WorkerRoutineTable hopping = {HoppingWorker<0>, HoppingWorker<1>, HoppingWorker<2>,
                                      HoppingWorker<3>, HoppingWorker<4>, HoppingWorker<5>,
                                      HoppingWorker<6>};
  Select(state.testSelection, {TestId::Dhrystone, TestId::Whetstone});
  settings.maxRounds = 5;
  TestRunner runner(StartThread, hopping, {}, MeasureDrive, settings);
  RunTests(state, "1", runner);
  const int away = usable[1];
  // Dhrystone is sized from home and ends away, and from then on every worker starts away,
  // except the one after the paused interval (Dhrystone's second round): the system starts it
  // at home, and Whetstone's third call is that one.
  const std::vector<int>& dhrystone = placementScript->startedOn[0];
  const std::vector<int>& whetstone = placementScript->startedOn[1];
  ASSERT_GE(dhrystone.size(), 4u);
  ASSERT_GE(whetstone.size(), 3u);
  ASSERT_TRUE(runner.SteadyTests()[0].samples[1].disturbed);
  EXPECT_EQ(std::vector<int>(dhrystone.begin(), dhrystone.begin() + 3),
            (std::vector<int>{home, away, away}));
  EXPECT_EQ(std::vector<int>(whetstone.begin(), whetstone.begin() + 3),
            (std::vector<int>{away, away, home}));
  EXPECT_EQ(dhrystone[3], away);

  // Two workers where the process may use one processor (the run's thread is kept on one) are
  // left to the system.
  placementScript = std::make_unique<PlacementScript>();
  placementScript->hopTo = away;
  Select(state.testSelection, {TestId::Queens});
  TestRunner twoWorkers(StartThread, hopping, {}, MeasureDrive, settings);
  RunTests(state, "2", twoWorkers);
  const std::vector<int>& queens = placementScript->startedOn[2];
  EXPECT_EQ(std::count(queens.begin(), queens.end(), home), std::ssize(queens));

  // A quick run starts every worker where the system does, also after a steady one.
  placementScript = std::make_unique<PlacementScript>();
  placementScript->hopTo = away;
  state.testSelection.quickTests = true;
  Select(state.testSelection, {TestId::Dhrystone, TestId::Whetstone});
  RunTests(state, "1", runner);
  EXPECT_EQ(placementScript->startedOn[0], std::vector<int>{home});
  EXPECT_EQ(placementScript->startedOn[1], std::vector<int>{home});
}
#endif

// The stop a user asks for while the run lasts, from the host's progress call (on the run's
// thread): the run ends after the test, round or drive then announced, keeps what it measured and
// ends as every run does.
TEST_F(SteadyRunTest, AStopEndsTheRunAfterTheCurrentTestRoundOrDriveAndKeepsWhatWasMeasured) {
  Select(state.testSelection, {TestId::Dhrystone, TestId::Whetstone, TestId::Queens});
  ToggleDrive(state.testSelection, 'C');
  ToggleDrive(state.testSelection, 'D');
  TestRunner runner(StartThread, kSpinning, DiskTestEnvironment{}, StandInDiskTest, settings);
  const auto stoppedAt = [&](const std::string& line, bool quick) {
    state.testSelection.quickTests = quick;
    workerRecord = std::make_unique<WorkerRecord>();
    steadyScript = std::make_unique<SteadyScript>();
    disks = DiskRecord{};
    runner.ClearStopRequest();
    ScriptedHost host(state, "1", true);
    host.stopAt = line;
    host.stop = &runner;
    state.testSelection.RealTimePriority = true;
    runner.OnRunSelectedTests(state, host);
    EXPECT_EQ(host.log.back(), "finished") << line;
    EXPECT_FALSE(IsRealTimePriority()) << line;
    EXPECT_EQ(host.log[host.log.size() - 3], line) << "nothing announced after " << line;
    return host;
  };
  // A quick run: Whetstone is the last test measured; no drive.
  stoppedAt("progress 2/5 Whetstone", true);
  EXPECT_EQ(Codes(state.thisResults), (std::vector<char>{'d', 'w'}));
  EXPECT_EQ(steadyScript->calls[2], 0);
  EXPECT_TRUE(disks.calls.empty());
  // At a drive: its block stays, the next drive is not measured.
  stoppedAt("progress 4/5 Disk throughput, drive C", true);
  EXPECT_EQ(std::string(Codes(state.thisResults).data(), 4), "dwqC");
  EXPECT_EQ(state.resultCount, 10);
  EXPECT_EQ(disks.calls.size(), 1u);
  // A steady run stopped in its first round: Dhrystone keeps the score of that round; the tests
  // only sized have no sample, so no row.
  stoppedAt("progress Round 1: 1/5 Dhrystone 2.1", false);
  EXPECT_EQ(Codes(state.thisResults), (std::vector<char>{'d'}));
  ASSERT_EQ(runner.SteadyTests().size(), 3u);
  EXPECT_EQ(runner.SteadyTests()[0].samples.size(), 1u);
  EXPECT_EQ(static_cast<std::uint32_t>(ReadValue(ValueText(state.thisResults[0]))),
            *runner.SteadyTests()[0].Score());
  EXPECT_EQ(steadyScript->calls[1], 1);  // Whetstone sized only
  // Stopped while sizing: the tests after it are not even sized.
  stoppedAt("progress Sizing: 2/5 Whetstone", false);
  EXPECT_EQ(runner.SteadyTests().size(), 2u);
  EXPECT_EQ(steadyScript->calls[2], 0);
  EXPECT_TRUE(Codes(state.thisResults).empty());

  // The request holds until it is cleared: a run that starts with it measures nothing, but empties
  // the rows as every confirmed run does.
  ASSERT_TRUE(runner.StopRequested());
  const ScriptedHost held = RunTests(state, "1", runner);
  EXPECT_EQ(held.log,
            (std::vector<std::string>{"confirm", "started", "shown", "rows 0", "finished"}));
  runner.ClearStopRequest();
  state.testSelection.quickTests = true;
  RunTests(state, "1", runner);
  const std::vector<char> all = Codes(state.thisResults);
  EXPECT_EQ(std::string(all.begin(), all.end()), "dwqC      D      ");
}

// Repeated runs: a stop in the second repetition ends it after its test and starts no third;
// the medians come from the two repetitions' rows. A stop from another thread while the run
// lasts is read without a race (the ThreadSanitizer stage runs this).
TEST_F(TestRunnerTest, AStopEndsRepeatedRunsAndMayComeFromAnotherThread) {
  Select(state.testSelection, {TestId::Dhrystone, TestId::Whetstone});
  TestRunner runner(StartThread, kStandIns);
  // Asks for the stop at the first test of the second repetition.
  struct StopInSecond : ScriptedHost {
    using ScriptedHost::ScriptedHost;
    void RepetitionStarted(int repetition, int) override {
      started = repetition;
      stop = repetition == 2 ? runner : nullptr;
    }
    // The medians written at the end are not a run's next row: nothing to log.
    void ResultsChanged() override {}
    TestRunner* runner = nullptr;
    int started = 0;
  } host(state, "2", true);
  host.runner = &runner;
  host.stopAt = "progress 1/2 Dhrystone 2.1";
  RepeatedRuns runs;
  RunRepeatedly(runner, state, host, 3, runs);
  EXPECT_EQ(host.started, 2);
  EXPECT_EQ(runs.repetitions(), 2);
  EXPECT_EQ(Codes(state.thisResults), (std::vector<char>{'d', 'w'}));
  ASSERT_EQ(runs.rows().size(), 2u);
  EXPECT_EQ(runs.rows()[1].missing, std::vector<int>{2});  // Whetstone not run the second time

  // From another thread, while the workers run.
  runner.ClearStopRequest();
  workerRecord = std::make_unique<WorkerRecord>();
  std::atomic<bool> ended{false};
  std::thread asker([&runner, &ended, &record = *workerRecord] {
    while (record.started[0] == 0 && !ended) std::this_thread::yield();
    runner.RequestStop();
  });
  RunTests(state, "2", runner);
  ended = true;
  asker.join();
  EXPECT_GT(workerRecord->started[0], 0);  // the cleared request did not stop this run at once
  EXPECT_TRUE(runner.StopRequested());
}

// What a worker passes to its kernel, for both length factors, a wrapping product included.
TEST(Workers, LoopCountIsTheLengthFactorTimesTheTestsCount) {
  const std::array<std::int32_t, kTestCount> perFactor = {4000000, 20000,  10000, 4,
                                                          250000,  150000, 10};
  for (TestId test : kAllTests) {
    const std::int32_t count = perFactor[static_cast<std::size_t>(test)];
    EXPECT_EQ(WorkerLoopCount(test, 2), 2 * count);
    EXPECT_EQ(WorkerLoopCount(test, 4), 4 * count);
  }
  EXPECT_EQ(WorkerLoopCount(TestId::Dhrystone, 1074), 1032704);  // 4,296,000,000 modulo 2^32
}

}  // namespace
}  // namespace quorvane
