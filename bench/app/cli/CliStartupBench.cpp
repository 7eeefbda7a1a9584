// Whole-process start-up and peak memory of `dtusms sms` beside a C++ hello-world program. Each
// iteration launches both, in alternating order, with standard output to /dev/null (through
// dtusms_bench_launcher, so that neither figure holds this program's own memory). The counters are
// the medians of the per-iteration figures: the wall-time ratio dtusms / hello world, the difference
// in peak resident memory, and each program's raw time and peak memory.
// The composition reads a settings file in a temporary folder (--settings).

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "bench/app/ProcessLaunch.h"

namespace {

using bench::Median;

void BM_SmsBesideHelloWorld(benchmark::State& state) {
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("dtusms-cli-bench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    const std::string settings = (folder / "GPRSInfo.ini").string();
    std::ofstream(settings, std::ios::binary) << "[Main]\r\nPort=6000\r\nStatic IP=192.168.1.100\r\n"
                                                 "DTU number=TQ-GP000001\r\nnLanguageID=2\r\n";

    const std::vector<std::string> program = {DTUSMS_PROGRAM, "sms", "--settings", settings};
    const std::vector<std::string> reference = {DTUSMS_HELLO_WORLD};
    std::vector<double> timeRatios, rssDifferences, programTimes, referenceTimes, programRss, referenceRss;
    for (const auto& [ours, theirs] : bench::LaunchSideBySide(state, program, reference)) {
        timeRatios.push_back(ours.seconds / theirs.seconds);
        rssDifferences.push_back(ours.maxRssKb - theirs.maxRssKb);
        programTimes.push_back(ours.seconds * 1e3);
        referenceTimes.push_back(theirs.seconds * 1e3);
        programRss.push_back(ours.maxRssKb);
        referenceRss.push_back(theirs.maxRssKb);
    }
    std::filesystem::remove_all(folder);
    if (timeRatios.empty()) {
        return;
    }
    state.counters["wall_ratio_median"] = Median(timeRatios);
    state.counters["maxrss_diff_kb_median"] = Median(rssDifferences);
    state.counters["dtusms_ms_median"] = Median(programTimes);
    state.counters["hello_ms_median"] = Median(referenceTimes);
    state.counters["dtusms_maxrss_kb_median"] = Median(programRss);
    state.counters["hello_maxrss_kb_median"] = Median(referenceRss);
}
BENCHMARK(BM_SmsBesideHelloWorld)->UseManualTime()->Iterations(200)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
