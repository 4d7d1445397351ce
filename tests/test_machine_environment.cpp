#include <gtest/gtest.h>
#include <unistd.h>

#include <nlohmann/json.hpp>
#include <string>

#include "cli_invoke.h"
#include "engine/EnvironmentWarnings.h"
#include "fixture_tree.h"
#include "generated/Version.h"
#include "platform/MachineEnvironment.h"
#include "platform/MachineIdentity.h"
#include "report/JsonReport.h"
#include "tests/temp_folder.h"

namespace quorvane {
namespace {

using test_support::FixtureTree;

constexpr std::chrono::milliseconds kNoWait{0};

TEST(MachineEnvironment, ReadersTellWhatTheTreeShowsAndUnknownForWhatIsMissingOrGarbled) {
  FixtureTree bare;  // a two-way machine whose threads share cores, governors differing
  bare.File("proc/stat", "cpu  300 100 100 1400 100 0 0 0 50 0\ncpu0 1 2 3 4\n");
  bare.File("proc/cpuinfo", "processor\t: 0\nmodel name\t: Acme Core 9\nflags\t\t: fpu sse2 lm\n");
  bare.File("sys/class/dmi/id/sys_vendor", "Dell Inc.\n");
  bare.File("sys/devices/system/cpu/cpu0/cpufreq/scaling_governor", "performance\n");
  bare.File("sys/devices/system/cpu/cpu1/cpufreq/scaling_governor", "powersave\n");
  bare.File("sys/devices/system/cpu/cpu10/cpufreq/scaling_governor", "performance\n");
  bare.File("sys/devices/system/cpu/cpu0/topology/thread_siblings_list", "0\n");
  bare.File("sys/devices/system/cpu/cpu1/topology/thread_siblings_list", "1-2\n");
  const double tick = static_cast<double>(sysconf(_SC_CLK_TCK));
  const std::optional<ProcessorTimes> times = ReadProcessorTimes(bare.root());
  ASSERT_TRUE(times);
  EXPECT_DOUBLE_EQ(times->total, 2000 / tick);  // guest time is already in user time
  EXPECT_DOUBLE_EQ(times->busy, 500 / tick);    // without idle and waiting for input
  MachineEnvironment environment = ReadMachineEnvironment(bare.root(), kNoWait);
  EXPECT_FALSE(environment.otherLoadPercent);  // the file did not move: no time passed
  EXPECT_EQ(environment.governor, "performance, powersave");
  EXPECT_EQ(environment.virtualMachine, TriState::No);
  EXPECT_EQ(environment.processor, "Acme Core 9");
  EXPECT_EQ(environment.sharedCores, TriState::Yes);

  FixtureTree guest;  // the firmware names the hypervisor; the processor flag says so too
  guest.File("proc/cpuinfo", "model name : Virtual CPU\nflags : fpu hypervisor\n");
  guest.File("sys/class/dmi/id/sys_vendor", "QEMU\n");
  guest.File("sys/devices/system/cpu/smt/active", "0\n");
  guest.File("sys/devices/system/cpu/cpu0/topology/thread_siblings_list", "0-1\n");  // smt wins
  environment = ReadMachineEnvironment(guest.root(), kNoWait);
  EXPECT_EQ(environment.virtualMachine, TriState::Yes);
  EXPECT_EQ(environment.virtualEvidence, "QEMU");
  EXPECT_EQ(environment.sharedCores, TriState::No);
  guest.File("sys/class/dmi/id/sys_vendor", "Acme\n");
  EXPECT_EQ(ReadMachineEnvironment(guest.root(), kNoWait).virtualEvidence, "hypervisor flag");

  FixtureTree xen;  // only the hypervisor's own folder
  xen.File("sys/hypervisor/type", "xen\n");
  environment = ReadMachineEnvironment(xen.root(), kNoWait);
  EXPECT_EQ(environment.virtualMachine, TriState::Yes);
  EXPECT_EQ(environment.virtualEvidence, "xen");

  FixtureTree empty, garbled;
  garbled.File("proc/stat", "cpu  12 x 3\n");
  garbled.File("proc/cpuinfo", std::string("\0\x01\xff", 3));
  garbled.File("sys/devices/system/cpu/cpu0/cpufreq/scaling_governor", "\x01\x02\n");
  garbled.File("sys/devices/system/cpu/cpu0/topology/thread_siblings_list", "zz\n");
  garbled.File("sys/devices/system/cpu/smt/active", "forceoff\n");
  garbled.Folder("sys/devices/system/cpu/cpufoo");
  for (const FixtureTree* tree : {&empty, &garbled}) {
    EXPECT_FALSE(ReadProcessorTimes(tree->root()));
    environment = ReadMachineEnvironment(tree->root(), kNoWait);
    EXPECT_FALSE(environment.otherLoadPercent);
    EXPECT_EQ(environment.governor, "unknown");
    EXPECT_EQ(environment.processor, "unknown");
    EXPECT_EQ(environment.virtualMachine, TriState::Unknown);
    EXPECT_EQ(environment.sharedCores, TriState::Unknown);
  }
}

TEST(MachineEnvironment, OtherProgramsShareIsBusyTimeLessOurOwnWithinZeroToAHundred) {
  const ProcessorTimes before{10, 4};
  EXPECT_DOUBLE_EQ(*OtherLoadPercent(before, ProcessorTimes{12, 5.5}, 0.5), 50.0);
  EXPECT_DOUBLE_EQ(*OtherLoadPercent(before, ProcessorTimes{12, 5}, 1.5), 0.0);  // clock skew
  EXPECT_DOUBLE_EQ(*OtherLoadPercent(before, ProcessorTimes{12, 7}, 0),
                   100.0);  // and the other way
  EXPECT_FALSE(OtherLoadPercent(before, before, 0));
  EXPECT_FALSE(OtherLoadPercent(std::nullopt, before, 0));
  EXPECT_EQ(VirtualMachineVendor("innotek GmbH"), "innotek");
}

TEST(EnvironmentWarnings, OtherLoadAboveTenPercentAndAPowerSavingGovernorEachGiveOneLine) {
  struct Case {
    std::optional<double> load;
    std::string governor;
    std::size_t warnings;
  };
  const Case cases[] = {{10.0, "performance", 0},        {10.01, "performance", 1},
                        {std::nullopt, "unknown", 0},    {0.0, "powersave", 1},
                        {0.0, "ondemand, powersave", 1}, {0.0, "powersaver, ondemand", 0},
                        {55.0, "powersave", 2}};
  for (const Case& c : cases) {
    MachineEnvironment environment;
    environment.otherLoadPercent = c.load;
    environment.governor = c.governor;
    EXPECT_EQ(EnvironmentWarnings(environment).size(), c.warnings)
        << c.governor << " " << c.load.value_or(-1);
  }
}

TEST(EnvironmentWarnings, CliWarnsOnStderrAndItsJsonHoldsTheEnvironmentAndBuildStamp) {
  int reads = 0;
  const EnvironmentReader busy = [&reads] {
    ++reads;
    MachineEnvironment environment;
    environment.otherLoadPercent = 42.0;
    environment.governor = "powersave";
    return environment;
  };
  test_support::CliRun run =
      test_support::Invoke({"-q", "-t", "q", "-j", "1", "--no-realtime", "--json"}, {}, busy);
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(reads, 1);
  EXPECT_EQ(
      run.err,
      "quorvane-cli: warning: Other programs are taking 42.0 % of the processors' time: scores will "
      "be low and vary.\nquorvane-cli: warning: The processors' frequency governor is \"powersave\": "
      "scores will be low and vary.\n");
  const nlohmann::json environment = nlohmann::json::parse(run.out).at("environment");
  EXPECT_EQ(environment.at("otherLoadPercent"), 42.0);
  EXPECT_EQ(environment.at("virtualMachine"), "unknown");
  EXPECT_EQ(environment.at("warnings").size(), 2u);
  MachineEnvironment facts;  // the tri-states become words only in the JSON
  facts.virtualMachine = TriState::No;
  facts.sharedCores = TriState::Yes;
  EXPECT_EQ(EnvironmentAsJson(facts, {}).at("virtualMachine"), "no");
  EXPECT_EQ(EnvironmentAsJson(facts, {}).at("sharedCores"), "yes");
  const nlohmann::json& build = environment.at("build");
  EXPECT_EQ(build.at("version"), QUORVANE_VERSION);
  EXPECT_NE(build.at("kernelFlags").get<std::string>().find("-falign-functions=64"),
            std::string::npos);
  for (const char* key : {"compiler", "cLibrary", "mathLibrary"}) {
    EXPECT_FALSE(build.at(key).get<std::string>().empty()) << key;
  }
  // Nothing runs: nothing is measured and the JSON has no environment.
  run = test_support::Invoke({"-q", "--description", "--json"}, {}, busy);
  EXPECT_EQ(reads, 1);
  EXPECT_FALSE(nlohmann::json::parse(run.out).contains("environment"));
}

}  // namespace
}  // namespace quorvane

namespace quorvane {
namespace {

// The machine identity: the same on every call, derived from the system's machine id but never
// that id, and nothing where the system has none.
TEST(MachineIdentity, IsStableAndNeverTheSystemsOwnId) {
  const std::string identity = ThisMachineIdentity();
  std::string systemId = test_support::FileBytes("/etc/machine-id");
  while (!systemId.empty() && (systemId.back() == '\n' || systemId.back() == ' ')) {
    systemId.pop_back();
  }
  if (systemId.size() != 32) {
    EXPECT_TRUE(identity.empty()) << identity;
    return;
  }
  EXPECT_EQ(identity.size(), 32u);
  EXPECT_EQ(identity.find_first_not_of("0123456789abcdef"), std::string::npos) << identity;
  EXPECT_EQ(ThisMachineIdentity(), identity);
  EXPECT_NE(identity, systemId);
}

}  // namespace
}  // namespace quorvane
