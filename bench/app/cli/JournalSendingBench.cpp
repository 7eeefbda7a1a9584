// The journal's cost in a real sending batch: `dtusms batch --send` of 200 rows through the fake modem
// (answering at once, so the modem's time is as small as it gets), once to --output out.csv, which
// keeps a journal, and once to standard output, which keeps none. The difference per row is what the
// journal adds beyond the modem's answers (the output file's one flush at the end is in it too).

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/app/ProcessLaunch.h"
#include "bench/app/cli/SendingBatchFiles.h"
#include "tests/modem/FakeModem.h"

namespace {

constexpr int kRows = 200;

void RunSendingBatch(benchmark::State& state, bool toFile) {
    const bench::SendingBatchFiles files("dtusms-journal-bench", kRows);
    double seconds = 0;
    for (auto _ : state) {
        modem_test::FakeModem fake;
        std::vector<std::string> arguments{DTUSMS_PROGRAM, "batch",        files.input,
                                           "--settings",   files.settings, "--send",
                                           "--modem",      fake.path(),    "--quiet"};
        if (toFile) {
            arguments.insert(arguments.end(), {"--output", files.output});
        }
        const bench::Run run = bench::Launch(arguments);
        if (run.seconds == 0) {
            state.SkipWithError("dtusms batch --send failed");
            break;
        }
        state.SetIterationTime(run.seconds);
        seconds += run.seconds;
        std::filesystem::remove(files.output);
    }
    state.SetItemsProcessed(state.iterations() * kRows);
    state.counters["ms_per_row"] = seconds * 1000 / static_cast<double>(state.iterations() * kRows);
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
