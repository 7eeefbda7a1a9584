// The journal's cost in a real sending batch: `dtusms batch --send` of 200 rows through the fake modem
// (answering at once, so the modem's time is as small as it gets), once to --output out.csv, which
// keeps a journal, and once to standard output, which keeps none. The difference per row is what the
// journal adds beyond the modem's answers (the output file's one flush at the end is in it too).

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bench/app/ProcessLaunch.h"
#include "tests/modem/FakeModem.h"

namespace {

constexpr int kRows = 200;

void RunSendingBatch(benchmark::State& state, bool toFile) {
    std::string pattern = (std::filesystem::current_path() / "dtusms-journal-bench-XXXXXX").string();
    const std::filesystem::path folder = ::mkdtemp(pattern.data());
    const std::string input = (folder / "fleet.csv").string();
    const std::string settings = (folder / "GPRSInfo.ini").string();
    const std::string output = (folder / "out.csv").string();
    {
        std::ofstream csv(input, std::ios::binary);
        csv << "dtu,phone\r\n";
        for (int row = 0; row < kRows; ++row) {
            csv << "TQ-GP" << 100000 + row << ",138" << 10000000 + row << "\r\n";
        }
    }
    std::ofstream(settings, std::ios::binary) << "[Main]\r\nStatic IP=192.168.1.100\r\nPort=6000\r\n";
    double seconds = 0;
    for (auto _ : state) {
        modem_test::FakeModem fake;
        std::vector<std::string> arguments{DTUSMS_PROGRAM, "batch",   input,       "--settings", settings,
                                           "--send",       "--modem", fake.path(), "--quiet"};
        if (toFile) {
            arguments.insert(arguments.end(), {"--output", output});
        }
        const bench::Run run = bench::Launch(arguments);
        if (run.seconds == 0) {
            state.SkipWithError("dtusms batch --send failed");
            break;
        }
        state.SetIterationTime(run.seconds);
        seconds += run.seconds;
        std::filesystem::remove(output);
    }
    state.SetItemsProcessed(state.iterations() * kRows);
    state.counters["ms_per_row"] = seconds * 1000 / static_cast<double>(state.iterations() * kRows);
    std::filesystem::remove_all(folder);
}

void BM_SendingWithJournal(benchmark::State& state) {
    RunSendingBatch(state, true);
}
BENCHMARK(BM_SendingWithJournal)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(10);

void BM_SendingWithoutJournal(benchmark::State& state) {
    RunSendingBatch(state, false);
}
BENCHMARK(BM_SendingWithoutJournal)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(10);

}  // namespace

BENCHMARK_MAIN();
