// Whole-process start-up and peak memory of the window program beside a reference program that
// creates the same widgets with no logic. Each iteration launches both, in alternating order, until
// they exit after their first paint (offscreen platform); the counters are the medians of the
// per-iteration ratios dtusms / reference and of the raw figures.
// The window program gets a settings file in a temporary folder (--settings), so nothing is written
// beside it.

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "bench/app/ProcessLaunch.h"

namespace {

using bench::Median;

void BM_WindowStartupBesideReference(benchmark::State& state) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("dtusms-bench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    const std::string settings = (folder / "GPRSInfo.ini").string();
    std::ofstream(settings, std::ios::binary) << "[Main]\r\nPort=6000\r\nStatic IP=192.168.1.100\r\n"
                                                 "DTU number=TQ-GP000001\r\n";

    const std::vector<std::string> program = {DTUSMS_PROGRAM, "--exit-after-paint", "--settings", settings};
    const std::vector<std::string> reference = {DTUSMS_REFERENCE_PROGRAM};
    std::vector<double> timeRatios, memoryRatios, programTimes, referenceTimes, programRss, referenceRss;
    for (const auto& [ours, theirs] : bench::LaunchSideBySide(state, program, reference)) {
        timeRatios.push_back(ours.seconds / theirs.seconds);
        memoryRatios.push_back(ours.maxRssKb / theirs.maxRssKb);
        programTimes.push_back(ours.seconds * 1e3);
        referenceTimes.push_back(theirs.seconds * 1e3);
        programRss.push_back(ours.maxRssKb);
        referenceRss.push_back(theirs.maxRssKb);
    }
    std::filesystem::remove_all(folder);
    if (timeRatios.empty()) {
        return;
    }
    state.counters["startup_ratio_median"] = Median(timeRatios);
    state.counters["maxrss_ratio_median"] = Median(memoryRatios);
    state.counters["dtusms_ms_median"] = Median(programTimes);
    state.counters["reference_ms_median"] = Median(referenceTimes);
    state.counters["dtusms_maxrss_kb_median"] = Median(programRss);
    state.counters["reference_maxrss_kb_median"] = Median(referenceRss);
}
BENCHMARK(BM_WindowStartupBesideReference)->UseManualTime()->Iterations(40)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
