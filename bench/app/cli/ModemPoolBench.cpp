// A pool of modems in a real sending batch: `dtusms batch --send` of ROWS rows through MODEMS fake
// modems, each taking MS milliseconds to send one SMS (the rest of the exchange answered at once).
// The ideal is ROWS * MS / MODEMS; the counter `ratio` is the time taken over that ideal (the target
// at 400 rows, 8 modems and 2 s per SMS is at most 1.15).
//
// The full size takes about 100 s; DTUSMS_POOL_ROWS, DTUSMS_POOL_MODEMS and DTUSMS_POOL_SMS_MS
// change it (default 400, 8 and 2000). A smaller scale is registered beside it.

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "bench/app/ProcessLaunch.h"
#include "bench/app/cli/SendingBatchFiles.h"
#include "tests/modem/FakeModem.h"

namespace {

int FromEnvironment(const char* name, int fallback) {
    const char* value = std::getenv(name);
    return value != nullptr && std::atoi(value) > 0 ? std::atoi(value) : fallback;
}

void RunPool(benchmark::State& state, int rows, int modems, int smsMs) {
    const bench::SendingBatchFiles files("dtusms-pool-bench", rows);
    const double ideal = static_cast<double>(rows) * smsMs / 1000.0 / modems;
    double seconds = 0;
    for (auto _ : state) {
        std::vector<std::unique_ptr<modem_test::FakeModem>> pool;
        std::vector<std::string> arguments{DTUSMS_PROGRAM, "batch",        files.input,
                                           "--settings",   files.settings, "--send",
                                           "--output",     files.output,   "--quiet"};
        for (int i = 0; i < modems; ++i) {
            pool.push_back(std::make_unique<modem_test::FakeModem>());
            pool.back()->SetPartDelayMs(smsMs);
            arguments.insert(arguments.end(), {"--modem", pool.back()->path()});
        }
        const bench::Run run = bench::Launch(arguments);
        std::size_t sent = 0;
        for (const auto& fake : pool) {
            sent += fake->Pdus().size();
        }
        if (run.seconds == 0 || sent != static_cast<std::size_t>(rows)) {
            state.SkipWithError("dtusms batch --send did not send every row once");
            break;
        }
        state.SetIterationTime(run.seconds);
        seconds += run.seconds;
        std::filesystem::remove(files.output);
    }
    state.SetItemsProcessed(state.iterations() * rows);
    state.counters["ideal_s"] = ideal;
    state.counters["ratio"] = seconds / static_cast<double>(state.iterations()) / ideal;
}

void BM_PoolFullSize(benchmark::State& state) {
    RunPool(state, FromEnvironment("DTUSMS_POOL_ROWS", 400), FromEnvironment("DTUSMS_POOL_MODEMS", 8),
            FromEnvironment("DTUSMS_POOL_SMS_MS", 2000));
}
BENCHMARK(BM_PoolFullSize)->Unit(benchmark::kSecond)->UseManualTime()->Iterations(1);

// The same pool and rows, each SMS taking a tenth of the time: what the pool itself costs weighs ten
// times more here.
void BM_PoolTenthOfTheTime(benchmark::State& state) {
    RunPool(state, FromEnvironment("DTUSMS_POOL_ROWS", 400), FromEnvironment("DTUSMS_POOL_MODEMS", 8),
            FromEnvironment("DTUSMS_POOL_SMS_MS", 2000) / 10);
}
BENCHMARK(BM_PoolTenthOfTheTime)->Unit(benchmark::kSecond)->UseManualTime()->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
