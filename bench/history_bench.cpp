// Speed and size of the history of runs: adding one run to a history that already holds 0 or
// 10,000 (the goal: under 20 ms), listing 10,000 runs (under 100 ms), and the bytes a run takes
// in the file without its samples (under 16 KB), counted as bytesPerRun.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>
#include <random>
#include <string>

#include "history/HistoryStore.h"

namespace quorvane {
namespace {

namespace fs = std::filesystem;

// A full run of this machine: the seven tests, two drive blocks and a described machine.
BenchmarkState FullRun() {
  BenchmarkState state;
  const char codes[] = "dwqcnfm";
  int row = 0;
  for (int i = 0; i < 7; ++i) SetRow(state.thisResults[row++], codes[i], 1000000u + 7919u * i);
  for (char drive : {'C', 'D'}) {
    SetRow(state.thisResults[row++], drive, 812345);
    for (int k = 0; k < 6; ++k) SetRow(state.thisResults[row++], '0', 400000u + k);
  }
  state.resultCount = row;
  for (auto field : kMachineFields) SetField(state.thisMachine.*field, std::string(40, 'x'));
  for (int k = 0; k < 2; ++k) {
    SetField(state.thisDrives[k].letter, std::string(1, static_cast<char>('C' + k)) + ":");
    SetField(state.thisDrives[k].harddisk, "Samsung SSD 980 PRO 2TB");
    SetField(state.thisDrives[k].controller, "NVMe");
    SetField(state.thisDrives[k].driver, "nvme");
  }
  return state;
}

RunFacts Facts() {
  RunFacts facts;
  facts.timeUtc = 1796600000;
  facts.machineIdentity = "5c3b7f0e8a9d4e21b6f1c2d3e4f5a6b7";
  facts.threads = 16;
  // The environment and build stamp as --json gives them, without samples.
  facts.detailsJson = R"({"environment":{"otherLoadPercent":1.9,"governor":"schedutil",)"
                      R"("virtualMachine":"no","virtualEvidence":"","smt":"on","warnings":[],)"
                      R"("build":{"compiler":"GCC 12.2.0","kernelFlags":")" +
                      std::string(300, 'f') +
                      R"(","cLibrary":"glibc 2.36","mathLibrary":"glibc 2.36",)"
                      R"("version":"0.7.16"}}})";
  return facts;
}

// A fresh history file holding `runs` full runs, removed when it goes.
class FilledHistory {
 public:
  explicit FilledHistory(int runs) {
    std::random_device random;
    path_ = fs::temp_directory_path() / ("quorvane-bench-" + std::to_string(random()) + ".sqlite3");
    std::string error;
    store_ = HistoryStore::Open(path_, true, error);
    const BenchmarkState state = FullRun();
    for (int run = 0; store_ && run < runs; ++run) store_->Add(state, Facts(), error);
  }
  ~FilledHistory() {
    store_.reset();
    std::error_code ignored;
    for (const char* suffix : {"", "-wal", "-shm"}) fs::remove(path_.string() + suffix, ignored);
  }
  HistoryStore* store() { return store_.get(); }
  std::uintmax_t Bytes() const {
    std::error_code ignored;
    std::uintmax_t bytes = 0;
    for (const char* suffix : {"", "-wal"}) {
      const std::uintmax_t size = fs::file_size(path_.string() + suffix, ignored);
      if (!ignored) bytes += size;
    }
    return bytes;
  }

 private:
  fs::path path_;
  std::unique_ptr<HistoryStore> store_;
};

void BM_AddRun(benchmark::State& state) {
  FilledHistory history(static_cast<int>(state.range(0)));
  const BenchmarkState run = FullRun();
  const RunFacts facts = Facts();
  std::string error;
  const std::uintmax_t before = history.Bytes();
  for (auto _ : state) {
    if (!history.store()->Add(run, facts, error)) state.SkipWithError(error.c_str());
  }
  state.counters["bytesPerRun"] =
      static_cast<double>(history.Bytes() - before) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_AddRun)->Arg(0)->Arg(10000)->Unit(benchmark::kMillisecond);

void BM_List(benchmark::State& state) {
  FilledHistory history(static_cast<int>(state.range(0)));
  std::string error;
  for (auto _ : state) {
    const auto list = history.store()->List(error);
    if (!list || list->size() != static_cast<std::size_t>(state.range(0))) {
      state.SkipWithError("the listing is incomplete");
    }
    benchmark::DoNotOptimize(list);
  }
}
BENCHMARK(BM_List)->Arg(10000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace quorvane

BENCHMARK_MAIN();
